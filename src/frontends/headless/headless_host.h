// The window manager of a run with no display: a fixed screen size, timers
// that only record that they run, and a clock the caller sets. Ticks come from
// whoever drives the run, not from a timer.
#pragma once

#include "seam/host.h"

namespace qs3 {

class HeadlessHost final : public Host {
 public:
  // With no monitors given, the screen is the one monitor.
  explicit HeadlessHost(Size screen, MonitorLayout monitors = {})
      : screen_(screen), monitors_(monitors) {
    if (monitors_.count == 0) {
      monitors_.count = 1;
      monitors_.monitors[0] = {{0, 0, screen.width, screen.height}, true};
    }
  }

  bool TopLevelWindowExists(const char*) override { return false; }
  Size ScreenSize() override { return screen_; }
  MonitorLayout Monitors() override { return monitors_; }
  std::optional<Size> ClientSize(WindowHandle) override { return std::nullopt; }
  WindowHandle ForegroundWindow() override { return kNoWindow; }
  void BringToForeground(WindowHandle) override {}
  Point CursorPosition() override { return {}; }
  void ShowCursor(bool) override {}
  void EnableInputMethod(bool) override {}
  void ShowMessage(WindowHandle, const char*, const char*) override {}
  void PostQuit(int) override {}
  DeviceContext AcquireDesktopContext() override { return 1; }
  void ReleaseDesktopContext(DeviceContext) override {}
  bool StartTimer(WindowHandle, unsigned, unsigned) override { return ++runningTimers_, true; }
  void StopTimer(WindowHandle, unsigned) override { --runningTimers_; }
  std::int64_t CalendarSeconds() override { return 0; }

  int RunningTimers() const { return runningTimers_; }

 private:
  Size screen_;
  MonitorLayout monitors_;
  int runningTimers_ = 0;
};

}  // namespace qs3
