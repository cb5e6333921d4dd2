// The window-manager services of the core on SDL2, with X11 for what SDL
// does not offer (windows of other programs).
#pragma once

#include <SDL.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "seam/host.h"
#include "frontends/sdl/sdl_events.h"
#include "frontends/sdl/x11_windows.h"

namespace qs3::sdl {

// What a timer's callback, on SDL's timer thread, needs to post its tick.
struct TimerPost {
  Uint32 eventType = 0;
  unsigned id = 0;
  WindowHandle window = kNoWindow;
};

class SdlHost final : public Host {
 public:
  SdlHost(const X11Connection& x11, SaverEvents events) : x11_(x11), events_(events) {}
  SdlHost(const SdlHost&) = delete;
  SdlHost& operator=(const SdlHost&) = delete;
  ~SdlHost() override;

  bool TopLevelWindowExists(const char* title) override;
  Size ScreenSize() override;
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
  struct Timer {
    SDL_TimerID sdlId = 0;
    std::unique_ptr<TimerPost> post;
  };

  const X11Connection& x11_;
  SaverEvents events_;
  // A failed query repeats the last answer, so it never looks like a move.
  Point lastCursor_;
  std::optional<bool> inputMethodEnabled_;
  std::map<std::pair<WindowHandle, unsigned>, Timer> timers_;
  // A removed timer's callback may still be running on the timer thread, so
  // what it reads lives as long as the host.
  std::vector<std::unique_ptr<TimerPost>> retiredPosts_;
};

// Shift-JIS bytes as UTF-8; the bytes themselves when they cannot be converted.
std::string Utf8FromShiftJis(const char* text);

}  // namespace qs3::sdl
