// A scripted window manager that records every call in a CallLog.
#pragma once

#include <map>
#include <set>
#include <string>

#include "fakes/call_log.h"
#include "seam/host.h"

namespace qs3::fakes {

class FakeHost final : public Host {
 public:
  explicit FakeHost(CallLog& log) : log_(log) {}

  // Script.
  std::set<std::string> topLevelTitles;
  Size screen{800, 600};
  MonitorLayout monitors;  // count 0: the system cannot say
  std::map<WindowHandle, Size> clientSizes;
  WindowHandle foreground = kNoWindow;
  Point cursor;
  bool timerFails = false;
  std::int64_t now = 1700000000;

  // Observed.
  int cursorShowCount = 0;  // the net of ShowCursor(true) and ShowCursor(false)
  bool inputMethodEnabled = true;
  int quitCount = 0;
  int lastExitCode = -1;
  std::set<unsigned> runningTimers;

  bool TopLevelWindowExists(const char* title) override;
  Size ScreenSize() override;
  MonitorLayout Monitors() override { return monitors; }
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
  CallLog& log_;
};

}  // namespace qs3::fakes
