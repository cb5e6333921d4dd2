#include "frontends/sdl/launch_args.h"

#include <array>
#include <charconv>

namespace qs3::sdl {
namespace {

// XScreenSaver's own flags, with one dash or two.
std::string_view WithoutDashes(std::string_view arg) {
  if (arg.starts_with("--")) return arg.substr(2);
  if (arg.starts_with("-")) return arg.substr(1);
  return {};
}

constexpr std::array<std::string_view, 5> kIgnoredFlags{"install", "fps", "mono", "window", "nice"};
constexpr std::array<std::string_view, 2> kIgnoredFlagsWithValue{"visual", "display"};

template <typename List>
bool Contains(const List& list, std::string_view name) {
  for (std::string_view entry : list)
    if (entry == name) return true;
  return false;
}

// "/p 0x1a" and "/p:0x1a" become "/p 26" and "/p:26": the core reads decimal.
std::string DecimalWindowIds(std::string_view word) {
  const std::size_t colon = word.find(':');
  const std::string_view head = colon == std::string_view::npos ? "" : word.substr(0, colon + 1);
  const std::string_view value = colon == std::string_view::npos ? word : word.substr(colon + 1);
  if (!(value.starts_with("0x") || value.starts_with("0X"))) return std::string(word);
  const std::optional<std::uint32_t> id = ParseWindowId(value);
  if (!id) return std::string(word);
  return std::string(head) + std::to_string(*id);
}

}  // namespace

std::optional<std::uint32_t> ParseWindowId(std::string_view text) {
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    base = 16;
  }
  if (text.empty()) return std::nullopt;
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

Launch ParseLaunchArguments(std::span<const std::string> args, const char* xscreensaverWindow) {
  Launch launch;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view flag = WithoutDashes(args[i]);
    if (flag == "root") {
      launch.kind = LaunchKind::DrawIntoWindow;
      launch.window.reset();
      if (xscreensaverWindow != nullptr) launch.window = ParseWindowId(xscreensaverWindow);
      if (xscreensaverWindow != nullptr && !launch.window) launch.kind = LaunchKind::BadWindowId;
    } else if (flag == "window-id") {
      launch.window = i + 1 < args.size() ? ParseWindowId(args[++i]) : std::nullopt;
      launch.kind = launch.window ? LaunchKind::DrawIntoWindow : LaunchKind::BadWindowId;
    } else if (Contains(kIgnoredFlags, flag)) {
      continue;
    } else if (Contains(kIgnoredFlagsWithValue, flag)) {
      ++i;
    } else {
      if (!launch.commandLine.empty()) launch.commandLine += ' ';
      launch.commandLine += DecimalWindowIds(args[i]);
    }
  }
  if (launch.kind != LaunchKind::Saver) launch.commandLine.clear();
  return launch;
}

}  // namespace qs3::sdl
