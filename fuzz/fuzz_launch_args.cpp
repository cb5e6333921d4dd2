// Any arguments for the native saver (NUL-separated; an odd first byte sets
// XSCREENSAVER_WINDOW to the first argument): sorting them into XScreenSaver's
// flags and the Windows command line never fails, a window id always reads
// back as the number it was written as, and the command line it leaves parses.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "frontends/sdl/launch_args.h"
#include "shell/command_line.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::vector<std::string> SplitAtNul(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back() += static_cast<char>(data[i]);
    }
  }
  return args;
}

class NoWindows final : public qs3::Host {
 public:
  bool TopLevelWindowExists(const char*) override { return false; }
  qs3::Size ScreenSize() override { return {1920, 1080}; }
  qs3::MonitorLayout Monitors() override { return {}; }
  std::optional<qs3::Size> ClientSize(qs3::WindowHandle) override { return qs3::Size{152, 112}; }
  qs3::WindowHandle ForegroundWindow() override { return 0; }
  void BringToForeground(qs3::WindowHandle) override {}
  qs3::Point CursorPosition() override { return {}; }
  void ShowCursor(bool) override {}
  void EnableInputMethod(bool) override {}
  void ShowMessage(qs3::WindowHandle, const char*, const char*) override {}
  void PostQuit(int) override {}
  qs3::DeviceContext AcquireDesktopContext() override { return 0; }
  void ReleaseDesktopContext(qs3::DeviceContext) override {}
  bool StartTimer(qs3::WindowHandle, unsigned, unsigned) override { return false; }
  void StopTimer(qs3::WindowHandle, unsigned) override {}
  std::int64_t CalendarSeconds() override { return 0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const bool withVariable = size > 0 && (data[0] & 1) != 0;
  const std::vector<std::string> args = SplitAtNul(data + (size > 0 ? 1 : 0), size - (size > 0));
  const char* variable = withVariable ? args.front().c_str() : nullptr;
  const qs3::sdl::Launch launch = qs3::sdl::ParseLaunchArguments(args, variable);

  for (const std::string& arg : args) {
    if (const auto id = qs3::sdl::ParseWindowId(arg)) {
      Check(qs3::sdl::ParseWindowId(std::to_string(*id)) == id);
    }
  }
  if (launch.kind != qs3::sdl::LaunchKind::Saver) Check(launch.commandLine.empty());
  if (launch.kind == qs3::sdl::LaunchKind::Saver) {
    NoWindows host;
    const qs3::ParseResult result =
        qs3::ParseCommandLine(launch.commandLine, host.ScreenSize(), host);
    Check(static_cast<std::int32_t>(result.mode) >= 0 &&
          static_cast<std::int32_t>(result.mode) <= 3);
  }
  return 0;
}
