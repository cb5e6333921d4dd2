// The saver window on SDL2: full screen as an SDL window of its own, the
// preview as an X11 child of the given window that the saver draws into with
// Xlib (SDL waits on its own windows for answers that a window dying with its
// host never gives). The event loop sleeps until the next timer tick or
// event and turns them into the core's timer, repaint, input and destroy
// calls.
#pragma once

#include <SDL.h>

#include <array>
#include <optional>

#include "frontends/sdl/sdl_events.h"
#include "frontends/sdl/sdl_presenter.h"
#include "frontends/sdl/timer_schedule.h"
#include "frontends/sdl/x11_windows.h"
#include "shell/entry.h"

namespace qs3::sdl {

class SdlShell final : public SaverShell {
 public:
  SdlShell(const X11Connection& x11, SaverEvents events, X11DrawnWindows& x11Drawn,
           TimerSchedule& timers)
      : x11_(x11), events_(events), x11Drawn_(x11Drawn), timers_(timers) {}
  SdlShell(const SdlShell&) = delete;
  SdlShell& operator=(const SdlShell&) = delete;
  ~SdlShell() override;

  bool RegisterSaverClass() override { return true; }
  // The handle is the SDL window id.
  WindowHandle CreateSaverWindow(const SaverWindowParams& params, SaverWindow& logic) override;
  void ShowSaverWindow(WindowHandle window) override;
  int RunMessageLoop() override;
  void HideSaverWindow(WindowHandle window) override;
  // Covers are SDL windows like the saver's, black by their X background.
  WindowHandle CreateCoverWindow(const Rect& area, SaverWindow& logic) override;
  void PlaceWindow(WindowHandle window, const Rect& area) override;
  void DestroyCoverWindow(WindowHandle window) override;

 private:
  SDL_Window* WindowOf(WindowHandle handle) const;
  void PaintCover(SDL_Window* cover) const;
  // The window is gone (closed, its parent destroyed, or the process asked
  // to end): the logic tears down and posts the quit message.
  void WindowDestroyed();
  void FireDueTimers();
  // Handles the event; the exit code when it is the quit message.
  std::optional<int> Handle(const SDL_Event& event);
  void Dispatch(const SDL_Event& event);
  void Repaint();
  void DestroyWindows();
  WindowHandle CreatePreviewWindow(const SaverWindowParams& params);
  WindowHandle CreateFullScreen(const SaverWindowParams& params);

  const X11Connection& x11_;
  SaverEvents events_;
  X11DrawnWindows& x11Drawn_;
  TimerSchedule& timers_;
  SaverWindow* logic_ = nullptr;
  SDL_Window* window_ = nullptr;
  std::array<SDL_Window*, kMaxMonitors> covers_{};
  XWindowId child_ = 0;   // a preview's own window, drawn through X11
  XWindowId parent_ = 0;  // the window it lives in
  bool destroyed_ = false;
};

// SDL's window events after which the window must be drawn again whole: it
// was uncovered, shown again, or its size (and so its surface) changed.
bool NeedsRepaint(Uint8 windowEvent);

}  // namespace qs3::sdl
