#include "graphics/draw_list.h"

namespace qs3 {

namespace {

void DrawCommandOnto(const DrawCommand& command, PixelBuffer& compose, const PixelBuffer& stage,
                     const SpriteSheet& sheet) {
  const int fade = command.fade & 0x0F;
  BlitRect rect{.destX = command.destX,
                .destY = command.destY,
                .srcX = command.srcX,
                .srcY = command.srcY,
                .width = command.width,
                .height = command.height};
  ClipToStage(rect, {compose.Width(), compose.Height()});
  switch (command.type) {
    case DrawType::Opaque:
      DrawOpaque(compose, sheet, rect);
      break;
    case DrawType::Sprite:
      if (fade == 0) {
        DrawSprite(compose, sheet, rect);
      } else {
        DrawFaded(compose, sheet, rect, kFadePatterns[static_cast<std::size_t>(fade - 1)]);
      }
      break;
    case DrawType::Silhouette:
      DrawSilhouette(compose, sheet, rect);
      break;
    case DrawType::Erase:
      DrawErase(compose, stage, sheet, rect);
      break;
    default:
      break;
  }
}

}  // namespace

void DrawDisplayList(const DisplayList& list, PixelBuffer& compose, const PixelBuffer& stage,
                     const SpriteSheets& sheets) {
  for (const DrawCommand& command : list.slots) {
    if (command.type == DrawType::End) return;
    if ((command.fade & 0x0F) >= kFirstHiddenFade || command.sheet >= kSheetCount) continue;
    DrawCommandOnto(command, compose, stage, sheets[command.sheet]);
  }
}

}  // namespace qs3
