// Drawing one frame's DisplayList into the ComposeBuffer: the software half
// of composing a frame. The front end then presents the whole buffer.
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

// Draws the commands in list order up to the end mark, each clipped to the
// ComposeBuffer's size. Skipped: fade levels of 9 and more, types other than
// Opaque, Sprite, Silhouette and Erase, and sheet indices above 2 (which the
// animation never writes). The ComposeBuffer is not cleared first.
void DrawDisplayList(const DisplayList& list, PixelBuffer& compose, const PixelBuffer& stage,
                     const SpriteSheets& sheets);

}  // namespace qs3
