// What the saver window drives while it lives: the music player, the
// graphics state, the performance and the frame composition. The window
// calls them in a fixed order at creation, on each tick and at teardown.
#pragma once

#include <cstdint>

#include "seam/host.h"
#include "seam/types.h"
#include "shell/command_line.h"

namespace qs3 {

class SaverStage {
 public:
  virtual ~SaverStage() = default;

  // Music: nonzero/true on success.
  virtual bool OpenMusic(WindowHandle window) = 0;
  virtual bool LoadSound(const char* path, int slot) = 0;
  virtual bool PlaySlot(int slot, std::int32_t looped) = 0;
  virtual void CloseMusic() = 0;

  // Graphics: palette, sprite sheets, fade patterns, buffers and the frame timer.
  // Built for the mode, stage size and scale of this run.
  virtual bool InitGraphics(WindowHandle window, DeviceContext desktop,
                            const StartupState& startup) = 0;
  virtual void ReleaseGraphics(WindowHandle window) = 0;

  // Performance.
  virtual void SeedRandom(std::uint32_t seed) = 0;
  virtual void InitPerformance() = 0;
  virtual void ReleasePositionBlock() = 0;

  // One frame: a timeline step, the display list drawn, and what it changed
  // presented (the first frame whole). The step follows the music's position
  // while music is on, else the ticks.
  virtual void ComposeFrame(WindowHandle window, bool musicEnabled) = 0;
  // Whether the next frame begins a new performance.
  virtual bool RestartsOnNextTick(bool musicEnabled) const = 0;
  // The stage moves to a monitor of this size: black buffers of its size when
  // it differs, and the next frame shown whole. The next performance is placed
  // on it; with `placeNow` the running one is placed anew on it at once (its
  // monitor is gone). False, with nothing changed, when the buffers cannot be had.
  virtual bool MoveToScreen(Size size, bool placeNow) = 0;

  // The whole ComposeBuffer shown in the window again, when the system asks
  // for a repaint; nothing before the graphics are built or after they are freed.
  virtual void PresentWholeFrame(WindowHandle window) = 0;
};

}  // namespace qs3
