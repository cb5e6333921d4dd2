// The window-manager services of the core on user32.
#pragma once

#include "seam/host.h"

namespace qs3::win32 {

class Win32Host final : public Host {
 public:
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
  DeviceContext AcquireDesktopContext() override;
  void ReleaseDesktopContext(DeviceContext context) override;
  bool StartTimer(WindowHandle window, unsigned id, unsigned milliseconds) override;
  void StopTimer(WindowHandle window, unsigned id) override;
  std::int64_t CalendarSeconds() override;

 private:
  // GetCursorPos can fail (on another desktop, for one); the last position it
  // gave then stands, so a failed query never looks like a move.
  Point lastCursor_;
};

}  // namespace qs3::win32
