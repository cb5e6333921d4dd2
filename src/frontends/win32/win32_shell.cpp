#include "frontends/win32/win32_shell.h"

#include "frontends/win32/win32_gdi.h"
#include "frontends/win32/win32_handles.h"

namespace qs3::win32 {
namespace {

static_assert(kStyleChild == WS_CHILD && kStylePopup == WS_POPUP && kStyleVisible == WS_VISIBLE &&
              kExStyleTopmost == WS_EX_TOPMOST);
static_assert(static_cast<UINT>(InputMessage::MouseMove) == WM_MOUSEMOVE &&
              static_cast<UINT>(InputMessage::LeftButtonDown) == WM_LBUTTONDOWN &&
              static_cast<UINT>(InputMessage::RightButtonDown) == WM_RBUTTONDOWN &&
              static_cast<UINT>(InputMessage::KeyDown) == WM_KEYDOWN &&
              static_cast<UINT>(InputMessage::SysKeyDown) == WM_SYSKEYDOWN &&
              static_cast<UINT>(InputMessage::NcMouseMove) == WM_NCMOUSEMOVE &&
              static_cast<UINT>(InputMessage::NcLeftButtonDown) == WM_NCLBUTTONDOWN &&
              static_cast<UINT>(InputMessage::NcRightButtonDown) == WM_NCRBUTTONDOWN);

// One saver window per process: the window procedure, called by the OS,
// reaches the core's logic through this pointer while the window is live.
SaverWindow* liveSaverWindow = nullptr;

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  SaverWindow* logic = liveSaverWindow;
  if (logic == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_CREATE:
      logic->OnCreate(FromHwnd(window));
      return 0;
    case WM_TIMER:
      logic->OnTimer();
      return 0;
    case WM_PAINT: {
      // Frames only bring what changed, so what was covered or lost is drawn
      // again whole; the paint validates the window whatever the logic does.
      const PaintScope paint(window);
      logic->OnPaint();
      return 0;
    }
    case WM_DESTROY:
      logic->OnDestroy();
      return 0;
    case WM_DISPLAYCHANGE:
      logic->OnDisplayChange();
      return 0;
    default:
      break;
  }
  if (const auto input = InputMessageFrom(message)) {
    logic->OnInput(*input);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// A cover is black (its class brush erases it) and only passes its input on;
// the saver window alone has the timer and hears of display changes.
LRESULT CALLBACK CoverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  SaverWindow* logic = liveSaverWindow;
  if (logic == nullptr || message == WM_DESTROY) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  if (const auto input = InputMessageFrom(message)) {
    logic->OnInput(*input);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Under Wine a change of the monitor layout was seen to leave no window of the
// saver in the foreground, so keys went nowhere. A window of this thread in
// front (the saver's own, or the password prompt over it) is left alone.
bool ThisThreadHasTheForeground() {
  HWND front = GetForegroundWindow();
  return front != nullptr && GetWindowThreadProcessId(front, nullptr) == GetCurrentThreadId();
}

}  // namespace

Win32Shell::~Win32Shell() {
  liveSaverWindow = nullptr;
}

bool Win32Shell::RegisterSaverClass() {
  WNDCLASSA saverClass{};
  saverClass.style = CS_HREDRAW | CS_VREDRAW;
  saverClass.lpfnWndProc = SaverWindowProc;
  saverClass.hInstance = instance_;
  // The executable's icon group is number 101, so this finds none: the
  // class has no icon, and Explorer shows the icon group instead.
  saverClass.hIcon = LoadIconA(instance_, "ICON");
  saverClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  saverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  saverClass.lpszClassName = kSaverClassName;
  classRegistered_ = RegisterClassA(&saverClass) != 0;
  return classRegistered_;
}

WindowHandle Win32Shell::CreateSaverWindow(const SaverWindowParams& params, SaverWindow& logic) {
  liveSaverWindow = &logic;
  HWND window =
      CreateWindowExA(params.exStyle, params.className.c_str(), params.title.c_str(), params.style,
                      params.position.x, params.position.y, params.size.width, params.size.height,
                      ToHwnd(params.parent), nullptr, instance_, nullptr);
  if (window == nullptr) liveSaverWindow = nullptr;
  saverWindow_ = window;
  return FromHwnd(window);
}

void Win32Shell::ShowSaverWindow(WindowHandle window) {
  ShowWindow(ToHwnd(window), SW_SHOW);
  UpdateWindow(ToHwnd(window));
}

int Win32Shell::RunMessageLoop() {
  MSG message{};
  // GetMessage answers -1 on an invalid call; that cannot happen with no
  // window filter, but it must not spin the loop either.
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

void Win32Shell::HideSaverWindow(WindowHandle window) {
  ShowWindow(ToHwnd(window), SW_HIDE);
  liveSaverWindow = nullptr;
}

bool Win32Shell::RegisterCoverClass() {
  if (coverClassRegistered_) return true;
  WNDCLASSA coverClass{};
  coverClass.lpfnWndProc = CoverWindowProc;
  coverClass.hInstance = instance_;
  coverClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  coverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  coverClass.lpszClassName = kCoverClassName;
  coverClassRegistered_ = RegisterClassA(&coverClass) != 0;
  return coverClassRegistered_;
}

WindowHandle Win32Shell::CreateCoverWindow(const Rect& area, SaverWindow&) {
  if (!RegisterCoverClass()) return kNoWindow;
  // A tool window: no taskbar button, and no title for a search by title to find.
  HWND cover = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kCoverClassName, "", WS_POPUP,
                               area.left, area.top, area.right - area.left, area.bottom - area.top,
                               nullptr, nullptr, instance_, nullptr);
  if (cover == nullptr) return kNoWindow;
  ShowWindow(cover, SW_SHOWNOACTIVATE);
  UpdateWindow(cover);
  return FromHwnd(cover);
}

void Win32Shell::PlaceWindow(WindowHandle window, const Rect& area) {
  HWND handle = ToHwnd(window);
  SetWindowPos(handle, HWND_TOPMOST, area.left, area.top, area.right - area.left,
               area.bottom - area.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  if (handle == saverWindow_ && !ThisThreadHasTheForeground()) SetForegroundWindow(handle);
}

void Win32Shell::DestroyCoverWindow(WindowHandle window) {
  DestroyWindow(ToHwnd(window));
}

}  // namespace qs3::win32
