// qs3_testhost: plays the Display settings' part for the end-to-end tests under
// Wine. It starts the saver the way Windows does, hosts a preview window, finds
// windows by title and reports what it sees as key=value lines on stdout, so a
// script can check them. Every subcommand exits nonzero when it cannot do its
// job; what it observed is always printed, even on success.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

struct WindowDestroyer {
  void operator()(HWND window) const {
    if (window != nullptr && IsWindow(window)) DestroyWindow(window);
  }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

constexpr const char* kHostClass = "QS3TestHost";

void Print(const char* key, const std::string& value) {
  std::printf("%s=%s\n", key, value.c_str());
}
void Print(const char* key, long long value) {
  std::printf("%s=%lld\n", key, value);
}
void PrintHex(const char* key, unsigned long value) {
  std::printf("%s=0x%08lx\n", key, value);
}

long long HandleNumber(HWND window) {
  return static_cast<long long>(reinterpret_cast<std::intptr_t>(window));
}

std::optional<long> ParseNumber(const char* text) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0') return std::nullopt;
  return value;
}

std::string WindowTitle(HWND window) {
  char title[256] = {};
  GetWindowTextA(window, title, sizeof title);
  return title;
}

std::string WindowClass(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

DWORD OwningProcess(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process;
}

// Lets messages of this thread's windows through while waiting for a process,
// so a host window stays responsive to the saver's calls into it.
void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// Waits up to timeoutMs for the handle, pumping messages meanwhile.
bool WaitPumping(HANDLE handle, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
    const DWORD woke = MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0) return true;
    if (woke != WAIT_OBJECT_0 + 1) return false;
    PumpMessages();
  }
}

void PumpFor(DWORD milliseconds) {
  const ULONGLONG deadline = GetTickCount64() + milliseconds;
  for (ULONGLONG now = GetTickCount64(); now < deadline; now = GetTickCount64()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    PumpMessages();
  }
}

class ChildProcess {
 public:
  bool Start(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
      Print("error", "CreateProcess failed " + std::to_string(GetLastError()));
      return false;
    }
    process_.reset(info.hProcess);
    UniqueHandle thread(info.hThread);
    id_ = info.dwProcessId;
    return true;
  }

  HANDLE Handle() const { return process_.get(); }
  DWORD Id() const { return id_; }

  bool Running() const { return WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return code;
  }

  // Prints exit=N, or timeout=1 after killing a process that outlived the wait.
  bool ReportExitWithin(DWORD timeoutMs) const {
    if (WaitPumping(process_.get(), timeoutMs)) {
      Print("exit", ExitCode());
      return true;
    }
    Print("timeout", 1);
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 5000);
    return false;
  }

 private:
  UniqueHandle process_;
  DWORD id_ = 0;
};

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

std::string JoinArguments(std::span<char*> arguments) {
  std::string joined;
  for (const char* argument : arguments) {
    if (!joined.empty()) joined += ' ';
    joined += argument;
  }
  return joined;
}

std::string CommandLine(std::string_view exe, const std::string& arguments) {
  return arguments.empty() ? Quoted(exe) : Quoted(exe) + " " + arguments;
}

// Every window (top-level or child, any depth) that one process made. The
// hidden "Default IME" window the system gives each window thread is left out.
class WindowCensus {
 public:
  explicit WindowCensus(DWORD process) : process_(process) {}

  void Take() { EnumWindows(&WindowCensus::VisitTopLevel, reinterpret_cast<LPARAM>(this)); }

  void Report() const {
    Print("windows", static_cast<long long>(seen_.size()));
    for (const std::string& description : descriptions_) Print("window", description);
  }

 private:
  static BOOL CALLBACK VisitTopLevel(HWND window, LPARAM self) {
    auto* census = reinterpret_cast<WindowCensus*>(self);
    census->Note(window);
    EnumChildWindows(window, &WindowCensus::VisitChild, self);
    return TRUE;
  }
  static BOOL CALLBACK VisitChild(HWND window, LPARAM self) {
    reinterpret_cast<WindowCensus*>(self)->Note(window);
    return TRUE;
  }
  void Note(HWND window) {
    if (OwningProcess(window) != process_ || WindowClass(window) == "IME") return;
    if (!seen_.insert(window).second) return;
    descriptions_.push_back(std::to_string(HandleNumber(window)) + " class=" + WindowClass(window) +
                            " title=" + WindowTitle(window));
  }

  DWORD process_;
  std::set<HWND> seen_;
  std::vector<std::string> descriptions_;
};

// run TIMEOUT_MS EXE [ARGS...]: starts EXE, watches for any window it makes,
// and reports its exit code.
int RunCommand(std::span<char*> args) {
  if (args.size() < 2) return 2;
  const auto timeout = ParseNumber(args[0]);
  if (!timeout) return 2;
  ChildProcess child;
  if (!child.Start(CommandLine(args[1], JoinArguments(args.subspan(2))))) return 1;
  Print("pid", child.Id());
  WindowCensus census(child.Id());
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(*timeout);
  while (child.Running() && GetTickCount64() < deadline) {
    census.Take();
    WaitPumping(child.Handle(), 2);
  }
  const bool exited = child.ReportExitWithin(0);
  census.Report();
  return exited ? 0 : 1;
}

// How windows are looked up: by title or by class name.
enum class Lookup { Title, Class };

std::string WindowName(HWND window, Lookup lookup) {
  return lookup == Lookup::Title ? WindowTitle(window) : WindowClass(window);
}

HWND FindTopLevel(Lookup lookup, const char* name) {
  return lookup == Lookup::Title ? FindWindowA(nullptr, name) : FindWindowA(name, nullptr);
}

int CountTopLevel(Lookup lookup, const char* name) {
  struct Count {
    Lookup lookup;
    const char* name;
    int count;
  } count{lookup, name, 0};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* tally = reinterpret_cast<Count*>(data);
        if (WindowName(window, tally->lookup) == tally->name) ++tally->count;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count.count;
}

// The title as the Japanese code page (932) spells it, read through the
// Unicode text so that the check does not depend on the system's ANSI page.
std::string TitleShiftJisHex(HWND window) {
  wchar_t title[256] = {};
  const int length = GetWindowTextW(window, title, 256);
  char bytes[512] = {};
  const int size =
      WideCharToMultiByte(932, 0, title, length, bytes, sizeof bytes, nullptr, nullptr);
  std::string hex;
  char pair[3];
  for (int i = 0; i < size; ++i) {
    std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(bytes[i]));
    hex += pair;
  }
  return hex;
}

// child_window=CLASS LEFT TOP WIDTH HEIGHT for each direct child, in the
// parent's client coordinates, and child_text_cp932=CLASS HEX for its text.
void ReportChildren(HWND window) {
  EnumChildWindows(
      window,
      [](HWND child, LPARAM parent) -> BOOL {
        if (GetParent(child) != reinterpret_cast<HWND>(parent)) return TRUE;
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, reinterpret_cast<HWND>(parent), reinterpret_cast<POINT*>(&rect),
                        2);
        Print("child_window", WindowClass(child) + " " + std::to_string(rect.left) + " " +
                                  std::to_string(rect.top) + " " +
                                  std::to_string(rect.right - rect.left) + " " +
                                  std::to_string(rect.bottom - rect.top));
        Print("child_text_cp932", WindowClass(child) + " " + TitleShiftJisHex(child));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(window));
}

void ReportWindow(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  RECT client{};
  GetClientRect(window, &client);
  const auto exStyle = static_cast<unsigned long>(GetWindowLongPtrA(window, GWL_EXSTYLE));
  Print("hwnd", HandleNumber(window));
  Print("title", WindowTitle(window));
  Print("class", WindowClass(window));
  Print("left", rect.left);
  Print("top", rect.top);
  Print("right", rect.right);
  Print("bottom", rect.bottom);
  POINT clientOrigin{0, 0};
  ClientToScreen(window, &clientOrigin);
  Print("title_cp932", TitleShiftJisHex(window));
  Print("client_left", clientOrigin.x);
  Print("client_top", clientOrigin.y);
  Print("client_width", client.right);
  Print("client_height", client.bottom);
  PrintHex("style", static_cast<unsigned long>(GetWindowLongPtrA(window, GWL_STYLE)));
  PrintHex("exstyle", exStyle);
  Print("visible", IsWindowVisible(window) ? 1 : 0);
  Print("topmost", (exStyle & WS_EX_TOPMOST) != 0 ? 1 : 0);
  Print("parent", HandleNumber(GetAncestor(window, GA_PARENT) == GetDesktopWindow()
                                   ? nullptr
                                   : GetAncestor(window, GA_PARENT)));
  Print("pid", OwningProcess(window));
  Print("enabled", IsWindowEnabled(window) ? 1 : 0);
  ReportChildren(window);
}

// Waits up to timeoutMs for a top-level window of that title or class.
HWND WaitForTopLevel(Lookup lookup, const char* name, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  HWND window = FindTopLevel(lookup, name);
  while (window == nullptr && GetTickCount64() < deadline) {
    Sleep(20);
    window = FindTopLevel(lookup, name);
  }
  return window;
}

// find TITLE [TIMEOUT_MS] and find-class CLASS [TIMEOUT_MS]: the top-level
// window with that title or class, waited for.
int FindCommand(Lookup lookup, std::span<char*> args) {
  if (args.empty()) return 2;
  const auto timeout = args.size() > 1 ? ParseNumber(args[1]) : std::optional<long>(0);
  if (!timeout) return 2;
  HWND window = WaitForTopLevel(lookup, args[0], static_cast<DWORD>(*timeout));
  Print("found", window != nullptr ? 1 : 0);
  Print("count", CountTopLevel(lookup, args[0]));
  if (window == nullptr) return 1;
  ReportWindow(window);
  return 0;
}

// gui-resources PID: what the system counts of a process's GDI and USER
// objects (GetGuiResources; 0 with the error where the system does not count
// them), and the windows it owns, top-level and child.
int GuiResourcesCommand(std::span<char*> args) {
  if (args.size() != 1) return 2;
  const auto process = ParseNumber(args[0]);
  if (!process) return 2;
  UniqueHandle handle(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, static_cast<DWORD>(*process)));
  Print("opened", handle ? 1 : 0);
  if (!handle) return 1;
  SetLastError(0);
  const DWORD gdi = GetGuiResources(handle.get(), GR_GDIOBJECTS);
  Print("gdi_objects", gdi);
  Print("gdi_error", GetLastError());
  SetLastError(0);
  const DWORD user = GetGuiResources(handle.get(), GR_USEROBJECTS);
  Print("user_objects", user);
  Print("user_error", GetLastError());
  WindowCensus census(static_cast<DWORD>(*process));
  census.Take();
  census.Report();
  return 0;
}

// metrics: the screen size and the frame sizes a window's place depends on.
int MetricsCommand() {
  Print("screen_width", GetSystemMetrics(SM_CXSCREEN));
  Print("screen_height", GetSystemMetrics(SM_CYSCREEN));
  Print("dlgframe_x", GetSystemMetrics(SM_CXDLGFRAME));
  Print("dlgframe_y", GetSystemMetrics(SM_CYDLGFRAME));
  Print("caption", GetSystemMetrics(SM_CYCAPTION));
  return 0;
}

// ----- monitors ------------------------------------------------------------

std::string RectText(const RECT& rect) {
  return std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
         std::to_string(rect.right) + " " + std::to_string(rect.bottom);
}

std::string Line(const char* key, const std::string& value) {
  return std::string(key) + "=" + value + "\n";
}

// monitor=I LEFT TOP RIGHT BOTTOM PRIMARY, work=I LEFT TOP RIGHT BOTTOM and
// monitor_name=I DEVICE for each monitor in EnumDisplayMonitors' order, then
// the screen and virtual-screen metrics.
std::string MonitorReport() {
  std::vector<HMONITOR> monitors;
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR monitor, HDC, LPRECT, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HMONITOR>*>(list)->push_back(monitor);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&monitors));
  std::string report = Line("monitors", std::to_string(monitors.size()));
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    MONITORINFOEXA info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitors[i], &info)) continue;
    const std::string index = std::to_string(i) + " ";
    const bool primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    report += Line("monitor", index + RectText(info.rcMonitor) + (primary ? " 1" : " 0"));
    report += Line("work", index + RectText(info.rcWork));
    report += Line("monitor_name", index + info.szDevice);
  }
  const std::pair<const char*, int> metrics[] = {
      {"monitor_count", SM_CMONITORS},        {"screen_width", SM_CXSCREEN},
      {"screen_height", SM_CYSCREEN},         {"virtual_left", SM_XVIRTUALSCREEN},
      {"virtual_top", SM_YVIRTUALSCREEN},     {"virtual_width", SM_CXVIRTUALSCREEN},
      {"virtual_height", SM_CYVIRTUALSCREEN},
  };
  for (const auto& [key, index] : metrics) {
    report += Line(key, std::to_string(GetSystemMetrics(index)));
  }
  return report;
}

void ReportMonitors() {
  std::fputs(MonitorReport().c_str(), stdout);
}

// monitors: what the system says of the monitors.
int MonitorsCommand() {
  ReportMonitors();
  return 0;
}

// A full-screen window per monitor, each painted one solid colour: red, green,
// blue, yellow, ... in the order EnumDisplayMonitors gives the monitors.
constexpr COLORREF kCoverColours[] = {RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(0, 0, 255),
                                      RGB(255, 255, 0), RGB(0, 255, 255), RGB(255, 0, 255)};
constexpr const char* kMonitorCoverClass = "QS3MonitorCover";
constexpr UINT kReportAfterChange = WM_APP + 1;
constexpr UINT_PTR kWatchTimer = 1;
constexpr UINT kWatchPeriodMs = 250;
constexpr UINT_PTR kFollowTimer = 2;
// Long enough for a script to look at the X windows before they move.
constexpr UINT kFollowDelayMs = 1000;

std::vector<RECT> MonitorRects() {
  std::vector<RECT> rects;
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR, HDC, LPRECT rect, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<RECT>*>(list)->push_back(*rect);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&rects));
  return rects;
}

class MonitorCovers {
 public:
  static MonitorCovers& Instance() {
    static MonitorCovers covers;
    return covers;
  }

  bool Create(bool follow) {
    follow_ = follow;
    const std::vector<RECT> rects = MonitorRects();
    if (rects.size() > std::size(kCoverColours) || !RegisterCoverClass()) return false;
    seen_ = MonitorReport();
    for (const RECT& rect : rects) {
      if (!AddWindow(rect)) return false;
    }
    SetTimer(windows_.front().get(), kWatchTimer, kWatchPeriodMs, nullptr);
    return true;
  }

  void ReportWindows() const {
    for (std::size_t i = 0; i < windows_.size(); ++i) {
      RECT rect{};
      GetWindowRect(windows_[i].get(), &rect);
      Print("window", std::to_string(i) + " " + RectText(rect));
    }
  }

  void Release() { windows_.clear(); }

  // Pumps messages until a key is pressed on one of the windows or
  // holdMs pass; whether a key ended it.
  bool RunUntilKey(DWORD holdMs) {
    const ULONGLONG deadline = GetTickCount64() + holdMs;
    for (ULONGLONG now = GetTickCount64(); !ended_ && now < deadline; now = GetTickCount64()) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
      PumpMessages();
    }
    return ended_;
  }

 private:
  static bool RegisterCoverClass() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &MonitorCovers::WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kMonitorCoverClass;
    return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }

  bool AddWindow(const RECT& rect) {
    const std::size_t index = windows_.size();
    const std::string title = "QS3 monitor cover " + std::to_string(index);
    UniqueWindow window(CreateWindowExA(WS_EX_TOPMOST, kMonitorCoverClass, title.c_str(),
                                        WS_POPUP | WS_VISIBLE, rect.left, rect.top,
                                        rect.right - rect.left, rect.bottom - rect.top, nullptr,
                                        nullptr, GetModuleHandleA(nullptr), nullptr));
    if (!window) return false;
    SetWindowLongPtrA(window.get(), GWLP_USERDATA, static_cast<LONG_PTR>(index));
    InvalidateRect(window.get(), nullptr, TRUE);
    UpdateWindow(window.get());
    windows_.push_back(std::move(window));
    return true;
  }

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto index = static_cast<int>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT:
        Paint(window, kCoverColours[index]);
        return 0;
      case WM_DISPLAYCHANGE:
        Print("event", "displaychange " + std::to_string(index) + " " + std::to_string(wParam) +
                           " " + std::to_string(LOWORD(lParam)) + " " +
                           std::to_string(HIWORD(lParam)));
        Instance().RequestReport(window);
        return 0;
      case WM_SETTINGCHANGE:
        Print("event", "settingchange " + std::to_string(index) + " " + std::to_string(wParam));
        return 0;
      case WM_WINDOWPOSCHANGED:
        ReportMove(index, *reinterpret_cast<const WINDOWPOS*>(lParam));
        break;
      case WM_TIMER:
        if (wParam == kWatchTimer) Instance().WatchMonitors(window);
        if (wParam == kFollowTimer) Instance().Follow(window);
        return 0;
      case WM_KEYDOWN:
        Instance().ended_ = true;
        return 0;
      case kReportAfterChange:
        Instance().Report(window);
        return 0;
      default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }

  static void ReportMove(int index, const WINDOWPOS& place) {
    if ((place.flags & (SWP_NOMOVE | SWP_NOSIZE)) == (SWP_NOMOVE | SWP_NOSIZE)) return;
    Print("event", "poschanged " + std::to_string(index) + " " + std::to_string(place.x) + " " +
                       std::to_string(place.y) + " " + std::to_string(place.cx) + " " +
                       std::to_string(place.cy));
  }

  static void Paint(HWND window, COLORREF colour) {
    PAINTSTRUCT paint{};
    HDC context = BeginPaint(window, &paint);
    HBRUSH brush = CreateSolidBrush(colour);
    RECT client{};
    GetClientRect(window, &client);
    FillRect(context, &client, brush);
    DeleteObject(brush);
    EndPaint(window, &paint);
  }

  // Every window hears of a change; one report follows them all.
  void RequestReport(HWND window) {
    if (reportPending_) return;
    reportPending_ = true;
    PostMessageA(window, kReportAfterChange, 0, 0);
  }

  void Report(HWND window) {
    reportPending_ = false;
    seen_ = MonitorReport();
    std::fputs(seen_.c_str(), stdout);
    ReportWindows();
    Print("reported", 1);
    if (follow_) SetTimer(window, kFollowTimer, kFollowDelayMs, nullptr);
  }

  // A change of the monitors that no message announced shows here.
  void WatchMonitors(HWND window) {
    if (reportPending_ || MonitorReport() == seen_) return;
    Print("event", "monitors_changed");
    RequestReport(window);
  }

  // Puts a window on every monitor of the new layout, as a saver would.
  void Follow(HWND timerWindow) {
    KillTimer(timerWindow, kFollowTimer);
    const std::vector<RECT> rects = MonitorRects();
    if (rects.empty() || rects.size() > std::size(kCoverColours)) return;
    while (windows_.size() > rects.size()) windows_.pop_back();
    for (std::size_t i = 0; i < rects.size(); ++i) {
      const RECT& rect = rects[i];
      if (i == windows_.size()) {
        AddWindow(rect);
        continue;
      }
      SetWindowPos(windows_[i].get(), HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
      InvalidateRect(windows_[i].get(), nullptr, TRUE);
    }
    ReportWindows();
    Print("replaced", 1);
  }

  std::vector<UniqueWindow> windows_;
  std::string seen_;
  bool follow_ = false;
  bool reportPending_ = false;
  bool ended_ = false;
};

// cover-monitors HOLD_MS [follow]: a WS_POPUP | WS_EX_TOPMOST window at each
// monitor's rectangle, painted a solid colour; reports the monitors and the
// windows' places, ready=1, then for HOLD_MS every display change: event=...
// for each message that tells of one (and event=monitors_changed when the
// monitors changed without one, looked at every 250 ms), then the monitors
// and windows as they are after it and reported=1. With follow, a second
// later it puts a window on each monitor of the new layout (window=...,
// replaced=1). A key pressed on a window ends it sooner (ended=key); a
// process killed instead may take the wineserver down with it once the
// layout has changed.
int CoverMonitorsCommand(std::span<char*> args) {
  if (args.empty() || args.size() > 2) return 2;
  const auto hold = ParseNumber(args[0]);
  const bool follow = args.size() == 2 && std::string_view(args[1]) == "follow";
  if (!hold || (args.size() == 2 && !follow)) return 2;
  MonitorCovers& covers = MonitorCovers::Instance();
  const bool created = covers.Create(follow);
  PumpFor(100);
  ReportMonitors();
  covers.ReportWindows();
  Print("ready", created ? 1 : 0);
  std::fflush(stdout);
  if (created) Print("ended", covers.RunUntilKey(static_cast<DWORD>(*hold)) ? "key" : "time");
  covers.Release();
  return created ? 0 : 1;
}

// foreground: the window that has the foreground now.
int ForegroundCommand() {
  HWND window = GetForegroundWindow();
  Print("found", window != nullptr ? 1 : 0);
  if (window != nullptr) ReportWindow(window);
  return 0;
}

// Reports the picture resources and the icon group that an executable
// carries, read as a data file the way Explorer reads it: for each id its
// size and FNV-1a hash, so the harness can compare them with resources/.
std::uint32_t Fnv1a(const std::uint8_t* data, DWORD size) {
  std::uint32_t hash = 2166136261u;
  for (DWORD i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
  return hash;
}

void ReportResource(HMODULE module, int id, LPCSTR type, const char* name) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
  HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
  const auto* bytes =
      loaded != nullptr ? static_cast<const std::uint8_t*>(LockResource(loaded)) : nullptr;
  if (bytes == nullptr) {
    std::printf("%s_%d=missing\n", name, id);
    return;
  }
  const DWORD size = SizeofResource(module, found);
  std::printf("%s_%d=%lu %08x\n", name, id, static_cast<unsigned long>(size), Fnv1a(bytes, size));
}

int ResourcesCommand(std::span<char*> args) {
  if (args.size() != 1) return 2;
  HMODULE module =
      LoadLibraryExA(args[0], nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  Print("loaded", module != nullptr ? 1 : 0);
  if (module == nullptr) return 1;
  for (int id : {102, 113, 114, 115}) ReportResource(module, id, MAKEINTRESOURCEA(10), "rcdata");
  ReportResource(module, 101, MAKEINTRESOURCEA(14), "icongroup");
  FreeLibrary(module);
  return 0;
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterHostClass() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = HostWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  windowClass.lpszClassName = kHostClass;
  return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// A visible top-level window of this program's own class.
UniqueWindow CreateHostWindow(const char* title, int clientWidth, int clientHeight) {
  if (!RegisterHostClass()) return nullptr;
  constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
  RECT frame{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  UniqueWindow window(CreateWindowExA(0, kHostClass, title, style, 40, 40, frame.right - frame.left,
                                      frame.bottom - frame.top, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr));
  if (window) {
    UpdateWindow(window.get());
    PumpMessages();
  }
  return window;
}

std::string ExpandTemplate(std::string text, HWND host) {
  const std::string marker = "{hwnd}";
  const std::string number = std::to_string(HandleNumber(host));
  for (auto at = text.find(marker); at != std::string::npos; at = text.find(marker, at)) {
    text.replace(at, marker.size(), number);
    at += number.size();
  }
  return text;
}

void ReportPreviewChild(HWND host, HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&rect), 2);
  Print("child", HandleNumber(child));
  Print("child_class", WindowClass(child));
  Print("child_left", rect.left);
  Print("child_top", rect.top);
  Print("child_right", rect.right);
  Print("child_bottom", rect.bottom);
  Print("child_visible", IsWindowVisible(child) ? 1 : 0);
  PrintHex("child_style", static_cast<unsigned long>(GetWindowLongPtrA(child, GWL_STYLE)));
  Print("child_pid", OwningProcess(child));
}

// Posts keys, clicks and moves to the preview and clicks it with real input.
void SendPreviewInput(HWND child) {
  const UINT messages[][3] = {
      {WM_KEYDOWN, 'A', 0x001E0001},        {WM_KEYUP, 'A', 0xC01E0001},
      {WM_SYSKEYDOWN, VK_MENU, 0x20380001}, {WM_LBUTTONDOWN, MK_LBUTTON, 0x00100010},
      {WM_LBUTTONUP, 0, 0x00100010},        {WM_RBUTTONDOWN, MK_RBUTTON, 0x00200020},
      {WM_RBUTTONUP, 0, 0x00200020},        {WM_MOUSEMOVE, 0, 0x00300030},
  };
  for (const auto& message : messages) {
    PostMessageA(child, message[0], message[1], static_cast<LPARAM>(message[2]));
  }
  RECT rect{};
  GetWindowRect(child, &rect);
  SetCursorPos(rect.left + 5, rect.top + 5);
  PumpFor(50);
  INPUT inputs[3] = {};
  for (INPUT& input : inputs) input.type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE;  // relative, diagonal
  inputs[0].mi.dx = 17;
  inputs[0].mi.dy = 13;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(3, inputs, sizeof(INPUT));
}

struct PreviewRequest {
  int width;
  int height;
  DWORD timeoutMs;
  const char* exe;
  const char* argumentTemplate;
  DWORD holdMs;
};

std::optional<PreviewRequest> ParsePreviewRequest(std::span<char*> args) {
  if (args.size() < 5) return std::nullopt;
  const auto width = ParseNumber(args[0]);
  const auto height = ParseNumber(args[1]);
  const auto timeout = ParseNumber(args[2]);
  const auto hold = args.size() > 5 ? ParseNumber(args[5]) : std::optional<long>(0);
  if (!width || !height || !timeout || !hold) return std::nullopt;
  return PreviewRequest{static_cast<int>(*width),
                        static_cast<int>(*height),
                        static_cast<DWORD>(*timeout),
                        args[3],
                        args[4],
                        static_cast<DWORD>(*hold)};
}

// Reports the host's own client size; the saver's child should match it.
void ReportHost(HWND host) {
  RECT client{};
  GetClientRect(host, &client);
  Print("host", HandleNumber(host));
  Print("host_client_width", client.right);
  Print("host_client_height", client.bottom);
}

// preview W H TIMEOUT_MS EXE TEMPLATE [HOLD_MS]: hosts a preview the way the
// Display settings do, then destroys the host and reports the saver's exit.
int PreviewCommand(std::span<char*> args) {
  const auto request = ParsePreviewRequest(args);
  if (!request) return 2;
  UniqueWindow host = CreateHostWindow("QS3 preview host", request->width, request->height);
  if (!host) {
    Print("error", "host window not created " + std::to_string(GetLastError()));
    return 1;
  }
  ReportHost(host.get());
  ChildProcess saver;
  if (!saver.Start(
          CommandLine(request->exe, ExpandTemplate(request->argumentTemplate, host.get())))) {
    return 1;
  }
  Print("pid", saver.Id());
  const bool exitedEarly = WaitPumping(saver.Handle(), 1500);
  HWND child = FindWindowExA(host.get(), nullptr, nullptr, "SSPREVIEW");
  Print("exited_early", exitedEarly ? 1 : 0);
  Print("found_child", child != nullptr ? 1 : 0);
  if (child != nullptr) {
    ReportPreviewChild(host.get(), child);
    SendPreviewInput(child);
    PumpFor(700);
    Print("alive_after_input", saver.Running() ? 1 : 0);
    Print("child_after_input", IsWindow(child) && IsWindowVisible(child) ? 1 : 0);
  }
  Print("ready", 1);
  std::fflush(stdout);
  if (!exitedEarly) PumpFor(request->holdMs);
  host.reset();
  return saver.ReportExitWithin(request->timeoutMs) ? 0 : 1;
}

// hold-toplevel TITLE SECONDS: keeps a top-level window with that title.
int HoldTopLevelCommand(std::span<char*> args) {
  if (args.size() < 2) return 2;
  const auto seconds = ParseNumber(args[1]);
  if (!seconds) return 2;
  UniqueWindow window = CreateHostWindow(args[0], 160, 120);
  if (!window) return 1;
  Print("hwnd", HandleNumber(window.get()));
  Print("ready", 1);
  std::fflush(stdout);
  PumpFor(static_cast<DWORD>(*seconds) * 1000);
  return 0;
}

struct BrushDeleter {
  void operator()(HBRUSH brush) const { DeleteObject(brush); }
};
using UniqueBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, BrushDeleter>;

constexpr const char* kCoverClass = "QS3TestCover";
constexpr COLORREF kCoverColour = RGB(255, 0, 255);

// Asks for the part of a window under a screen rectangle to be drawn again,
// erased first, as a display without composition does when a window that
// covered it goes away (Wine keeps a copy of each window and asks nothing).
bool InvalidateUnder(const char* title, RECT screen) {
  HWND window = FindWindowA(nullptr, title);
  if (window == nullptr) return false;
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&screen), 2);
  return RedrawWindow(window, &screen, nullptr, RDW_INVALIDATE | RDW_ERASE) != FALSE;
}

// cover X Y WIDTH HEIGHT MS [TITLE]: a topmost magenta popup over that part
// of the screen, shown without taking the focus, for MS milliseconds; prints
// ready=1 once it is shown and destroyed=1 once it is gone, after which the
// window titled TITLE, if given, is asked to draw that part again
// (invalidated=1 or 0).
int CoverCommand(std::span<char*> args) {
  if (args.size() < 5) return 2;
  std::vector<long> numbers;
  for (char* arg : args.first(5)) {
    const auto number = ParseNumber(arg);
    if (!number) return 2;
    numbers.push_back(*number);
  }
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  const UniqueBrush brush(CreateSolidBrush(kCoverColour));
  WNDCLASSA coverClass{};
  coverClass.lpfnWndProc = HostWindowProc;
  coverClass.hInstance = instance;
  coverClass.hbrBackground = brush.get();
  coverClass.lpszClassName = kCoverClass;
  if (!brush || RegisterClassA(&coverClass) == 0) return 1;
  UniqueWindow window(CreateWindowExA(
      WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kCoverClass, "QS3 cover", WS_POPUP,
      static_cast<int>(numbers[0]), static_cast<int>(numbers[1]), static_cast<int>(numbers[2]),
      static_cast<int>(numbers[3]), nullptr, nullptr, instance, nullptr));
  const bool shown = window != nullptr;
  if (shown) {
    SetWindowPos(window.get(), HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    UpdateWindow(window.get());
    PumpFor(100);
    Print("hwnd", HandleNumber(window.get()));
    Print("ready", 1);
    std::fflush(stdout);
    PumpFor(static_cast<DWORD>(numbers[4]));
    window.reset();
    if (args.size() > 5) {
      const RECT area{static_cast<LONG>(numbers[0]), static_cast<LONG>(numbers[1]),
                      static_cast<LONG>(numbers[0] + numbers[2]),
                      static_cast<LONG>(numbers[1] + numbers[3])};
      Print("invalidated", InvalidateUnder(args[5], area) ? 1 : 0);
    }
    PumpFor(50);
    Print("destroyed", 1);
  }
  UnregisterClassA(kCoverClass, instance);
  return shown ? 0 : 1;
}

// The first top-level window of that class that the process made, waited
// for while this thread's windows keep answering.
HWND WaitForProcessWindow(const ChildProcess& process, const char* className, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    for (HWND window = FindWindowExA(nullptr, nullptr, className, nullptr); window != nullptr;
         window = FindWindowExA(nullptr, window, className, nullptr)) {
      if (OwningProcess(window) == process.Id() && IsWindowVisible(window)) return window;
    }
    if (!process.Running() || GetTickCount64() >= deadline) return nullptr;
    PumpFor(20);
  }
}

// Pumps until the window's enabled state is `enabled` or timeoutMs pass;
// returns the state it ended in.
bool WaitEnabled(HWND window, bool enabled, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while ((IsWindowEnabled(window) != FALSE) != enabled && GetTickCount64() < deadline) PumpFor(20);
  return IsWindowEnabled(window) != FALSE;
}

bool WaitForeground(HWND window, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (GetForegroundWindow() != window && GetTickCount64() < deadline) PumpFor(20);
  return GetForegroundWindow() == window;
}

// settings-parent TIMEOUT_MS CLASS EXE [ARGS...]: brings a window of its own
// to the foreground, starts EXE there and waits for its window of CLASS;
// reports whether its own window was disabled meanwhile (ready=1), then
// waits for EXE to end and reports the exit code and whether its window is
// enabled and in the foreground again.
int SettingsParentCommand(std::span<char*> args) {
  if (args.size() < 3) return 2;
  const auto timeout = ParseNumber(args[0]);
  if (!timeout) return 2;
  UniqueWindow parent = CreateHostWindow("QS3 settings parent", 160, 120);
  if (!parent) return 1;
  SetForegroundWindow(parent.get());
  Print("parent", HandleNumber(parent.get()));
  Print("parent_foreground_before", WaitForeground(parent.get(), 3000) ? 1 : 0);
  ChildProcess child;
  if (!child.Start(CommandLine(args[2], JoinArguments(args.subspan(3))))) return 1;
  Print("pid", child.Id());
  HWND window = WaitForProcessWindow(child, args[1], static_cast<DWORD>(*timeout));
  Print("window_found", window != nullptr ? 1 : 0);
  if (window != nullptr) {
    Print("parent_enabled_while_open", WaitEnabled(parent.get(), false, 3000) ? 1 : 0);
  }
  Print("ready", 1);
  std::fflush(stdout);
  const bool exited = child.ReportExitWithin(static_cast<DWORD>(*timeout));
  Print("parent_enabled_after", IsWindowEnabled(parent.get()) ? 1 : 0);
  Print("parent_foreground_after", WaitForeground(parent.get(), 3000) ? 1 : 0);
  return exited ? 0 : 1;
}

// keep-desktop: holds a hidden window until killed. Wine closes its desktop
// shortly after the last window program ends and then takes seconds to bring
// it back for the next one; this keeps it open between the cases.
int KeepDesktopCommand() {
  if (!RegisterHostClass()) return 1;
  UniqueWindow window(CreateWindowExA(0, kHostClass, "QS3 test desktop keeper", WS_OVERLAPPED, 0, 0,
                                      10, 10, nullptr, nullptr, GetModuleHandleA(nullptr),
                                      nullptr));
  if (!window) return 1;
  Print("ready", 1);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}

int Usage() {
  std::fputs(
      "usage: qs3_testhost run TIMEOUT_MS EXE [ARGS...]\n"
      "       qs3_testhost find TITLE [TIMEOUT_MS]\n"
      "       qs3_testhost find-class CLASS [TIMEOUT_MS]\n"
      "       qs3_testhost foreground\n"
      "       qs3_testhost metrics\n"
      "       qs3_testhost monitors\n"
      "       qs3_testhost cover-monitors HOLD_MS [follow]\n"
      "       qs3_testhost settings-parent TIMEOUT_MS CLASS EXE [ARGS...]\n"
      "       qs3_testhost preview W H TIMEOUT_MS EXE TEMPLATE [HOLD_MS]  ({hwnd} in TEMPLATE)\n"
      "       qs3_testhost hold-toplevel TITLE SECONDS\n"
      "       qs3_testhost cover X Y WIDTH HEIGHT MS [TITLE]\n"
      "       qs3_testhost keep-desktop\n"
      "       qs3_testhost resources EXE\n"
      "       qs3_testhost gui-resources PID\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc < 2) return Usage();
  const std::string_view command = argv[1];
  const std::span<char*> args(argv + 2, static_cast<std::size_t>(argc - 2));
  int result = 2;
  if (command == "run") result = RunCommand(args);
  if (command == "find") result = FindCommand(Lookup::Title, args);
  if (command == "find-class") result = FindCommand(Lookup::Class, args);
  if (command == "foreground") result = ForegroundCommand();
  if (command == "metrics") result = MetricsCommand();
  if (command == "monitors") result = MonitorsCommand();
  if (command == "cover-monitors") result = CoverMonitorsCommand(args);
  if (command == "settings-parent") result = SettingsParentCommand(args);
  if (command == "preview") result = PreviewCommand(args);
  if (command == "hold-toplevel") result = HoldTopLevelCommand(args);
  if (command == "cover") result = CoverCommand(args);
  if (command == "keep-desktop") result = KeepDesktopCommand();
  if (command == "resources") result = ResourcesCommand(args);
  if (command == "gui-resources") result = GuiResourcesCommand(args);
  return result == 2 ? Usage() : result;
}
