#include "frontends/win32/win32_host.h"

#include <windows.h>
#include <winnls32.h>

#include <ctime>

#include "frontends/win32/win32_handles.h"
#include "frontends/win32/win32_text.h"

namespace qs3::win32 {

bool Win32Host::TopLevelWindowExists(const char* title) {
  return FindWindowA(nullptr, title) != nullptr;
}

Size Win32Host::ScreenSize() {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  auto& layout = *reinterpret_cast<MonitorLayout*>(data);
  if (layout.count >= kMaxMonitors) return FALSE;
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return TRUE;
  const RECT& area = info.rcMonitor;
  layout.monitors[layout.count++] = {{area.left, area.top, area.right, area.bottom},
                                     (info.dwFlags & MONITORINFOF_PRIMARY) != 0};
  return TRUE;
}

}  // namespace

MonitorLayout Win32Host::Monitors() {
  MonitorLayout layout;
  if (!EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&layout)) &&
      layout.count < kMaxMonitors) {
    return {};
  }
  return layout;
}

std::optional<Size> Win32Host::ClientSize(WindowHandle window) {
  RECT client{};
  if (window == kNoWindow || !GetClientRect(ToHwnd(window), &client)) return std::nullopt;
  return Size{client.right, client.bottom};
}

WindowHandle Win32Host::ForegroundWindow() {
  return FromHwnd(GetForegroundWindow());
}

void Win32Host::BringToForeground(WindowHandle window) {
  SetForegroundWindow(ToHwnd(window));
}

Point Win32Host::CursorPosition() {
  POINT cursor{};
  if (GetCursorPos(&cursor)) lastCursor_ = {cursor.x, cursor.y};
  return lastCursor_;
}

void Win32Host::ShowCursor(bool show) {
  ::ShowCursor(show ? TRUE : FALSE);
}

void Win32Host::EnableInputMethod(bool enable) {
  WINNLSEnableIME(nullptr, enable ? TRUE : FALSE);
}

void Win32Host::ShowMessage(WindowHandle owner, const char* text, const char* caption) {
  const auto wideText = WideFromShiftJis(text);
  const auto wideCaption = WideFromShiftJis(caption);
  if (wideText && wideCaption) {
    MessageBoxW(ToHwnd(owner), wideText->c_str(), wideCaption->c_str(), MB_OK);
  } else {
    MessageBoxA(ToHwnd(owner), text, caption, MB_OK);
  }
}

void Win32Host::PostQuit(int exitCode) {
  PostQuitMessage(exitCode);
}

DeviceContext Win32Host::AcquireDesktopContext() {
  return reinterpret_cast<DeviceContext>(GetDC(GetDesktopWindow()));
}

void Win32Host::ReleaseDesktopContext(DeviceContext context) {
  if (context != 0) ReleaseDC(GetDesktopWindow(), reinterpret_cast<HDC>(context));
}

bool Win32Host::StartTimer(WindowHandle window, unsigned id, unsigned milliseconds) {
  return SetTimer(ToHwnd(window), id, milliseconds, nullptr) != 0;
}

void Win32Host::StopTimer(WindowHandle window, unsigned id) {
  KillTimer(ToHwnd(window), id);
}

std::int64_t Win32Host::CalendarSeconds() {
  return static_cast<std::int64_t>(std::time(nullptr));
}

}  // namespace qs3::win32
