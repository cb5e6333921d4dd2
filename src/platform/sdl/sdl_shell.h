// The saver window on SDL2: full screen as an SDL window of its own, the
// preview as an X11 child window of the given one that SDL draws into. The
// event loop turns SDL's events into the core's timer, input and destroy
// calls.
#pragma once

#include <SDL.h>

#include "platform/sdl/sdl_events.h"
#include "platform/sdl/x11_windows.h"
#include "shell/entry.h"

namespace qs3::sdl {

class SdlShell final : public SaverShell {
 public:
  SdlShell(const X11Connection& x11, SaverEvents events) : x11_(x11), events_(events) {}
  SdlShell(const SdlShell&) = delete;
  SdlShell& operator=(const SdlShell&) = delete;
  ~SdlShell() override;

  bool RegisterSaverClass() override { return true; }
  // The handle is the SDL window id.
  WindowHandle CreateSaverWindow(const SaverWindowParams& params, SaverWindow& logic) override;
  void ShowSaverWindow(WindowHandle window) override;
  int RunMessageLoop() override;
  void HideSaverWindow(WindowHandle window) override;

 private:
  // The window is gone (closed, its parent destroyed, or the process asked
  // to end): the logic tears down and posts the quit message.
  void WindowDestroyed();
  void Dispatch(const SDL_Event& event);
  void DestroyWindows();

  const X11Connection& x11_;
  SaverEvents events_;
  SaverWindow* logic_ = nullptr;
  SDL_Window* window_ = nullptr;
  XWindowId child_ = 0;   // the preview's own X11 window
  XWindowId parent_ = 0;  // the window it lives in
  bool destroyed_ = false;
};

}  // namespace qs3::sdl
