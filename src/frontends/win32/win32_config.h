// The settings window on user32 and gdi32: the four classes and their window
// procedures, which forward to the core's ConfigDialog, the modal loop, the
// mouse capture and the art palette.
#pragma once

#include <windows.h>

#include "config_ui/config_dialog.h"
#include "frontends/win32/win32_gdi.h"
#include "seam/config_windows.h"

namespace qs3::win32 {

class Win32ConfigWindows final : public ConfigWindowSystem {
 public:
  explicit Win32ConfigWindows(HINSTANCE instance) : instance_(instance) {}
  Win32ConfigWindows(const Win32ConfigWindows&) = delete;
  Win32ConfigWindows& operator=(const Win32ConfigWindows&) = delete;
  ~Win32ConfigWindows() override;

  bool RegisterConfigClass(ConfigProcedure procedure, const char* className) override;
  WindowHandle CreateSettingsWindow(const ConfigWindowParams& params,
                                    ConfigDialog& dialog) override;
  WindowHandle CreateButtonWindow(WindowHandle parent, const char* className, Point position,
                                  Size size) override;
  void DetachDialog() override;
  DialogFrameMetrics FrameMetrics() override;
  void ShowAndUpdate(WindowHandle window) override;
  void Hide(WindowHandle window) override;
  void EnableWindow(WindowHandle window, bool enable) override;
  void DestroyWindow(WindowHandle window) override;
  void RunMessageLoop() override;
  void PostQuit(int exitCode) override;
  void SendCommand(WindowHandle button, std::uintptr_t id) override;
  std::optional<Rect> WindowRect(WindowHandle window) override;
  Point CursorPosition() override;
  void Invalidate(WindowHandle window) override;
  void CaptureMouse(WindowHandle window) override;
  void ReleaseMouse() override;
  bool SelectArtPalette(WindowHandle window, const PaletteEntries& palette) override;
  void RestorePalette(WindowHandle window) override;

 private:
  HINSTANCE instance_;
};

}  // namespace qs3::win32
