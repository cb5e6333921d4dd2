#include "frontends/win32/win32_config.h"

#include "frontends/win32/win32_handles.h"
#include "frontends/win32/win32_text.h"

namespace qs3::win32 {
namespace {

// One settings window per process: the procedures, called by the OS, reach
// the core's dialog through these while it is attached.
ConfigDialog* liveDialog = nullptr;
// The art palette: realised at creation and again by every paint.
UniquePalette artPalette;
HPALETTE paletteBeforeArt = nullptr;

void PaintPixels(HWND window, const PixelBuffer& pixels) {
  const PaintScope paint(window);
  if (pixels.Empty() || paint.Get() == nullptr) return;
  const ScopedPalette realised(paint.Get(), artPalette.get());
  DrawPixels(paint.Get(), pixels.Pixels().data(), {pixels.Width(), pixels.Height()});
}

void PaintBackground(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  const std::optional<PixelBuffer> background =
      liveDialog->PaintBackground({client.right - client.left, client.bottom - client.top});
  // Without the art the window stays unpainted, but the paint still ends.
  PaintPixels(window, background ? *background : PixelBuffer());
}

LRESULT CALLBACK SettingsWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (liveDialog == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_CREATE:
      liveDialog->OnCreate(FromHwnd(window));
      return 0;
    case WM_PAINT:
      PaintBackground(window);
      return 0;
    case WM_COMMAND:
      liveDialog->OnCommand(FromHwnd(window), wParam);
      return 0;
    case WM_DESTROY:
      liveDialog->OnDestroy(FromHwnd(window));
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

std::optional<ButtonMessage> ButtonMessageFrom(UINT message) {
  switch (message) {
    case WM_MOUSEMOVE:
      return ButtonMessage::MouseMove;
    case WM_LBUTTONDOWN:
      return ButtonMessage::LeftButtonDown;
    case WM_LBUTTONUP:
      return ButtonMessage::LeftButtonUp;
    default:
      return std::nullopt;
  }
}

LRESULT ButtonProc(ButtonKind kind, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (liveDialog == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_PAINT) {
    PaintPixels(window, liveDialog->PaintButton(kind));
    return 0;
  }
  if (const auto input = ButtonMessageFrom(message)) {
    liveDialog->OnButtonMessage(kind, FromHwnd(window), *input, static_cast<std::uint32_t>(wParam));
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK OkButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ButtonProc(ButtonKind::Ok, window, message, wParam, lParam);
}
LRESULT CALLBACK CancelButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ButtonProc(ButtonKind::Cancel, window, message, wParam, lParam);
}
LRESULT CALLBACK MusicSwitchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ButtonProc(ButtonKind::MusicSwitch, window, message, wParam, lParam);
}

WNDPROC ProcedureFor(ConfigProcedure procedure) {
  switch (procedure) {
    case ConfigProcedure::SettingsWindow:
      return SettingsWindowProc;
    case ConfigProcedure::OkButton:
      return OkButtonProc;
    case ConfigProcedure::CancelButton:
      return CancelButtonProc;
    case ConfigProcedure::MusicSwitch:
      return MusicSwitchProc;
  }
  return DefWindowProcA;
}

static_assert(kConfigStyle ==
              (WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
static_assert(kOnlyLeftButton == MK_LBUTTON);

}  // namespace

Win32ConfigWindows::~Win32ConfigWindows() {
  liveDialog = nullptr;
  artPalette.reset();
}

bool Win32ConfigWindows::RegisterConfigClass(ConfigProcedure procedure, const char* className) {
  WNDCLASSA windowClass{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = ProcedureFor(procedure);
  windowClass.hInstance = instance_;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.lpszClassName = className;
  return RegisterClassA(&windowClass) != 0;
}

WindowHandle Win32ConfigWindows::CreateSettingsWindow(const ConfigWindowParams& params,
                                                      ConfigDialog& dialog) {
  liveDialog = &dialog;
  HWND window =
      CreateWindowExA(params.exStyle, params.className.c_str(), params.title.c_str(), params.style,
                      params.position.x, params.position.y, params.size.width, params.size.height,
                      nullptr, nullptr, instance_, nullptr);
  // The title is stored as the code-page-932 text it is, not as the bytes
  // read in the system's code page: on a Western system those bytes would
  // show as accented Latin letters. The default handling of WM_SETTEXT
  // stores a wide text without converting it back to ANSI.
  if (window != nullptr) {
    if (const auto title = WideFromShiftJis(params.title.c_str())) {
      DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title->c_str()));
    }
  }
  return FromHwnd(window);
}

WindowHandle Win32ConfigWindows::CreateButtonWindow(WindowHandle parent, const char* className,
                                                    Point position, Size size) {
  return FromHwnd(CreateWindowExA(0, className, nullptr, WS_CHILD | WS_VISIBLE, position.x,
                                  position.y, size.width, size.height, ToHwnd(parent), nullptr,
                                  instance_, nullptr));
}

void Win32ConfigWindows::DetachDialog() {
  liveDialog = nullptr;
}

DialogFrameMetrics Win32ConfigWindows::FrameMetrics() {
  return {GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME),
          GetSystemMetrics(SM_CYCAPTION)};
}

void Win32ConfigWindows::ShowAndUpdate(WindowHandle window) {
  ShowWindow(ToHwnd(window), SW_SHOW);
  UpdateWindow(ToHwnd(window));
}

void Win32ConfigWindows::Hide(WindowHandle window) {
  if (IsWindow(ToHwnd(window))) ShowWindow(ToHwnd(window), SW_HIDE);
}

void Win32ConfigWindows::EnableWindow(WindowHandle window, bool enable) {
  // No parent, or a handle that names no window: nothing to do.
  if (IsWindow(ToHwnd(window))) ::EnableWindow(ToHwnd(window), enable ? TRUE : FALSE);
}

void Win32ConfigWindows::DestroyWindow(WindowHandle window) {
  ::DestroyWindow(ToHwnd(window));
}

void Win32ConfigWindows::RunMessageLoop() {
  MSG message{};
  // -1 (an invalid call) must end the loop too rather than spin it.
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void Win32ConfigWindows::PostQuit(int exitCode) {
  PostQuitMessage(exitCode);
}

void Win32ConfigWindows::SendCommand(WindowHandle button, std::uintptr_t id) {
  HWND buttonWindow = ToHwnd(button);
  SendMessageA(GetParent(buttonWindow), WM_COMMAND, static_cast<WPARAM>(id),
               reinterpret_cast<LPARAM>(buttonWindow));
}

std::optional<Rect> Win32ConfigWindows::WindowRect(WindowHandle window) {
  RECT rect{};
  if (!GetWindowRect(ToHwnd(window), &rect)) return std::nullopt;
  return Rect{rect.left, rect.top, rect.right, rect.bottom};
}

Point Win32ConfigWindows::CursorPosition() {
  POINT cursor{};
  GetCursorPos(&cursor);
  return {cursor.x, cursor.y};
}

void Win32ConfigWindows::Invalidate(WindowHandle window) {
  // A null handle would invalidate every window; a stale one must do nothing.
  if (IsWindow(ToHwnd(window))) InvalidateRect(ToHwnd(window), nullptr, FALSE);
}

void Win32ConfigWindows::CaptureMouse(WindowHandle window) {
  if (IsWindow(ToHwnd(window))) SetCapture(ToHwnd(window));
}

void Win32ConfigWindows::ReleaseMouse() {
  ReleaseCapture();
}

bool Win32ConfigWindows::SelectArtPalette(WindowHandle window, const PaletteEntries& palette) {
  RestorePalette(window);
  UniquePalette created = CreateLogicalPalette(palette);
  if (!created) return false;
  const WindowDc dc(ToHwnd(window));
  if (dc.Get() != nullptr) {
    paletteBeforeArt = SelectPalette(dc.Get(), created.get(), FALSE);
    RealizePalette(dc.Get());
  }
  artPalette = std::move(created);
  return true;
}

void Win32ConfigWindows::RestorePalette(WindowHandle window) {
  if (!artPalette) return;
  const WindowDc dc(ToHwnd(window));
  if (dc.Get() != nullptr && paletteBeforeArt != nullptr) {
    SelectPalette(dc.Get(), paletteBeforeArt, FALSE);
    RealizePalette(dc.Get());
  }
  artPalette.reset();
  paletteBeforeArt = nullptr;
}

}  // namespace qs3::win32
