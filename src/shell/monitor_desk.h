// The monitors a full-screen saver covers and the one the quartet plays on:
// the primary monitor first, then at each restart the next one from left to
// right, then top to bottom, round and round. Every other monitor is covered
// black.
#pragma once

#include <array>
#include <cstdint>

#include "seam/types.h"

namespace qs3 {

// Whether monitor area `a` comes before `b` in the playing order.
bool PlaysBefore(const Rect& a, const Rect& b);

// The monitors a stage can be made for, each area once (a mirrored monitor
// is listed twice), in the playing order; `primary` is the index of the
// primary one. An unusable answer (no monitor, or none of a usable size)
// gives the one monitor `fallback`.
struct DeskMonitors {
  int count = 0;
  int primary = 0;
  std::array<Rect, kMaxMonitors> areas{};
  friend bool operator==(const DeskMonitors&, const DeskMonitors&) = default;
};
DeskMonitors UsableMonitors(const MonitorLayout& layout, const Rect& fallback);

inline constexpr Size AreaSize(const Rect& area) {
  return {area.right - area.left, area.bottom - area.top};
}

class MonitorDesk {
 public:
  // What a new layout means for the saver's windows.
  enum class Change {
    None,         // the same monitors
    Moved,        // other monitors; the quartet's stays, the covers move
    PlayingGone,  // the quartet's monitor is gone or changed: it plays on the primary now
  };

  // The layout at start-up; the quartet plays on the primary monitor.
  void Start(const MonitorLayout& layout, const Rect& fallback);
  Change Update(const MonitorLayout& layout);

  int Count() const { return monitors_.count; }
  const Rect& Playing() const { return monitors_.areas[playing_]; }
  // The monitor the next performance plays on.
  const Rect& Next() const { return monitors_.areas[(playing_ + 1) % monitors_.count]; }
  void Advance() { playing_ = (playing_ + 1) % monitors_.count; }
  // The monitors other than the quartet's, in the playing order after it.
  int CoverCount() const { return monitors_.count - 1; }
  const Rect& Cover(int index) const {
    return monitors_.areas[(playing_ + 1 + index) % monitors_.count];
  }

 private:
  MonitorLayout last_;
  Rect fallback_;
  DeskMonitors monitors_;
  int playing_ = 0;
};

}  // namespace qs3
