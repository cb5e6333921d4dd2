// Any command line: the parser never reads out of bounds, never hangs, and
// its result stays within what the switches can produce.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "shell/command_line.h"

namespace {

// Windows exist for a few handles; a preview window exists when the input's
// first byte is odd, so both branches of the second-preview rule run.
class ScriptedHost final : public qs3::Host {
 public:
  explicit ScriptedHost(bool previewShown) : previewShown_(previewShown) {}
  bool TopLevelWindowExists(const char*) override { return previewShown_; }
  qs3::Size ScreenSize() override { return {800, 600}; }
  qs3::MonitorLayout Monitors() override { return {}; }
  std::optional<qs3::Size> ClientSize(qs3::WindowHandle window) override {
    if (window % 3 != 0) return std::nullopt;
    return qs3::Size{static_cast<std::int32_t>(window & 0xFFF), 100};
  }
  qs3::WindowHandle ForegroundWindow() override { return 42; }
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

 private:
  bool previewShown_;
};

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ScriptedHost host(size > 0 && (data[0] & 1) != 0);
  const qs3::ParseResult result = qs3::ParseCommandLine(text, host.ScreenSize(), host);

  const auto mode = static_cast<std::int32_t>(result.mode);
  Check(mode >= 0 && mode <= 3);
  if (text.find_first_of("-/") == std::string_view::npos) {
    Check(result.mode == qs3::SaverMode::Configure && result.parentWindow == qs3::kNoWindow);
  }
  if (result.mode == qs3::SaverMode::FullScreen) Check(result.parentWindow == qs3::kNoWindow);
  // A handle is 32 bits sign-extended.
  Check(result.parentWindow >= INT32_MIN && result.parentWindow <= INT32_MAX);
  qs3::ComputeScaleFactor(result.mode, result.stageSize, host.ScreenSize());
  return 0;
}
