#include "fakes/fake_host.h"

namespace qs3::fakes {

namespace {
constexpr DeviceContext kDesktopContext = 0xDC;
}

bool FakeHost::TopLevelWindowExists(const char* title) {
  log_.Add(std::string("FindWindow ") + title);
  return topLevelTitles.contains(title);
}

Size FakeHost::ScreenSize() {
  return screen;
}

std::optional<Size> FakeHost::ClientSize(WindowHandle window) {
  log_.Add("GetClientRect " + std::to_string(window));
  const auto found = clientSizes.find(window);
  if (found == clientSizes.end()) return std::nullopt;
  return found->second;
}

WindowHandle FakeHost::ForegroundWindow() {
  return foreground;
}

void FakeHost::BringToForeground(WindowHandle window) {
  log_.Add("SetForegroundWindow " + std::to_string(window));
}

Point FakeHost::CursorPosition() {
  return cursor;
}

void FakeHost::ShowCursor(bool show) {
  log_.Add(show ? "ShowCursor 1" : "ShowCursor 0");
  cursorShowCount += show ? 1 : -1;
}

void FakeHost::EnableInputMethod(bool enable) {
  log_.Add(enable ? "EnableIME 1" : "EnableIME 0");
  inputMethodEnabled = enable;
}

void FakeHost::ShowMessage(WindowHandle, const char* text, const char* caption) {
  log_.Add(std::string("MessageBox ") + text + " | " + caption);
}

void FakeHost::PostQuit(int exitCode) {
  log_.Add("PostQuit " + std::to_string(exitCode));
  ++quitCount;
  lastExitCode = exitCode;
}

DeviceContext FakeHost::AcquireDesktopContext() {
  log_.Add("GetDC desktop");
  return kDesktopContext;
}

void FakeHost::ReleaseDesktopContext(DeviceContext) {
  log_.Add("ReleaseDC desktop");
}

bool FakeHost::StartTimer(WindowHandle, unsigned id, unsigned milliseconds) {
  log_.Add("SetTimer " + std::to_string(id) + " " + std::to_string(milliseconds));
  if (timerFails) return false;
  runningTimers.insert(id);
  return true;
}

void FakeHost::StopTimer(WindowHandle, unsigned id) {
  log_.Add("KillTimer " + std::to_string(id));
  runningTimers.erase(id);
}

std::int64_t FakeHost::CalendarSeconds() {
  return now;
}

}  // namespace qs3::fakes
