#include "frontends/sdl/sdl_config.h"

#include "frontends/sdl/sdl_host.h"
#include "frontends/sdl/sdl_presenter.h"

namespace qs3::sdl {
namespace {

// Button handles live above SDL's window ids, which count up from 1.
constexpr WindowHandle kFirstButtonHandle = 0x10000;

// The key-state word of a Windows mouse message.
constexpr std::uint32_t kMkLeft = 0x0001;
constexpr std::uint32_t kMkRight = 0x0002;
constexpr std::uint32_t kMkShift = 0x0004;
constexpr std::uint32_t kMkControl = 0x0008;
constexpr std::uint32_t kMkMiddle = 0x0010;

std::uint32_t KeyState(Uint32 buttons) {
  const SDL_Keymod mod = SDL_GetModState();
  std::uint32_t state = 0;
  if ((buttons & SDL_BUTTON_LMASK) != 0) state |= kMkLeft;
  if ((buttons & SDL_BUTTON_RMASK) != 0) state |= kMkRight;
  if ((buttons & SDL_BUTTON_MMASK) != 0) state |= kMkMiddle;
  if ((mod & KMOD_SHIFT) != 0) state |= kMkShift;
  if ((mod & KMOD_CTRL) != 0) state |= kMkControl;
  return state;
}

std::optional<ButtonKind> KindOf(ConfigProcedure procedure) {
  switch (procedure) {
    case ConfigProcedure::OkButton:
      return ButtonKind::Ok;
    case ConfigProcedure::CancelButton:
      return ButtonKind::Cancel;
    case ConfigProcedure::MusicSwitch:
      return ButtonKind::MusicSwitch;
    case ConfigProcedure::SettingsWindow:
      break;
  }
  return std::nullopt;
}

}  // namespace

SdlConfigWindows::~SdlConfigWindows() {
  if (window_ != nullptr) SDL_DestroyWindow(window_);
}

bool SdlConfigWindows::RegisterConfigClass(ConfigProcedure procedure, const char* className) {
  if (className == nullptr || classes_.contains(className)) return false;
  classes_[className] = procedure;
  return true;
}

WindowHandle SdlConfigWindows::CreateSettingsWindow(const ConfigWindowParams& params,
                                                    ConfigDialog& dialog) {
  const auto found = classes_.find(params.className);
  if (found == classes_.end() || found->second != ConfigProcedure::SettingsWindow) return 0;
  const std::string title = Utf8FromShiftJis(params.title.c_str());
  window_ = SDL_CreateWindow(title.c_str(), params.position.x, params.position.y, params.size.width,
                             params.size.height, SDL_WINDOW_HIDDEN);
  if (window_ == nullptr) return kNoWindow;
  clientSize_ = params.size;
  handle_ = static_cast<WindowHandle>(SDL_GetWindowID(window_));
  dialog_ = &dialog;
  dialog.OnCreate(handle_);
  return handle_;
}

WindowHandle SdlConfigWindows::CreateButtonWindow(WindowHandle parent, const char* className,
                                                  Point position, Size size) {
  if (parent != handle_ || window_ == nullptr || className == nullptr) return kNoWindow;
  const auto found = classes_.find(className);
  if (found == classes_.end()) return kNoWindow;
  const std::optional<ButtonKind> kind = KindOf(found->second);
  if (!kind) return kNoWindow;
  const WindowHandle handle = kFirstButtonHandle + static_cast<WindowHandle>(buttons_.size());
  buttons_.push_back(
      {handle, *kind, {position.x, position.y, position.x + size.width, position.y + size.height}});
  return handle;
}

void SdlConfigWindows::ShowAndUpdate(WindowHandle window) {
  if (window != handle_ || window_ == nullptr) return;
  SDL_ShowWindow(window_);
  SDL_RaiseWindow(window_);
  Paint();
}

void SdlConfigWindows::Hide(WindowHandle window) {
  if (window == handle_ && window_ != nullptr) SDL_HideWindow(window_);
}

void SdlConfigWindows::DestroyWindow(WindowHandle window) {
  if (window != handle_ || window_ == nullptr) {
    std::erase_if(buttons_, [window](const Button& b) { return b.handle == window; });
    return;
  }
  // The buttons go with their parent, which then hears of its destruction.
  buttons_.clear();
  captured_ = kNoWindow;
  if (dialog_ != nullptr) dialog_->OnDestroy(handle_);
  SDL_DestroyWindow(window_);
  window_ = nullptr;
}

void SdlConfigWindows::RunMessageLoop() {
  SDL_Event event{};
  while (!quit_ && SDL_WaitEvent(&event) != 0) {
    Dispatch(event);
    // Paint once the queue is empty, as WM_PAINT comes after other messages.
    if (dirty_ && SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 0) {
      Paint();
    }
  }
}

void SdlConfigWindows::Dispatch(const SDL_Event& event) {
  if (event.type == events_.quit) {
    quit_ = true;
    return;
  }
  switch (event.type) {
    case SDL_QUIT:  // SIGTERM or SIGINT: close without saving
      DestroyWindow(handle_);
      return;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) DestroyWindow(handle_);
      if (event.window.event == SDL_WINDOWEVENT_EXPOSED) dirty_ = true;
      return;
    case SDL_MOUSEMOTION:
      DeliverMouse(ButtonMessage::MouseMove, event.motion.x, event.motion.y,
                   KeyState(event.motion.state));
      return;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (event.button.button != SDL_BUTTON_LEFT) return;
      DeliverMouse(event.type == SDL_MOUSEBUTTONDOWN ? ButtonMessage::LeftButtonDown
                                                     : ButtonMessage::LeftButtonUp,
                   event.button.x, event.button.y, KeyState(SDL_GetMouseState(nullptr, nullptr)));
      return;
    default:
      return;
  }
}

void SdlConfigWindows::DeliverMouse(ButtonMessage message, int x, int y, std::uint32_t keyState) {
  const Button* target = captured_ != kNoWindow ? FindButton(captured_) : ButtonAt(x, y);
  if (target == nullptr || dialog_ == nullptr) return;
  const Button button = *target;  // the handler may destroy the buttons
  dialog_->OnButtonMessage(button.kind, button.handle, message, keyState);
}

void SdlConfigWindows::PostQuit(int) {
  quit_ = true;
  PushUserEvent(events_.quit, 0);
}

void SdlConfigWindows::SendCommand(WindowHandle button, std::uintptr_t id) {
  if (FindButton(button) != nullptr && dialog_ != nullptr && window_ != nullptr) {
    dialog_->OnCommand(handle_, id);
  }
}

std::optional<Rect> SdlConfigWindows::WindowRect(WindowHandle window) {
  if (window_ == nullptr) return std::nullopt;
  int left = 0;
  int top = 0;
  SDL_GetWindowPosition(window_, &left, &top);
  if (window == handle_) return Rect{left, top, left + clientSize_.width, top + clientSize_.height};
  const Button* button = FindButton(window);
  if (button == nullptr) return std::nullopt;
  return Rect{left + button->client.left, top + button->client.top, left + button->client.right,
              top + button->client.bottom};
}

Point SdlConfigWindows::CursorPosition() {
  return x11_.PointerPosition().value_or(Point{-1, -1});
}

void SdlConfigWindows::CaptureMouse(WindowHandle window) {
  if (FindButton(window) == nullptr) return;
  captured_ = window;
  SDL_CaptureMouse(SDL_TRUE);
}

void SdlConfigWindows::ReleaseMouse() {
  captured_ = kNoWindow;
  SDL_CaptureMouse(SDL_FALSE);
}

const SdlConfigWindows::Button* SdlConfigWindows::FindButton(WindowHandle handle) const {
  for (const Button& button : buttons_)
    if (button.handle == handle) return &button;
  return nullptr;
}

const SdlConfigWindows::Button* SdlConfigWindows::ButtonAt(int x, int y) const {
  for (const Button& button : buttons_) {
    const Rect& r = button.client;
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return &button;
  }
  return nullptr;
}

void SdlConfigWindows::Paint() {
  dirty_ = false;
  if (window_ == nullptr || dialog_ == nullptr) return;
  // The buttons are areas of the window: one picture holds them all.
  const PixelBuffer picture = SettingsWindowPicture(dialog_->art(), dialog_->records(),
                                                    dialog_->settings().musicEnabled, clientSize_);
  PresentPixels(static_cast<std::uint32_t>(handle_), picture.Pixels().data(),
                {picture.Width(), picture.Height()});
}

}  // namespace qs3::sdl
