#include "frontends/sdl/timer_schedule.h"

#include <algorithm>

namespace qs3::sdl {

void TimerSchedule::Start(WindowHandle window, unsigned id, unsigned period, Milliseconds now) {
  Stop(window, id);
  const Milliseconds every = std::max(period, 1u);
  timers_.push_back({{window, id}, every, now + every});
}

void TimerSchedule::Stop(WindowHandle window, unsigned id) {
  std::erase_if(timers_, [&](const Timer& timer) { return timer.name == Due{window, id}; });
}

std::optional<TimerSchedule::Milliseconds> TimerSchedule::UntilNext(Milliseconds now) const {
  if (timers_.empty()) return std::nullopt;
  const auto soonest = std::min_element(
      timers_.begin(), timers_.end(), [](const Timer& a, const Timer& b) { return a.due < b.due; });
  return soonest->due > now ? soonest->due - now : 0;
}

std::optional<TimerSchedule::Due> TimerSchedule::TakeDue(Milliseconds now) {
  const auto soonest = std::min_element(
      timers_.begin(), timers_.end(), [](const Timer& a, const Timer& b) { return a.due < b.due; });
  if (soonest == timers_.end() || soonest->due > now) return std::nullopt;
  soonest->due += soonest->period;
  // Ticks missed while the loop was busy are not made up.
  if (soonest->due <= now) soonest->due = now + soonest->period;
  return soonest->name;
}

}  // namespace qs3::sdl
