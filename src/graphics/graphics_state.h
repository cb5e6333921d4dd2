// The graphics of the running animation: the AnimPalette, the three sprite
// sheets, the StageBuffer (black, the background that erasing restores) and
// the ComposeBuffer (the frame, kept from tick to tick) with the room that
// works out what a tick changed in it, and the frame timer.
// InitGraphics builds them in a fixed order and stops at the first failure,
// leaving what it made for ReleaseGraphics.
#pragma once

#include <cstdint>

#include "graphics/draw_list.h"
#include "graphics/frame_changes.h"
#include "graphics/pixel_buffer.h"
#include "seam/frame_presenter.h"
#include "seam/host.h"
#include "seam/resource_source.h"
#include "shell/command_line.h"

namespace qs3 {

inline constexpr unsigned kFrameTimerId = 100;
inline constexpr unsigned kFrameTimerMilliseconds = 100;

struct SheetSlot {
  bool hasIndices = false;  // the shape: what the mask is read from
  bool hasColours = false;
};

struct GraphicsState {
  bool hasPalette = false;
  PaletteEntries palette;
  SpriteSheets sheets;
  std::array<SheetSlot, kSheetCount> loaded{};
  bool hasStageBuffers = false;
  PixelBuffer stageBuffer;
  PixelBuffer composeBuffer;
  FrameChangeTracker changes;
  std::uint16_t timerId = 0;  // 0: no timer
};

struct GraphicsServices {
  ResourceSource& resources;
  FramePresenter& presenter;
  Host& host;
};

// What the set-up needs of the start-up values.
struct GraphicsTarget {
  SaverMode mode = SaverMode::FullScreen;
  Size stageSize;
  std::int32_t scaleFactor = 1000;
};

// Resource ids of sheets 0, 1 and 2.
inline constexpr std::array<int, kSheetCount> kSheetResources{114, 115, 113};

bool InitGraphics(GraphicsState& state, GraphicsServices services, const GraphicsTarget& target,
                  WindowHandle window, DeviceContext desktop);
// Frees what exists, in the reverse of the set-up's order: timer, stage
// buffers, sheets, palette. Safe to call twice.
void ReleaseGraphics(GraphicsState& state, GraphicsServices services, WindowHandle window);

// Two black stage-sized buffers and the change tracker's room; false when the
// size is not a usable one or the memory cannot be had.
bool CreateStageBuffers(GraphicsState& state, Size stageSize);

// New black buffers of another size (a stage moving to another monitor);
// false, with the buffers as they were, when the new ones cannot be had.
bool ReshapeStageBuffers(GraphicsState& state, Size stageSize);

}  // namespace qs3
