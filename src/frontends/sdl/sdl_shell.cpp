#include "frontends/sdl/sdl_shell.h"

#include <SDL_syswm.h>

#include <algorithm>
#include <limits>

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

// A wait in whole milliseconds that ends just after the deadline, so the
// loop never wakes a moment early only to sleep again; 0: a timer is due;
// -1: no timer runs, the wait lasts until an event.
int WaitMilliseconds(std::optional<TimerSchedule::Milliseconds> untilNext) {
  if (!untilNext) return -1;
  if (*untilNext == 0) return 0;
  return static_cast<int>(
      std::min<TimerSchedule::Milliseconds>(*untilNext + 1, std::numeric_limits<int>::max()));
}

// The X window under an SDL window; none on other video drivers.
std::optional<XWindowId> X11WindowOf(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info{};
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11)
    return static_cast<XWindowId>(info.info.x11.window);
#else
  (void)window;
#endif
  return std::nullopt;
}

// A window made at a monitor's bounds in its size is full screen on that
// monitor, with or without a window manager.
SDL_Window* CreateFullScreenWindow(const char* title, const Rect& area) {
  return SDL_CreateWindow(title, area.left, area.top, area.right - area.left,
                          area.bottom - area.top,
                          SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_ALWAYS_ON_TOP |
                              SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
}

}  // namespace

bool NeedsRepaint(Uint8 windowEvent) {
  switch (windowEvent) {
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      return true;
    default:
      return false;
  }
}

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
  x11Drawn_.Add(handle, child_);
  return handle;
}

WindowHandle SdlShell::CreateFullScreen(const SaverWindowParams& params) {
  window_ = CreateFullScreenWindow(params.title.c_str(), {params.position.x, params.position.y,
                                                          params.position.x + params.size.width,
                                                          params.position.y + params.size.height});
  if (window_ == nullptr) return kNoWindow;
  const auto handle = static_cast<WindowHandle>(SDL_GetWindowID(window_));
  if (const std::optional<XWindowId> drawable = X11WindowOf(window_); drawable && x11_.Valid())
    x11Drawn_.Add(handle, *drawable);
  return handle;
}

void SdlShell::ShowSaverWindow(WindowHandle) {
  if (window_ != nullptr) {
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
  }
  // As ShowWindow and UpdateWindow do on Windows: the window is painted
  // whole at once (a preview is mapped, black, from its creation).
  Repaint();
}

int SdlShell::RunMessageLoop() {
  SDL_Event event{};
  for (;;) {
    FireDueTimers();
    const int timeout = WaitMilliseconds(timers_.UntilNext(NowMs()));
    if (child_ == 0) {
      // SDL sleeps on its X connection until an event or the timeout.
      if (SDL_WaitEventTimeout(&event, timeout) == 0) continue;
      if (const std::optional<int> code = Handle(event)) return *code;
      continue;
    }
    // A preview has no SDL window to wake SDL's own wait, which would then
    // poll every millisecond: the X connection that draws it is waited on.
    while (SDL_PollEvent(&event) != 0) {
      if (const std::optional<int> code = Handle(event)) return *code;
    }
    if (x11_.TakeExposure(child_)) Repaint();
    if (timeout != 0) x11_.WaitForEvents(timeout);
  }
}

void SdlShell::FireDueTimers() {
  while (const std::optional<TimerSchedule::Due> due = timers_.TakeDue(NowMs())) {
    if (logic_ == nullptr || destroyed_) continue;
    // A preview ends with the window it lives in; X11 sends no word of that
    // to a window SDL did not create, so every tick looks.
    if (parent_ != 0 && !x11_.WindowSize(parent_)) {
      WindowDestroyed();
      continue;
    }
    logic_->OnTimer();
  }
}

std::optional<int> SdlShell::Handle(const SDL_Event& event) {
  if (event.type == events_.quit) return event.user.code;
  Dispatch(event);
  return std::nullopt;
}

void SdlShell::Dispatch(const SDL_Event& event) {
  if (logic_ == nullptr) return;
  if (event.type == SDL_QUIT ||
      (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE)) {
    WindowDestroyed();
    return;
  }
  if (event.type == SDL_DISPLAYEVENT) {
    logic_->OnDisplayChange();
    return;
  }
  if (event.type == SDL_WINDOWEVENT && NeedsRepaint(event.window.event)) {
    SDL_Window* window = WindowOf(event.window.windowID);
    if (window != nullptr && window != window_) {
      PaintCover(window);
    } else {
      Repaint();
    }
    return;
  }
  if (const auto input = InputFrom(event); input && !destroyed_) logic_->OnInput(*input);
}

void SdlShell::Repaint() {
  if (logic_ != nullptr && !destroyed_) logic_->OnPaint();
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

WindowHandle SdlShell::CreateCoverWindow(const Rect& area, SaverWindow&) {
  const auto slot = std::find(covers_.begin(), covers_.end(), nullptr);
  if (slot == covers_.end()) return kNoWindow;
  SDL_Window* cover = CreateFullScreenWindow("", area);
  if (cover == nullptr) return kNoWindow;
  *slot = cover;
  SDL_ShowWindow(cover);
  PaintCover(cover);
  return static_cast<WindowHandle>(SDL_GetWindowID(cover));
}

void SdlShell::PaintCover(SDL_Window* cover) const {
  if (const std::optional<XWindowId> drawable = X11WindowOf(cover); drawable && x11_.Valid()) {
    x11_.PaintBlack(*drawable);
    return;
  }
  if (SDL_Surface* surface = SDL_GetWindowSurface(cover)) {
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    SDL_UpdateWindowSurface(cover);
  }
}

SDL_Window* SdlShell::WindowOf(WindowHandle handle) const {
  if (handle <= 0 || handle > static_cast<WindowHandle>(UINT32_MAX)) return nullptr;
  SDL_Window* window = SDL_GetWindowFromID(static_cast<Uint32>(handle));
  if (window == window_) return window;
  return std::find(covers_.begin(), covers_.end(), window) != covers_.end() ? window : nullptr;
}

void SdlShell::PlaceWindow(WindowHandle handle, const Rect& area) {
  SDL_Window* window = WindowOf(handle);
  if (window == nullptr) return;
  if (const std::optional<XWindowId> drawable = X11WindowOf(window); drawable && x11_.Valid()) {
    x11_.MoveWindow(*drawable, area);
  } else {
    SDL_SetWindowPosition(window, area.left, area.top);
    SDL_SetWindowSize(window, area.right - area.left, area.bottom - area.top);
  }
  if (window == window_) {
    Repaint();
  } else {
    PaintCover(window);
  }
}

void SdlShell::DestroyCoverWindow(WindowHandle handle) {
  SDL_Window* cover = WindowOf(handle);
  if (cover == nullptr || cover == window_) return;
  *std::find(covers_.begin(), covers_.end(), cover) = nullptr;
  SDL_DestroyWindow(cover);
}

void SdlShell::DestroyWindows() {
  for (SDL_Window*& cover : covers_) {
    if (cover != nullptr) SDL_DestroyWindow(cover);
    cover = nullptr;
  }
  if (window_ != nullptr) {
    x11Drawn_.Remove(static_cast<WindowHandle>(SDL_GetWindowID(window_)));
    SDL_DestroyWindow(window_);
  }
  window_ = nullptr;
  if (child_ != 0) {
    x11Drawn_.Remove(static_cast<WindowHandle>(child_));
    x11_.DestroyWindow(child_);  // nothing left to do when it died with its host
  }
  child_ = 0;
}

}  // namespace qs3::sdl
