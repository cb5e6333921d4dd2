// The settings window on SDL2: one SDL window whose three buttons are areas
// of it rather than windows of their own. Mouse events go to the button
// under the cursor (or the one holding the capture) as the OS would deliver
// them to a child window, and every change repaints the whole window from
// the core's background and button pictures.
#pragma once

#include <SDL.h>

#include <map>
#include <string>
#include <vector>

#include "config_ui/config_dialog.h"
#include "frontends/sdl/sdl_events.h"
#include "frontends/sdl/x11_windows.h"
#include "seam/config_windows.h"

namespace qs3::sdl {

class SdlConfigWindows final : public ConfigWindowSystem {
 public:
  SdlConfigWindows(const X11Connection& x11, SaverEvents events) : x11_(x11), events_(events) {}
  SdlConfigWindows(const SdlConfigWindows&) = delete;
  SdlConfigWindows& operator=(const SdlConfigWindows&) = delete;
  ~SdlConfigWindows() override;

  bool RegisterConfigClass(ConfigProcedure procedure, const char* className) override;
  WindowHandle CreateSettingsWindow(const ConfigWindowParams& params,
                                    ConfigDialog& dialog) override;
  WindowHandle CreateButtonWindow(WindowHandle parent, const char* className, Point position,
                                  Size size) override;
  void DetachDialog() override { dialog_ = nullptr; }
  // SDL places and sizes the client area itself: no frame is added.
  DialogFrameMetrics FrameMetrics() override { return {}; }
  void ShowAndUpdate(WindowHandle window) override;
  void Hide(WindowHandle window) override;
  // X11 knows no disabled window; the settings window is simply on top.
  void EnableWindow(WindowHandle, bool) override {}
  void DestroyWindow(WindowHandle window) override;
  void RunMessageLoop() override;
  void PostQuit(int exitCode) override;
  void SendCommand(WindowHandle button, std::uintptr_t id) override;
  std::optional<Rect> WindowRect(WindowHandle window) override;
  Point CursorPosition() override;
  void Invalidate(WindowHandle) override { dirty_ = true; }
  void CaptureMouse(WindowHandle window) override;
  void ReleaseMouse() override;
  bool SelectArtPalette(WindowHandle, const PaletteEntries& palette) override {
    return palette.count > 0;
  }
  void RestorePalette(WindowHandle) override {}

 private:
  struct Button {
    WindowHandle handle = kNoWindow;
    ButtonKind kind = ButtonKind::Ok;
    Rect client;  // right and bottom exclusive
  };

  const Button* FindButton(WindowHandle handle) const;
  const Button* ButtonAt(int x, int y) const;
  void Dispatch(const SDL_Event& event);
  void DeliverMouse(ButtonMessage message, int x, int y, std::uint32_t keyState);
  void Paint();

  const X11Connection& x11_;
  SaverEvents events_;
  std::map<std::string, ConfigProcedure> classes_;
  ConfigDialog* dialog_ = nullptr;
  SDL_Window* window_ = nullptr;
  WindowHandle handle_ = kNoWindow;
  Size clientSize_;
  std::vector<Button> buttons_;
  WindowHandle captured_ = kNoWindow;
  bool dirty_ = false;
  bool quit_ = false;
};

}  // namespace qs3::sdl
