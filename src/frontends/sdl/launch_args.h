// How the native saver was started: with the Windows switches (/s, /p ID,
// /c, /a ID, or none), or by XScreenSaver, which names the window to draw
// into and owns input and locking itself. No SDL or X11 header here, so the
// rules are unit-tested natively.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qs3::sdl {

enum class LaunchKind {
  Saver,           // the Windows switches, through the core's parser
  DrawIntoWindow,  // XScreenSaver: draw like a preview until SIGTERM
  BadWindowId,     // a window to draw into that is no window id: nothing runs
};

struct Launch {
  LaunchKind kind = LaunchKind::Saver;
  // Saver: the command line for the core, window ids already in decimal.
  std::string commandLine;
  // DrawIntoWindow: the window; none means the real root window.
  std::optional<std::uint32_t> window;
  friend bool operator==(const Launch&, const Launch&) = default;
};

// An X11 window id in decimal or 0x hexadecimal; none for anything else or
// for a value beyond 32 bits.
std::optional<std::uint32_t> ParseWindowId(std::string_view text);

// `xscreensaverWindow` is the XSCREENSAVER_WINDOW variable (null when unset).
// --root and --window-id ID (one dash or two) draw into a window; the other
// XScreenSaver flags (--install, --fps, --visual NAME, ...) are ignored;
// everything else is joined with blanks into the Windows command line, with
// a window id written in hexadecimal turned into decimal.
Launch ParseLaunchArguments(std::span<const std::string> args, const char* xscreensaverWindow);

}  // namespace qs3::sdl
