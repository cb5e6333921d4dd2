// Plain value types shared by the portable core and every front end.
#pragma once

#include <array>
#include <cstdint>

namespace qs3 {

// An OS window handle carried through the core as an integer. On 64-bit
// Windows a handle read from the command line is 32 bits sign-extended.
using WindowHandle = std::intptr_t;
inline constexpr WindowHandle kNoWindow = 0;

// An OS drawing context (the desktop's device context on Windows).
using DeviceContext = std::intptr_t;

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// A rectangle of pixels: left and top inside it, right and bottom just past it.
struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// A palette of up to 256 colours, in the order of a DIB colour table.
struct PaletteEntry {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t flags = 0;
  friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

struct PaletteEntries {
  int count = 0;
  std::array<PaletteEntry, 256> entries{};
};

// One monitor of the desktop, in virtual-screen pixels (the primary monitor's
// top-left corner is 0, 0; others may lie left of or above it).
struct Monitor {
  Rect area;
  bool primary = false;
  friend bool operator==(const Monitor&, const Monitor&) = default;
};

// The monitors of the desktop in the order the system lists them. A fixed
// room, so that reading the layout while the saver runs takes no memory.
inline constexpr int kMaxMonitors = 16;
struct MonitorLayout {
  int count = 0;
  std::array<Monitor, kMaxMonitors> monitors{};
  friend bool operator==(const MonitorLayout&, const MonitorLayout&) = default;
};

}  // namespace qs3
