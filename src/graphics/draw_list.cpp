#include "graphics/draw_list.h"

namespace qs3 {

namespace {

void DrawCommandOnto(const DrawCommand& command, PixelBuffer& compose, const PixelBuffer& stage,
                     const SpriteSheet& sheet) {
  const int fade = command.fade & 0x0F;
  const BlitRect rect = ClippedRect(command, {compose.Width(), compose.Height()});
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

bool IsDrawn(const DrawCommand& command) {
  switch (command.type) {
    case DrawType::Opaque:
    case DrawType::Sprite:
    case DrawType::Silhouette:
    case DrawType::Erase:
      return (command.fade & 0x0F) < kFirstHiddenFade && command.sheet < kSheetCount;
    default:
      return false;
  }
}

BlitRect ClippedRect(const DrawCommand& command, Size stageSize) {
  BlitRect rect{.destX = command.destX,
                .destY = command.destY,
                .srcX = command.srcX,
                .srcY = command.srcY,
                .width = command.width,
                .height = command.height};
  ClipToStage(rect, stageSize);
  return rect;
}

void DrawListCommand(const DrawCommand& command, PixelBuffer& compose, const PixelBuffer& stage,
                     const SpriteSheets& sheets) {
  if (IsDrawn(command)) DrawCommandOnto(command, compose, stage, sheets[command.sheet]);
}

void DrawDisplayList(const DisplayList& list, PixelBuffer& compose, const PixelBuffer& stage,
                     const SpriteSheets& sheets) {
  for (const DrawCommand& command : list.slots) {
    if (command.type == DrawType::End) return;
    DrawListCommand(command, compose, stage, sheets);
  }
}

}  // namespace qs3
