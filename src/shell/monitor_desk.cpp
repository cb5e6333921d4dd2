#include "shell/monitor_desk.h"

#include <algorithm>

namespace qs3 {
namespace {

// A stage for a monitor larger than this cannot be made; such a monitor (or
// an answer with nonsense sizes) is left out rather than half covered.
constexpr std::int64_t kMaxMonitorPixels = 40'000'000;

bool Usable(const Rect& area) {
  const std::int64_t width = std::int64_t{area.right} - area.left;
  const std::int64_t height = std::int64_t{area.bottom} - area.top;
  return width > 0 && height > 0 && width * height <= kMaxMonitorPixels;
}

}  // namespace

bool PlaysBefore(const Rect& a, const Rect& b) {
  if (a.left != b.left) return a.left < b.left;
  return a.top < b.top;
}

DeskMonitors UsableMonitors(const MonitorLayout& layout, const Rect& fallback) {
  DeskMonitors desk;
  Rect primary = fallback;
  bool primarySeen = false;
  const int listed = std::clamp(layout.count, 0, kMaxMonitors);
  for (int i = 0; i < listed; ++i) {
    const Monitor& monitor = layout.monitors[i];
    if (!Usable(monitor.area)) continue;
    const auto end = desk.areas.begin() + desk.count;
    if (std::find(desk.areas.begin(), end, monitor.area) != end) continue;
    desk.areas[desk.count++] = monitor.area;
    if (monitor.primary && !primarySeen) {
      primary = monitor.area;
      primarySeen = true;
    }
  }
  if (desk.count == 0) {
    desk.areas[0] = fallback;
    desk.count = 1;
    return desk;
  }
  std::sort(desk.areas.begin(), desk.areas.begin() + desk.count, PlaysBefore);
  // No monitor said to be primary: the one at the virtual screen's origin, else the first.
  if (!primarySeen) primary = fallback;
  const auto end = desk.areas.begin() + desk.count;
  const auto found = std::find(desk.areas.begin(), end, primary);
  desk.primary = found == end ? 0 : static_cast<int>(found - desk.areas.begin());
  return desk;
}

void MonitorDesk::Start(const MonitorLayout& layout, const Rect& fallback) {
  last_ = layout;
  fallback_ = fallback;
  monitors_ = UsableMonitors(layout, fallback);
  playing_ = monitors_.primary;
}

MonitorDesk::Change MonitorDesk::Update(const MonitorLayout& layout) {
  if (layout == last_) return Change::None;
  last_ = layout;
  // A layout the system could not answer keeps the monitors already covered.
  if (layout.count <= 0) return Change::None;
  const DeskMonitors now = UsableMonitors(layout, fallback_);
  if (now == monitors_) return Change::None;
  const Rect playing = Playing();
  monitors_ = now;
  const auto end = monitors_.areas.begin() + monitors_.count;
  const auto found = std::find(monitors_.areas.begin(), end, playing);
  if (found != end) {
    playing_ = static_cast<int>(found - monitors_.areas.begin());
    return Change::Moved;
  }
  playing_ = monitors_.primary;
  return Change::PlayingGone;
}

}  // namespace qs3
