// What a frame costs as the saver runs: one whole timer tick through the
// headless front end (timeline step, list drawn, its changes worked out and
// copied out by the presenter) against a plain copy of a frame, the list's
// drawing alone and with its changes worked out, the start-up that builds the
// graphics, and the heap the graphics hold.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "frontends/headless/headless_run.h"
#include "graphics/draw_list.h"
#include "graphics/graphics_state.h"

namespace qs3 {
namespace {

// The silent performance plays ticks 0 to 190 and restarts on the last.
constexpr int kTicksPerPerformance = 191;
// Past the entrances of all four performers.
constexpr int kWarmUpTicks = 100;
constexpr WindowHandle kWindow = 1;
constexpr DeviceContext kDesktop = 1;

using Clock = std::chrono::steady_clock;

Size SizeArgs(const benchmark::State& state, int first) {
  return {static_cast<std::int32_t>(state.range(first)),
          static_cast<std::int32_t>(state.range(first + 1))};
}

std::string SizeLabel(Size size) {
  return std::to_string(size.width) + "x" + std::to_string(size.height);
}

RunSetup SetupFor(Size screen, std::optional<Size> preview = std::nullopt) {
  RunSetup setup;
  setup.screen = screen;
  setup.preview = preview;
  return setup;
}

// Null when the graphics could not be built.
std::unique_ptr<HeadlessRun> StartedRun(const RunSetup& setup) {
  auto run = std::make_unique<HeadlessRun>(setup);
  if (!run->Start()) return nullptr;
  return run;
}

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// One std::copy of a frame of `pixels` pixels into a buffer made beforehand,
// averaged over a fifth of a second.
double SecondsPerCopy(std::size_t pixels) {
  const std::vector<std::uint32_t> source(pixels, 0x00123456u);
  std::vector<std::uint32_t> target(pixels);
  const auto start = Clock::now();
  int copies = 0;
  do {
    std::copy(source.begin(), source.end(), target.begin());
    benchmark::ClobberMemory();
    ++copies;
  } while (SecondsSince(start) < 0.2);
  return SecondsSince(start) / copies;
}

// Time per tick in steady state, whole performances at a time.
// frame_per_copy: that time over a plain copy of the same frame;
// presented_pixels and presented_rects: what a tick hands the presenter.
void BM_FrameTick(benchmark::State& state) {
  const Size screen = SizeArgs(state, 0);
  const auto run = StartedRun(SetupFor(screen));
  if (!run) return state.SkipWithError("the graphics could not be built");
  for (int i = 0; i < kWarmUpTicks; ++i) run->Tick();

  const long long pixelsBefore = run->Presenter().PixelsPresented();
  const long rectsBefore = run->Presenter().RectsPresented();
  const auto start = Clock::now();
  while (state.KeepRunningBatch(kTicksPerPerformance)) {
    for (int i = 0; i < kTicksPerPerformance; ++i) run->Tick();
  }
  const auto ticks = static_cast<double>(state.iterations());
  const double secondsPerTick = SecondsSince(start) / ticks;
  benchmark::DoNotOptimize(run->Presenter().Pixels().data());

  state.counters["frame_per_copy"] = secondsPerTick / SecondsPerCopy(run->Frame().Pixels().size());
  state.counters["presented_pixels"] =
      static_cast<double>(run->Presenter().PixelsPresented() - pixelsBefore) / ticks;
  state.counters["presented_rects"] =
      static_cast<double>(run->Presenter().RectsPresented() - rectsBefore) / ticks;
  state.SetLabel(SizeLabel(screen));
}
BENCHMARK(BM_FrameTick)
    ->Args({640, 480})
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMicrosecond);

// The floor of a frame that is presented whole: copying it once.
void BM_PlainCopy(benchmark::State& state) {
  const Size screen = SizeArgs(state, 0);
  const auto pixels =
      static_cast<std::size_t>(screen.width) * static_cast<std::size_t>(screen.height);
  const std::vector<std::uint32_t> source(pixels, 0x00123456u);
  std::vector<std::uint32_t> target(pixels);
  for (auto _ : state) {
    std::copy(source.begin(), source.end(), target.begin());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(pixels * sizeof(std::uint32_t)));
  state.SetLabel(SizeLabel(screen));
}
BENCHMARK(BM_PlainCopy)
    ->Args({640, 480})
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMicrosecond);

// The commands before the end mark and the pixels their rectangles cover.
struct ListSize {
  int commands = 0;
  std::int64_t pixels = 0;
};

ListSize SizeOf(const DisplayList& list) {
  ListSize size;
  for (const DrawCommand& c : list.slots) {
    if (c.type == DrawType::End) break;
    ++size.commands;
    size.pixels += std::int64_t{c.width} * c.height;
  }
  return size;
}

// The drawing of a busy list: tick 100 of a full-HD full screen, all four
// performers erased and drawn, into graphics built as the stage builds its
// own; alone, or with the change tracking that picks what to present.
void BM_DrawListOnly(benchmark::State& state) {
  const RunSetup setup = SetupFor({1920, 1080});
  const auto run = StartedRun(setup);
  if (!run) return state.SkipWithError("the graphics could not be built");
  while (run->TicksDone() <= kWarmUpTicks) run->Tick();
  const DisplayList list = run->List();

  EmbeddedResourceSource resources;
  HeadlessPresenter presenter;
  HeadlessHost host(setup.screen);
  GraphicsState graphics;
  const StartupState& startup = run->Startup();
  if (!InitGraphics(graphics, {resources, presenter, host},
                    {startup.mode, startup.stageSize, startup.scaleFactor}, kWindow, kDesktop)) {
    return state.SkipWithError("the graphics could not be built");
  }
  graphics.composeBuffer = run->Frame();

  const auto mode = state.range(0);
  DisplayList empty;
  ResetList(empty);
  TerminateList(empty);
  ChangedRects changed;
  for (auto _ : state) {
    if (mode == 0) {
      DrawDisplayList(list, graphics.composeBuffer, graphics.stageBuffer, graphics.sheets);
    } else {
      // After an empty list nothing is known of the last tick: all is drawn.
      if (mode == 1)
        graphics.changes.DrawTracked(empty, graphics.composeBuffer, graphics.stageBuffer,
                                     graphics.sheets, changed);
      graphics.changes.DrawTracked(list, graphics.composeBuffer, graphics.stageBuffer,
                                   graphics.sheets, changed);
    }
    benchmark::DoNotOptimize(graphics.composeBuffer.Pixels().data());
  }
  const ListSize size = SizeOf(list);
  state.counters["commands"] = size.commands;
  state.counters["pixels"] = static_cast<double>(size.pixels);
  state.SetLabel(mode == 0   ? "drawing alone"
                 : mode == 1 ? "changes worked out, all drawn"
                             : "the same list again: nothing drawn");
}
// Arg: 0 the drawing alone; 1 with the changed rectangles worked out; 2 the
// same list as the last tick's, which the tracker need not draw.
BENCHMARK(BM_DrawListOnly)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

long MinorPageFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

// Fixes where glibc takes big blocks for as long as it lives, then puts its
// default thresholds back. Cold: every big buffer is mapped afresh and
// unmapped when freed, so each start faults its memory in as a new saver
// process does. Warm: freed memory stays in the heap for the next start.
class HeapPolicy {
 public:
  explicit HeapPolicy(bool cold) {
    mallopt(M_MMAP_THRESHOLD, cold ? kDefaultThreshold : kNeverMap);
    mallopt(M_TRIM_THRESHOLD, cold ? kDefaultThreshold : kNeverMap);
  }
  HeapPolicy(const HeapPolicy&) = delete;
  HeapPolicy& operator=(const HeapPolicy&) = delete;
  ~HeapPolicy() {
    mallopt(M_MMAP_THRESHOLD, kDefaultThreshold);
    mallopt(M_TRIM_THRESHOLD, kDefaultThreshold);
  }

 private:
  static constexpr int kDefaultThreshold = 128 * 1024;
  static constexpr int kNeverMap = 1 << 30;
};

// From the run's construction to a started performance: the three sheets
// decoded, their masks, the palette, the stage buffers. Args: screen width
// and height, the preview's (0 0: full screen), and 1 for a cold start, 0 for
// a warm one (see HeapPolicy).
void BM_StartUp(benchmark::State& state) {
  const Size preview = SizeArgs(state, 2);
  const bool cold = state.range(4) != 0;
  const HeapPolicy heapPolicy(cold);
  const RunSetup setup =
      SetupFor(SizeArgs(state, 0), preview.width > 0 ? std::optional(preview) : std::nullopt);
  long faults = 0;
  for (auto _ : state) {
    const long faultsBefore = MinorPageFaults();
    auto run = StartedRun(setup);
    if (!run) return state.SkipWithError("the graphics could not be built");
    benchmark::DoNotOptimize(run->Frame().Pixels().data());
    faults += MinorPageFaults() - faultsBefore;
    state.PauseTiming();
    run.reset();
    state.ResumeTiming();
  }
  state.counters["page_faults"] =
      benchmark::Counter(static_cast<double>(faults), benchmark::Counter::kAvgIterations);
  state.SetLabel(
      std::string(cold ? "cold " : "warm ") +
      (setup.preview ? "preview " + SizeLabel(preview) : "full screen " + SizeLabel(setup.screen)));
}
BENCHMARK(BM_StartUp)
    ->Args({1920, 1080, 0, 0, 1})
    ->Args({1920, 1080, 152, 112, 1})
    ->Args({1920, 1080, 0, 0, 0})
    ->Args({1920, 1080, 152, 112, 0})
    ->Unit(benchmark::kMillisecond);

// The first start of a fresh process: run it alone, as
//   qs3_bench --benchmark_filter=BM_FirstStartUp
// so that the pictures compiled into the program and every buffer are
// touched for the first time, as when the saver starts.
void BM_FirstStartUp(benchmark::State& state) {
  const HeapPolicy heapPolicy(/*cold=*/true);
  const RunSetup setup = SetupFor({1920, 1080});
  long faults = 0;
  for (auto _ : state) {
    const long faultsBefore = MinorPageFaults();
    const auto run = StartedRun(setup);
    if (!run) return state.SkipWithError("the graphics could not be built");
    benchmark::DoNotOptimize(run->Frame().Pixels().data());
    faults = MinorPageFaults() - faultsBefore;
  }
  state.counters["page_faults"] = static_cast<double>(faults);
  state.SetLabel("first start in this process, full screen 1920x1080");
}
BENCHMARK(BM_FirstStartUp)->Iterations(1)->Unit(benchmark::kMillisecond);

double HeapMiB() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<double>(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}

// Heap held by a full-HD full-screen run: after Start(), and after the first
// frame, when the presenter's frame store has been sized too.
void BM_MemoryAfterStart(benchmark::State& state) {
  for (auto _ : state) {
    const double before = HeapMiB();
    const auto run = StartedRun(SetupFor({1920, 1080}));
    if (!run) return state.SkipWithError("the graphics could not be built");
    state.counters["MiB_after_start"] = HeapMiB() - before;
    run->Tick();
    state.counters["MiB_after_first_frame"] = HeapMiB() - before;
  }
}
BENCHMARK(BM_MemoryAfterStart)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qs3
