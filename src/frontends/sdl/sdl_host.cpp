#include "frontends/sdl/sdl_host.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <memory>

namespace qs3::sdl {
namespace {

struct SdlFreeDeleter {
  void operator()(char* text) const { SDL_free(text); }
};

}  // namespace

std::string Utf8FromShiftJis(const char* text) {
  if (text == nullptr) return {};
  std::unique_ptr<char, SdlFreeDeleter> converted(
      SDL_iconv_string("UTF-8", "SHIFT-JIS", text, std::strlen(text) + 1));
  return converted ? std::string(converted.get()) : std::string(text);
}

bool SdlHost::TopLevelWindowExists(const char* title) {
  return title != nullptr && x11_.TopLevelWindowExists(title);
}

Size SdlHost::ScreenSize() {
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return {};
  return {mode.w, mode.h};
}

MonitorLayout SdlHost::Monitors() {
  MonitorLayout layout = x11_.Monitors();
  if (layout.count > 0) return layout;
  // Without RandR, SDL's displays: the primary one is listed first.
  const int count = std::min(SDL_GetNumVideoDisplays(), kMaxMonitors);
  for (int i = 0; i < count; ++i) {
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(i, &bounds) != 0) continue;
    layout.monitors[layout.count++] = {
        {bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h}, i == 0};
  }
  return layout;
}

std::optional<Size> SdlHost::ClientSize(WindowHandle window) {
  if (window <= 0 || window > static_cast<WindowHandle>(UINT32_MAX)) return std::nullopt;
  return x11_.WindowSize(static_cast<XWindowId>(window));
}

WindowHandle SdlHost::ForegroundWindow() {
  return static_cast<WindowHandle>(x11_.ActiveWindow());
}

void SdlHost::BringToForeground(WindowHandle window) {
  if (window <= 0 || window > static_cast<WindowHandle>(UINT32_MAX)) return;
  x11_.Activate(static_cast<XWindowId>(window));
}

Point SdlHost::CursorPosition() {
  if (const std::optional<Point> pointer = x11_.PointerPosition()) lastCursor_ = *pointer;
  return lastCursor_;
}

void SdlHost::ShowCursor(bool show) {
  SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void SdlHost::EnableInputMethod(bool enable) {
  // The full-screen saver switches it off on every frame; SDL needs telling once.
  if (inputMethodEnabled_ == enable) return;
  inputMethodEnabled_ = enable;
  if (enable) {
    SDL_StartTextInput();
  } else {
    SDL_StopTextInput();
  }
}

void SdlHost::ShowMessage(WindowHandle owner, const char* text, const char* caption) {
  const std::string utf8Text = Utf8FromShiftJis(text);
  const std::string utf8Caption = Utf8FromShiftJis(caption);
  SDL_Window* window = SDL_GetWindowFromID(static_cast<Uint32>(owner));
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, utf8Caption.c_str(), utf8Text.c_str(),
                               window) != 0) {
    SDL_Log("%s: %s", utf8Caption.c_str(), utf8Text.c_str());
  }
}

void SdlHost::PostQuit(int exitCode) {
  PushUserEvent(events_.quit, exitCode);
}

bool SdlHost::StartTimer(WindowHandle window, unsigned id, unsigned milliseconds) {
  timers_.Start(window, id, milliseconds, NowMs());
  return true;
}

void SdlHost::StopTimer(WindowHandle window, unsigned id) {
  timers_.Stop(window, id);
}

std::int64_t SdlHost::CalendarSeconds() {
  return static_cast<std::int64_t>(std::time(nullptr));
}

}  // namespace qs3::sdl
