// What the saver expects of the window manager. The Win32 front end maps each
// call onto user32; tests use a fake that records calls and scripts answers.
#pragma once

#include <optional>

#include "seam/types.h"

namespace qs3 {

class Host {
 public:
  virtual ~Host() = default;

  // FindWindowA(nullptr, title): a top-level window with exactly this title.
  virtual bool TopLevelWindowExists(const char* title) = 0;
  // SM_CXSCREEN, SM_CYSCREEN.
  virtual Size ScreenSize() = 0;
  // EnumDisplayMonitors: every monitor of the desktop as it is now; a count of
  // 0 when the system cannot say.
  virtual MonitorLayout Monitors() = 0;
  // GetClientRect: right and bottom edges; none when the handle names no window.
  virtual std::optional<Size> ClientSize(WindowHandle window) = 0;
  virtual WindowHandle ForegroundWindow() = 0;
  virtual void BringToForeground(WindowHandle window) = 0;

  // Cursor position in screen coordinates, and ShowCursor(true/false).
  virtual Point CursorPosition() = 0;
  virtual void ShowCursor(bool show) = 0;
  // WINNLSEnableIME(nullptr, enable): the input-method editor of the thread.
  virtual void EnableInputMethod(bool enable) = 0;

  // MessageBoxA(owner, text, caption, MB_OK); text and caption are Shift-JIS bytes.
  virtual void ShowMessage(WindowHandle owner, const char* text, const char* caption) = 0;
  // PostQuitMessage(exitCode).
  virtual void PostQuit(int exitCode) = 0;

  // GetDC(GetDesktopWindow()) and ReleaseDC of it.
  virtual DeviceContext AcquireDesktopContext() = 0;
  virtual void ReleaseDesktopContext(DeviceContext context) = 0;

  // SetTimer(window, id, ms, no callback): ticks arrive as timer messages.
  virtual bool StartTimer(WindowHandle window, unsigned id, unsigned milliseconds) = 0;
  virtual void StopTimer(WindowHandle window, unsigned id) = 0;

  // time(nullptr): calendar time in whole seconds.
  virtual std::int64_t CalendarSeconds() = 0;
};

}  // namespace qs3
