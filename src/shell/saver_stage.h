// What the saver window drives while it lives: the music player, the
// graphics state, the performance and the frame composition. The window
// calls them in a fixed order at creation, on each tick and at teardown.
#pragma once

#include <cstdint>

#include "platform/host.h"
#include "platform/types.h"

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
  virtual bool InitGraphics(WindowHandle window, DeviceContext desktop) = 0;
  virtual void ReleaseGraphics(WindowHandle window) = 0;

  // Performance.
  virtual void SeedRandom(std::uint32_t seed) = 0;
  virtual void InitPerformance() = 0;
  virtual void ReleasePositionBlock() = 0;

  // One frame: a timeline step, the display list drawn, the frame presented.
  virtual void ComposeFrame(WindowHandle window) = 0;
};

inline constexpr unsigned kFrameTimerId = 100;
inline constexpr unsigned kFrameTimerMilliseconds = 100;

// The stage until the performance and the music player are built: no music
// device (so the saver runs silent), the frame timer running, and the
// window's black background as the whole picture.
class BlackStage final : public SaverStage {
 public:
  explicit BlackStage(Host& host) : host_(host) {}

  bool OpenMusic(WindowHandle) override { return false; }
  bool LoadSound(const char*, int) override { return false; }
  bool PlaySlot(int, std::int32_t) override { return false; }
  void CloseMusic() override {}

  bool InitGraphics(WindowHandle window, DeviceContext) override {
    timerRunning_ = host_.StartTimer(window, kFrameTimerId, kFrameTimerMilliseconds);
    return timerRunning_;
  }
  void ReleaseGraphics(WindowHandle window) override {
    if (timerRunning_) host_.StopTimer(window, kFrameTimerId);
    timerRunning_ = false;
  }

  void SeedRandom(std::uint32_t) override {}
  void InitPerformance() override {}
  void ReleasePositionBlock() override {}
  void ComposeFrame(WindowHandle) override {}

 private:
  Host& host_;
  bool timerRunning_ = false;
};

}  // namespace qs3
