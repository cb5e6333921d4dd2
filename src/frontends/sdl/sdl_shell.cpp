#include "frontends/sdl/sdl_shell.h"

namespace qs3::sdl {
namespace {

std::optional<InputMessage> InputFrom(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
      return (event.key.keysym.mod & KMOD_ALT) != 0 ? InputMessage::SysKeyDown
                                                    : InputMessage::KeyDown;
    case SDL_MOUSEMOTION:
      return InputMessage::MouseMove;
    case SDL_MOUSEBUTTONDOWN:
      if (event.button.button == SDL_BUTTON_LEFT) return InputMessage::LeftButtonDown;
      if (event.button.button == SDL_BUTTON_RIGHT) return InputMessage::RightButtonDown;
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

void FillBlack(SDL_Window* window) {
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (surface == nullptr) return;
  SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
  SDL_UpdateWindowSurface(window);
}

}  // namespace

SdlShell::~SdlShell() {
  DestroyWindows();
}

WindowHandle SdlShell::CreateSaverWindow(const SaverWindowParams& params, SaverWindow& logic) {
  const WindowHandle handle =
      (params.style & kStyleChild) != 0 ? CreatePreviewWindow(params) : CreateFullScreen(params);
  if (handle == kNoWindow) return kNoWindow;
  logic_ = &logic;
  logic.OnCreate(handle);
  return handle;
}

WindowHandle SdlShell::CreatePreviewWindow(const SaverWindowParams& params) {
  // A child window needs a parent that exists.
  if (params.parent <= 0 || params.parent > static_cast<WindowHandle>(UINT32_MAX)) return 0;
  parent_ = static_cast<XWindowId>(params.parent);
  child_ = x11_.CreateChild(parent_, params.size, params.title.c_str());
  if (child_ == 0) return kNoWindow;
  const auto handle = static_cast<WindowHandle>(child_);
  x11Drawn_.Add(handle);
  return handle;
}

WindowHandle SdlShell::CreateFullScreen(const SaverWindowParams& params) {
  window_ = SDL_CreateWindow(params.title.c_str(), params.position.x, params.position.y,
                             params.size.width, params.size.height,
                             SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_ALWAYS_ON_TOP |
                                 SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
  if (window_ == nullptr) return kNoWindow;
  return static_cast<WindowHandle>(SDL_GetWindowID(window_));
}

void SdlShell::ShowSaverWindow(WindowHandle) {
  // A preview is mapped, black, from its creation.
  if (window_ == nullptr) return;
  SDL_ShowWindow(window_);
  SDL_RaiseWindow(window_);
  FillBlack(window_);
}

int SdlShell::RunMessageLoop() {
  // SDL wakes a waiting loop by sending an X event to one of its windows; a
  // preview's window dies with its host without a word, and a wait on it
  // would never end. Waiting in short slices keeps the ticks coming.
  constexpr int kWaitSliceMs = 50;
  SDL_Event event{};
  for (;;) {
    if (SDL_WaitEventTimeout(&event, kWaitSliceMs) == 0) continue;
    if (event.type == events_.quit) return event.user.code;
    Dispatch(event);
  }
}

void SdlShell::Dispatch(const SDL_Event& event) {
  if (logic_ == nullptr) return;
  if (event.type == events_.timer) {
    // A preview ends with the window it lives in; X11 sends no word of that
    // to a window SDL did not create, so every tick looks.
    if (parent_ != 0 && !x11_.WindowSize(parent_)) {
      WindowDestroyed();
      return;
    }
    if (!destroyed_) logic_->OnTimer();
    return;
  }
  if (event.type == SDL_QUIT ||
      (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE)) {
    WindowDestroyed();
    return;
  }
  if (const auto input = InputFrom(event); input && !destroyed_) logic_->OnInput(*input);
}

void SdlShell::WindowDestroyed() {
  if (destroyed_) return;
  destroyed_ = true;
  logic_->OnDestroy();
}

void SdlShell::HideSaverWindow(WindowHandle) {
  if (window_ != nullptr) SDL_HideWindow(window_);
  logic_ = nullptr;
  DestroyWindows();
}

void SdlShell::DestroyWindows() {
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  window_ = nullptr;
  if (child_ != 0) {
    x11Drawn_.Remove(static_cast<WindowHandle>(child_));
    x11_.DestroyWindow(child_);  // nothing left to do when it died with its host
  }
  child_ = 0;
}

}  // namespace qs3::sdl
