// The saver window on SDL2: full screen as an SDL window of its own, the
// preview as an X11 child of the given window that the saver draws into with
// Xlib (SDL waits on its own windows for answers that a window dying with its
// host never gives). The
// event loop turns SDL's events into the core's timer, input and destroy
// calls.
#pragma once

#include <SDL.h>

#include "frontends/sdl/sdl_events.h"
#include "frontends/sdl/sdl_presenter.h"
#include "frontends/sdl/x11_windows.h"
#include "shell/entry.h"

namespace qs3::sdl {

class SdlShell final : public SaverShell {
 public:
  SdlShell(const X11Connection& x11, SaverEvents events, X11DrawnWindows& x11Drawn)
      : x11_(x11), events_(events), x11Drawn_(x11Drawn) {}
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
  WindowHandle CreatePreviewWindow(const SaverWindowParams& params);
  WindowHandle CreateFullScreen(const SaverWindowParams& params);

  const X11Connection& x11_;
  SaverEvents events_;
  X11DrawnWindows& x11Drawn_;
  SaverWindow* logic_ = nullptr;
  SDL_Window* window_ = nullptr;
  XWindowId child_ = 0;   // a preview's own window, drawn through X11
  XWindowId parent_ = 0;  // the window it lives in
  bool destroyed_ = false;
};

}  // namespace qs3::sdl
