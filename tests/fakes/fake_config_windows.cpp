#include "fakes/fake_config_windows.h"

namespace qs3::fakes {

void FakeConfigWindows::Mouse(ButtonKind kind, ButtonMessage message, Point at,
                              std::uint32_t keyState) {
  cursor = at;
  const char* className = kind == ButtonKind::Ok       ? "OK"
                          : kind == ButtonKind::Cancel ? "CANCEL"
                                                       : "WAVMODE";
  if (dialog_ == nullptr || !IsLive(buttons[className])) return;
  dialog_->OnButtonMessage(kind, buttons[className], message, keyState);
}

void FakeConfigWindows::Command(std::uintptr_t id) {
  if (dialog_ != nullptr && IsLive(settingsWindow)) dialog_->OnCommand(settingsWindow, id);
}

void FakeConfigWindows::Close() {
  log_.Add("Close");
  DestroyWindow(settingsWindow);
}

bool FakeConfigWindows::RegisterConfigClass(ConfigProcedure, const char* className) {
  log_.Add(std::string("RegisterClass ") + className);
  return !failRegistration.contains(className);
}

WindowHandle FakeConfigWindows::CreateSettingsWindow(const ConfigWindowParams& params,
                                                     ConfigDialog& dialog) {
  log_.Add("CreateWindow " + params.className);
  createdWith = params;
  if (failCreation.contains(params.className)) return kNoWindow;
  dialog_ = &dialog;
  settingsWindow = nextWindow_++;
  names_[settingsWindow] = "settings";
  rects[settingsWindow] = {params.position.x, params.position.y,
                           params.position.x + params.size.width,
                           params.position.y + params.size.height};
  dialog.OnCreate(settingsWindow);
  return settingsWindow;
}

WindowHandle FakeConfigWindows::CreateButtonWindow(WindowHandle parent, const char* className,
                                                   Point position, Size size) {
  log_.Add(std::string("CreateButton ") + className + " " + std::to_string(position.x) + "," +
           std::to_string(position.y) + " " + std::to_string(size.width) + "x" +
           std::to_string(size.height));
  if (failCreation.contains(className) || !IsLive(parent)) return kNoWindow;
  const WindowHandle button = nextWindow_++;
  names_[button] = className;
  buttons[className] = button;
  // A client area that starts 3 pixels right and 21 below the window's corner.
  const Rect& frame = rects[parent];
  const Point origin{frame.left + 3 + position.x, frame.top + 21 + position.y};
  rects[button] = {origin.x, origin.y, origin.x + size.width, origin.y + size.height};
  return button;
}

void FakeConfigWindows::DetachDialog() {
  log_.Add("Detach");
  dialog_ = nullptr;
}

DialogFrameMetrics FakeConfigWindows::FrameMetrics() {
  return metrics;
}

void FakeConfigWindows::ShowAndUpdate(WindowHandle window) {
  log_.Add("Show " + NameOf(window));
}

void FakeConfigWindows::Hide(WindowHandle window) {
  log_.Add("Hide " + NameOf(window));
}

void FakeConfigWindows::EnableWindow(WindowHandle window, bool enable) {
  log_.Add("EnableWindow " + std::to_string(window) + (enable ? " on" : " off"));
}

void FakeConfigWindows::DestroyWindow(WindowHandle window) {
  if (!IsLive(window)) return;
  log_.Add("Destroy " + NameOf(window));
  if (window != settingsWindow) {
    rects.erase(window);
    return;
  }
  // Children go with their parent; the parent hears WM_DESTROY.
  for (const auto& [name, button] : buttons) rects.erase(button);
  if (dialog_ != nullptr) dialog_->OnDestroy(window);
  rects.erase(window);
  if (captured != kNoWindow && !IsLive(captured)) captured = kNoWindow;
}

void FakeConfigWindows::RunMessageLoop() {
  log_.Add("MessageLoop");
  if (duringLoop) duringLoop(*this);
}

void FakeConfigWindows::PostQuit(int exitCode) {
  log_.Add("PostQuit " + std::to_string(exitCode));
  quitPosted = true;
}

void FakeConfigWindows::SendCommand(WindowHandle button, std::uintptr_t id) {
  log_.Add("SendCommand " + std::to_string(id) + " from " + NameOf(button));
  if (dialog_ != nullptr && IsLive(settingsWindow)) dialog_->OnCommand(settingsWindow, id);
}

std::optional<Rect> FakeConfigWindows::WindowRect(WindowHandle window) {
  const auto found = rects.find(window);
  if (found == rects.end()) return std::nullopt;
  return found->second;
}

void FakeConfigWindows::Invalidate(WindowHandle window) {
  if (!IsLive(window)) deadWindowTouched = true;
  log_.Add("Invalidate " + NameOf(window));
}

void FakeConfigWindows::CaptureMouse(WindowHandle window) {
  if (!IsLive(window)) deadWindowTouched = true;
  log_.Add("Capture " + NameOf(window));
  captured = window;
}

void FakeConfigWindows::ReleaseMouse() {
  log_.Add("ReleaseCapture");
  captured = kNoWindow;
}

bool FakeConfigWindows::SelectArtPalette(WindowHandle window, const PaletteEntries& palette) {
  log_.Add("SelectArtPalette " + NameOf(window) + " " + std::to_string(palette.count));
  return !paletteFails;
}

void FakeConfigWindows::RestorePalette(WindowHandle window) {
  log_.Add("RestorePalette " + NameOf(window));
}

std::string FakeConfigWindows::NameOf(WindowHandle window) const {
  const auto found = names_.find(window);
  return found == names_.end() ? std::to_string(window) : found->second;
}

}  // namespace qs3::fakes
