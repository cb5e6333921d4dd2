// The window-manager services of the core on SDL2, with X11 for what SDL
// does not offer (windows of other programs).
#pragma once

#include <SDL.h>

#include <optional>
#include <string>

#include "frontends/sdl/sdl_events.h"
#include "frontends/sdl/timer_schedule.h"
#include "frontends/sdl/x11_windows.h"
#include "seam/host.h"

namespace qs3::sdl {

class SdlHost final : public Host {
 public:
  // Timers go into `timers`, which the shell's loop sleeps on and fires.
  SdlHost(const X11Connection& x11, SaverEvents events, TimerSchedule& timers)
      : x11_(x11), events_(events), timers_(timers) {}
  SdlHost(const SdlHost&) = delete;
  SdlHost& operator=(const SdlHost&) = delete;

  bool TopLevelWindowExists(const char* title) override;
  Size ScreenSize() override;
  MonitorLayout Monitors() override;
  std::optional<Size> ClientSize(WindowHandle window) override;
  WindowHandle ForegroundWindow() override;
  void BringToForeground(WindowHandle window) override;
  Point CursorPosition() override;
  void ShowCursor(bool show) override;
  void EnableInputMethod(bool enable) override;
  void ShowMessage(WindowHandle owner, const char* text, const char* caption) override;
  void PostQuit(int exitCode) override;
  DeviceContext AcquireDesktopContext() override { return 0; }
  void ReleaseDesktopContext(DeviceContext) override {}
  bool StartTimer(WindowHandle window, unsigned id, unsigned milliseconds) override;
  void StopTimer(WindowHandle window, unsigned id) override;
  std::int64_t CalendarSeconds() override;

 private:
  const X11Connection& x11_;
  SaverEvents events_;
  TimerSchedule& timers_;
  // A failed query repeats the last answer, so it never looks like a move.
  Point lastCursor_;
  std::optional<bool> inputMethodEnabled_;
};

// Shift-JIS bytes as UTF-8; the bytes themselves when they cannot be converted.
std::string Utf8FromShiftJis(const char* text);

}  // namespace qs3::sdl
