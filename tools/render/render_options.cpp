#include "render/render_options.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace qs3::tools {
namespace {

constexpr int kMaxSide = 8192;
constexpr int kMaxTick = 1'000'000;

template <typename Number>
bool ReadNumber(std::string_view text, Number& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc{} && end == text.data() + text.size();
}

bool ReadSize(std::string_view text, Size& size) {
  const auto cross = text.find('x');
  return cross != std::string_view::npos && ReadNumber(text.substr(0, cross), size.width) &&
         ReadNumber(text.substr(cross + 1), size.height) && size.width >= 1 && size.height >= 1 &&
         size.width <= kMaxSide && size.height <= kMaxSide;
}

// "WxH+X+Y" or with '-' for a negative origin, as X11 writes geometries.
bool ReadMonitor(std::string_view text, Rect& area) {
  const auto sign = text.find_first_of("+-");
  Size size;
  if (sign == std::string_view::npos || !ReadSize(text.substr(0, sign), size)) return false;
  const std::string_view origin = text.substr(sign);
  const auto second = origin.find_first_of("+-", 1);
  if (second == std::string_view::npos) return false;
  Point at;
  const auto number = [](std::string_view part, std::int32_t& value) {
    if (part.starts_with('+')) part.remove_prefix(1);
    return ReadNumber(part, value) && value > -kMaxSide * 4 && value < kMaxSide * 4;
  };
  if (!number(origin.substr(0, second), at.x) || !number(origin.substr(second), at.y)) {
    return false;
  }
  area = {at.x, at.y, at.x + size.width, at.y + size.height};
  return true;
}

bool ReadMonitors(std::string_view text, MonitorLayout& layout) {
  layout = {};
  while (!text.empty()) {
    if (layout.count == kMaxMonitors) return false;
    const auto comma = text.find(',');
    Monitor& monitor = layout.monitors[layout.count];
    if (!ReadMonitor(text.substr(0, comma), monitor.area)) return false;
    monitor.primary = layout.count == 0;
    ++layout.count;
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return layout.count > 0;
}

bool ReadTicks(std::string_view text, int& first, int& last) {
  const auto dots = text.find("..");
  return dots != std::string_view::npos && ReadNumber(text.substr(0, dots), first) &&
         ReadNumber(text.substr(dots + 2), last) && first >= 0 && first <= last && last <= kMaxTick;
}

bool ReadScript(const std::string& path, RunSetup& setup, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  std::optional<std::vector<MusicAnswer>> answers = ParseMusicScript(text.str(), error);
  if (!answers) {
    error = path + ": " + error;
    return false;
  }
  setup.music.emplace(std::move(*answers));
  return true;
}

// Applies one option that takes a value; false with `error` set if it is bad.
bool ApplyOption(const std::string& name, const std::string& value, RenderOptions& options,
                 std::string& error) {
  bool ok = true;
  if (name == "--screen") {
    ok = ReadSize(value, options.setup.screen);
  } else if (name == "--preview") {
    Size preview;
    ok = ReadSize(value, preview);
    options.setup.preview = preview;
  } else if (name == "--seed") {
    ok = ReadNumber(std::string_view(value), options.setup.seed);
  } else if (name == "--ticks") {
    ok = ReadTicks(value, options.firstTick, options.lastTick);
  } else if (name == "--music-rate") {
    std::uint32_t rate = 0;
    ok = ReadNumber(std::string_view(value), rate) && rate > 0;
    options.setup.music = ScriptedMusicClock::Steady(rate);
  } else if (name == "--music-script") {
    return ReadScript(value, options.setup, error);
  } else if (name == "--gif-step") {
    ok = ReadNumber(std::string_view(value), options.gifStep) && options.gifStep >= 1 &&
         options.gifStep <= 100;
  } else if (name == "--png-dir") {
    options.pngDir = value;
  } else if (name == "--ppm-dir") {
    options.ppmDir = value;
  } else if (name == "--gif") {
    options.gif = value;
  } else if (name == "--trace") {
    options.trace = value;
  } else if (name == "--checksums") {
    options.checksums = value;
  } else if (name == "--monitors") {
    ok = ReadMonitors(value, options.setup.monitors);
  } else if (name == "--settings-window") {
    Size client;
    ok = ReadSize(value, client);
    options.settingsWindow = client;
  } else if (name == "--music-enabled") {
    ok = ReadNumber(std::string_view(value), options.musicEnabled);
  } else if (name == "--pressed") {
    ok = value == "ok" || value == "cancel" || value == "music";
    options.pressed = value;
  } else {
    error = "unknown option " + name;
    return false;
  }
  if (!ok) error = "bad value for " + name + ": " + value;
  return ok;
}

}  // namespace

std::optional<RenderOptions> ParseRenderOptions(const std::vector<std::string>& args,
                                                std::string& error) {
  RenderOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--help" || args[i] == "-h") {
      options.help = true;
      continue;
    }
    if (i + 1 >= args.size()) {
      error =
          args[i].starts_with("--") ? args[i] + " needs a value" : "unknown argument " + args[i];
      return std::nullopt;
    }
    if (!ApplyOption(args[i], args[i + 1], options, error)) return std::nullopt;
    ++i;
  }
  return options;
}

}  // namespace qs3::tools
