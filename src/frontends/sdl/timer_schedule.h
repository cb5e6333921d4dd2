// The native saver's timers as deadlines that the event loop sleeps until,
// rather than a thread that wakes the loop with a message for every tick.
// Like WM_TIMER, a timer that falls behind (the loop was busy) fires once and
// takes up its period again from then; a periodic timer keeps its phase, so
// the ticks do not drift by the loop's own delays.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "seam/types.h"

namespace qs3::sdl {

class TimerSchedule {
 public:
  using Milliseconds = std::uint64_t;

  struct Due {
    WindowHandle window = kNoWindow;
    unsigned id = 0;
    friend bool operator==(const Due&, const Due&) = default;
  };

  // Starts (or restarts) the window's timer `id`: first due `period` from now.
  // A period of 0 counts as 1 ms.
  void Start(WindowHandle window, unsigned id, unsigned period, Milliseconds now);
  void Stop(WindowHandle window, unsigned id);
  bool Empty() const { return timers_.empty(); }

  // How long until the next timer is due: 0 when one is due already, none
  // when no timer runs.
  std::optional<Milliseconds> UntilNext(Milliseconds now) const;
  // The timer due soonest if it is due at `now`, its deadline moved on by its
  // period (past `now`); none when no timer is due.
  std::optional<Due> TakeDue(Milliseconds now);

 private:
  struct Timer {
    Due name;
    Milliseconds period = 1;
    Milliseconds due = 0;
  };
  std::vector<Timer> timers_;
};

}  // namespace qs3::sdl
