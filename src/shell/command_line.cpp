#include "shell/command_line.h"

#include <algorithm>

namespace qs3 {
namespace {

constexpr std::size_t kMaxHandleDigits = 15;

bool IsSwitchMark(char c) {
  return c == '-' || c == '/';
}

bool IsLeadingSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The handle argument starts one character behind the switch letter (that
// character, normally a blank or ':', is skipped) and runs to the next blank.
struct HandleArgument {
  WindowHandle handle = kNoWindow;
  std::size_t resumeAt = 0;
};

HandleArgument ReadHandleArgument(std::string_view text, std::size_t letterAt) {
  std::size_t start = std::min(letterAt + 2, text.size());
  std::size_t end = text.find(' ', start);
  if (end == std::string_view::npos) end = text.size();
  const std::size_t resumeAt = end < text.size() ? end + 1 : end;
  return {ReadWindowHandle(text.substr(start, end - start)), resumeAt};
}

Size PreviewStageSize(Host& host, WindowHandle window) {
  return host.ClientSize(window).value_or(Size{});
}

}  // namespace

WindowHandle ReadWindowHandle(std::string_view argument) {
  argument = argument.substr(0, std::min(argument.size(), kMaxHandleDigits));
  std::size_t i = 0;
  while (i < argument.size() && IsLeadingSpace(argument[i])) ++i;
  bool negative = false;
  if (i < argument.size() && (argument[i] == '+' || argument[i] == '-')) {
    negative = argument[i] == '-';
    ++i;
  }
  std::uint32_t value = 0;  // wraps modulo 2^32 by design: no overflow test
  for (; i < argument.size() && argument[i] >= '0' && argument[i] <= '9'; ++i) {
    value = value * 10u + static_cast<std::uint32_t>(argument[i] - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<WindowHandle>(static_cast<std::int32_t>(value));
}

ParseResult ParseCommandLine(std::string_view text, Size screenSize, Host& host) {
  ParseResult result;
  std::size_t i = 0;
  while (i < text.size()) {
    if (!IsSwitchMark(text[i]) || i + 1 >= text.size()) {
      ++i;
      continue;
    }
    const std::size_t letterAt = i + 1;
    switch (LowerAscii(text[letterAt])) {
      case 's':
        result.mode = SaverMode::FullScreen;
        result.parentWindow = kNoWindow;
        result.stageSize = screenSize;
        i = letterAt + 1;
        break;
      case 'p':
      case 'l': {
        if (host.TopLevelWindowExists(kPreviewTitle)) {
          result.endAtOnce = true;
          return result;
        }
        const HandleArgument argument = ReadHandleArgument(text, letterAt);
        result.mode = SaverMode::Preview;
        result.parentWindow = argument.handle;
        result.stageSize = PreviewStageSize(host, argument.handle);
        i = argument.resumeAt;
        break;
      }
      case 'c':
        result.mode = SaverMode::Configure;
        result.parentWindow = host.ForegroundWindow();
        i = letterAt + 1;
        break;
      case 'a': {
        const HandleArgument argument = ReadHandleArgument(text, letterAt);
        result.mode = SaverMode::ChangePassword;
        result.parentWindow = argument.handle;
        i = argument.resumeAt;
        break;
      }
      default:
        i = letterAt;  // not a switch: scan on from that character itself
    }
  }
  return result;
}

std::int32_t ComputeScaleFactor(SaverMode mode, Size stageSize, Size screenSize) {
  if (mode == SaverMode::FullScreen) return 1000;
  // A zero screen axis cannot come from the system metrics; treat it as no scale
  // rather than divide by zero.
  auto perMille = [](std::int32_t part, std::int32_t whole) -> std::int32_t {
    if (whole == 0) return 0;
    return static_cast<std::int32_t>(static_cast<std::int64_t>(part) * 1000 / whole);
  };
  const std::int32_t w = perMille(stageSize.width, screenSize.width);
  const std::int32_t h = perMille(stageSize.height, screenSize.height);
  return w > h ? w : h;
}

}  // namespace qs3
