#include "config_ui/image_button.h"

#include <algorithm>

#include "graphics/picture_loaders.h"

namespace qs3 {
namespace {

enum class RasterOp { Copy, And, Or };

// Combines a width x height block of `source` at (sx, sy) into `target` at
// (0, 0), clipped to both buffers.
void CombineBlock(PixelBuffer& target, const PixelBuffer& source, int sx, int sy, RasterOp op) {
  for (int y = 0; y < target.Height(); ++y) {
    const int fromY = sy + y;
    if (fromY < 0 || fromY >= source.Height()) continue;
    const int firstX = std::max(0, -sx);
    const int endX = std::min(target.Width(), source.Width() - sx);
    std::uint32_t* to = target.Row(y);
    const std::uint32_t* from = source.Row(fromY);
    for (int x = firstX; x < endX; ++x) {
      const std::uint32_t pixel = from[sx + x];
      switch (op) {
        case RasterOp::Copy:
          to[x] = pixel;
          break;
        case RasterOp::And:
          to[x] &= pixel;
          break;
        case RasterOp::Or:
          to[x] |= pixel;
          break;
      }
    }
  }
}

}  // namespace

void SetButtonLooks(ImageButton& record, const ButtonLook& normal, std::int32_t pressedOffset) {
  record.pressedFlag = 0;
  record.normal = normal;
  record.pressed = normal;
  record.pressed.sourceY = static_cast<std::int32_t>(std::int64_t{normal.sourceY} + pressedOffset);
}

ButtonRecords InitialButtonRecords() {
  ButtonRecords records{};
  for (const ButtonEntry& entry : kButtonTable) {
    SetButtonLooks(records[static_cast<std::size_t>(entry.record)], entry.normal, kPressedOffset);
  }
  return records;
}

const ImageButton& ShownRecord(const ButtonRecords& records, ButtonKind kind,
                               std::int32_t musicEnabled) {
  ButtonRecord record = ButtonRecord::Ok;
  switch (kind) {
    case ButtonKind::Ok:
      record = ButtonRecord::Ok;
      break;
    case ButtonKind::Cancel:
      record = ButtonRecord::Cancel;
      break;
    case ButtonKind::MusicSwitch:
      record = musicEnabled != 0 ? ButtonRecord::MusicOn : ButtonRecord::MusicOff;
      break;
  }
  return records[static_cast<std::size_t>(record)];
}

std::int32_t FlipMusic(std::int32_t value) {
  return static_cast<std::int32_t>((std::int64_t{value} + 1) % 2);
}

bool InsideInclusive(const Rect& rect, Point point) {
  return rect.left <= point.x && point.x <= rect.right && rect.top <= point.y &&
         point.y <= rect.bottom;
}

std::optional<PixelBuffer> ComposeBackground(const DialogArt& art, Size client) {
  if (!art.colour || client.width <= 0 || client.height <= 0) return std::nullopt;
  PixelBuffer background(client.width, client.height, kBlack);
  CombineBlock(background, *art.colour, 0, kArtBackgroundTop, RasterOp::Copy);
  return background;
}

PixelBuffer ComposeButton(const DialogArt& art, const ButtonLook& look) {
  PixelBuffer button(look.width, look.height, kBlack);
  if (button.Empty()) return button;
  if (art.colour) {
    CombineBlock(button, *art.colour, look.x, look.y + kArtBackgroundTop, RasterOp::Copy);
  }
  if (art.mask) CombineBlock(button, *art.mask, look.sourceX, look.sourceY, RasterOp::And);
  if (art.colour) CombineBlock(button, *art.colour, look.sourceX, look.sourceY, RasterOp::Or);
  return button;
}

DialogArt LoadDialogArt(ResourceSource& resources) {
  DialogArt art;
  art.palette = LoadPackedPalette(resources, kDialogArtResource);
  art.mask =
      LoadPackedBitmap(resources, kDialogArtResource, true, SaverMode::Configure, kFullSizeScale);
  art.colour =
      LoadPackedBitmap(resources, kDialogArtResource, false, SaverMode::Configure, kFullSizeScale);
  return art;
}

PixelBuffer SettingsWindowPicture(const DialogArt& art, const ButtonRecords& records,
                                  std::int32_t musicEnabled, Size client) {
  PixelBuffer picture =
      ComposeBackground(art, client).value_or(PixelBuffer(client.width, client.height, kBlack));
  for (ButtonKind kind : {ButtonKind::Ok, ButtonKind::Cancel, ButtonKind::MusicSwitch}) {
    const ButtonLook& look = ShownRecord(records, kind, musicEnabled).Current();
    const PixelBuffer button = ComposeButton(art, look);
    for (int y = 0; y < button.Height(); ++y) {
      for (int x = 0; x < button.Width(); ++x) {
        if (picture.Contains(look.x + x, look.y + y))
          picture.At(look.x + x, look.y + y) = button.At(x, y);
      }
    }
  }
  return picture;
}

}  // namespace qs3
