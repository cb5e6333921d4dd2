// The CPU a tick's timeline step costs with music on (a position query on
// the device, the cues read from the position) against the silent timeline,
// both writing the whole display list of every tick.
#include <benchmark/benchmark.h>

#include "animation/timeline.h"
#include "frontends/headless/scripted_music_clock.h"

namespace qs3 {
namespace {

constexpr Size kScreen{1920, 1080};
constexpr std::uint32_t kBytesPerTick = 2205;  // 22050 bytes a second, 10 ticks a second

Timeline StartedTimeline() {
  Timeline timeline;
  SeedRandom(timeline.random, 0);
  InitPerformance(timeline, kScreen, SaverMode::FullScreen, 1000);
  return timeline;
}

void BM_SilentTimelineTick(benchmark::State& state) {
  Timeline timeline = StartedTimeline();
  DisplayList list;
  for (auto _ : state) {
    SilentTimelineTick(timeline, list);
    benchmark::DoNotOptimize(list.slots.data());
  }
}
BENCHMARK(BM_SilentTimelineTick);

void BM_MusicTimelineTick(benchmark::State& state) {
  Timeline timeline = StartedTimeline();
  DisplayList list;
  ScriptedMusicClock music = ScriptedMusicClock::Steady(kBytesPerTick);
  music.PlayFromStart();
  for (auto _ : state) {
    MusicTimelineTick(timeline, list, music);
    benchmark::DoNotOptimize(list.slots.data());
  }
  state.counters["position_lost"] = timeline.positionLost;
}
BENCHMARK(BM_MusicTimelineTick);

}  // namespace
}  // namespace qs3
