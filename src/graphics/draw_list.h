// Drawing one frame's DisplayList into the ComposeBuffer: the software half
// of composing a frame. The front end then presents what changed.
#pragma once

#include <array>

#include "graphics/display_list.h"
#include "graphics/draw_modes.h"
#include "graphics/sheet_bitmaps.h"

namespace qs3 {

inline constexpr int kSheetCount = 3;
using SpriteSheets = std::array<SpriteSheet, kSheetCount>;

// Fade levels of 9 and above (low 4 bits of `fade`) skip a command.
inline constexpr int kFirstHiddenFade = 9;

// Whether a command before the end mark is drawn at all: not for fade levels
// of 9 and more, types other than Opaque, Sprite, Silhouette and Erase, or
// sheet indices above 2 (which the animation never writes).
bool IsDrawn(const DrawCommand& command);

// The command's rectangle, sign-extended and clipped to the stage.
BlitRect ClippedRect(const DrawCommand& command, Size stageSize);

// Draws one command as DrawDisplayList does: nothing when it is not drawn.
void DrawListCommand(const DrawCommand& command, PixelBuffer& compose, const PixelBuffer& stage,
                     const SpriteSheets& sheets);

// Draws the commands in list order up to the end mark, each clipped to the
// ComposeBuffer's size, skipping those that are not drawn. The ComposeBuffer
// is not cleared first.
void DrawDisplayList(const DisplayList& list, PixelBuffer& compose, const PixelBuffer& stage,
                     const SpriteSheets& sheets);

}  // namespace qs3
