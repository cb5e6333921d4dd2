// qs3_soak: the real stage on the headless front end for a long run, in four
// configurations: full screen silent, full screen following a scripted music
// clock (jumps forward and back, a jump past the ending, the device lost in
// the middle of the run), the preview, and a desk of three monitors of
// different sizes (the stage buffers made anew at every restart). Memory is
// printed after the first performance and every --sample-every ticks, and
// taken at the end of every performance. The stage buffers are zeroed pages
// the system hands out as the quartet first draws on them, so the first half
// of a run counts as warming up: for each monitor, the highest memory at the
// end of a performance in the second half may exceed the highest in the first
// by --slack-kb at most, both what is mapped and what is resident, and a run
// whose performances stopped restarting fails too. With --growth off the
// growth is printed but not judged: under AddressSanitizer every freed block
// waits in the quarantine, so a desk whose buffers are made anew at every
// restart grows by design there; the plain build's run judges it.
//
//   qs3_soak [--ticks N] [--sample-every K] [--slack-kb S] [--growth on|off] [--screen WxH]
//            [--config fullscreen-silent|fullscreen-music|preview|desk]...
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frontends/headless/headless_run.h"

namespace qs3 {
namespace {

struct Options {
  long ticks = 1'000'000;
  long sampleEvery = 100'000;
  long slackKb = 256;
  bool judgeGrowth = true;
  Size screen{1920, 1080};
  std::vector<std::string> configs;
};

constexpr Size kPreview{152, 112};
constexpr std::uint32_t kDeviceGone = 5;  // what a query answers once the device is gone

// This process's memory in kB, from /proc: what it maps and what of that is
// resident. Read into a buffer on the stack: a stream would allocate, and
// under AddressSanitizer every block freed waits in its quarantine, which
// would show as growth of its own.
struct Memory {
  long mappedKb = 0;
  long residentKb = 0;
};

Memory ReadMemory() {
  const int file = open("/proc/self/statm", O_RDONLY);
  if (file < 0) return {};
  char text[128] = {};
  const ssize_t length = read(file, text, sizeof text - 1);
  close(file);
  if (length <= 0) return {};
  char* end = nullptr;
  const long mapped = std::strtol(text, &end, 10);  // the whole size, then the resident pages
  const long resident = std::strtol(end, nullptr, 10);
  const long pageKb = sysconf(_SC_PAGESIZE) / 1024;
  return {mapped * pageKb, resident * pageKb};
}

// Every performance: steady music to the first entrance, a jump forward past
// the other two, one back, then one past any ending (both cues in one tick).
ScriptedMusicClock JumpingMusic() {
  std::vector<MusicAnswer> answers;
  auto steady = [&answers](std::uint32_t from, int count) {
    for (int i = 0; i < count; ++i)
      answers.push_back({0, from + 2205u * static_cast<std::uint32_t>(i)});
  };
  steady(2205, 100);                // queries 0..99: to 220500, the second performer enters
  steady(700000, 100);              // 100..199: the other two enter at once
  steady(600000, 200);              // 200..399: back by 100000 and on to 1038795
  answers.push_back({0, 1300000});  // 400: past the latest end point and ending
  return ScriptedMusicClock(std::move(answers));
}

std::optional<RunSetup> SetupFor(const std::string& config, const Options& options) {
  RunSetup setup;
  setup.screen = options.screen;
  setup.seed = 17;
  if (config == "fullscreen-silent") return setup;
  if (config == "preview") {
    setup.preview = kPreview;
    return setup;
  }
  if (config == "desk") {
    // The screen as the primary, a monitor of twice its size to its left and
    // a 640 x 480 one above it: each restart moves to a stage of another size.
    const Size big{2 * options.screen.width, 2 * options.screen.height};
    setup.monitors.count = 3;
    setup.monitors.monitors[0] = {{0, 0, options.screen.width, options.screen.height}, true};
    setup.monitors.monitors[1] = {{-big.width, 0, 0, big.height}, false};
    setup.monitors.monitors[2] = {{0, -480, 640, 0}, false};
    return setup;
  }
  if (config == "fullscreen-music") {
    setup.music = JumpingMusic();
    // About 440 ticks a performance: the device goes away half way through the run.
    const int lostAt = static_cast<int>(options.ticks / 2 / 441) + 1;
    setup.music->FailFromStart(lostAt, kDeviceGone);
    return setup;
  }
  return std::nullopt;
}

// The memory at the end of the performances on one monitor: the highest in
// the first half of the run (warming up) and in the second.
struct MonitorMemory {
  Rect area;
  std::optional<Memory> firstHalf;
  std::optional<Memory> secondHalf;

  static void Add(std::optional<Memory>& peak, Memory now) {
    if (!peak) peak = now;
    peak->mappedKb = std::max(peak->mappedKb, now.mappedKb);
    peak->residentKb = std::max(peak->residentKb, now.residentKb);
  }
  // How far the second half rose above the first; a monitor first played
  // on in the second half is its own baseline.
  Memory Growth() const {
    if (!secondHalf) return {};
    const Memory base = firstHalf.value_or(*secondHalf);
    return {secondHalf->mappedKb - base.mappedKb, secondHalf->residentKb - base.residentKb};
  }
};

struct SoakResult {
  Memory firstPerformance;
  long firstPerformanceTick = 0;
  std::array<MonitorMemory, kMaxMonitors> monitors{};
  int monitorCount = 0;
  long performances = 0;
  long lastRestartTick = -1;
  bool ok = true;

  void EndOfPerformance(const Rect& area, bool secondHalf, Memory now) {
    const auto end = monitors.begin() + monitorCount;
    auto found =
        std::find_if(monitors.begin(), end, [&](const MonitorMemory& m) { return m.area == area; });
    if (found == end) {
      if (monitorCount == kMaxMonitors) return;
      found->area = area;
      ++monitorCount;
    }
    found->Add(secondHalf ? found->secondHalf : found->firstHalf, now);
  }
  // The most any monitor's memory grew, each measure on its own.
  Memory WorstGrowth() const {
    Memory worst;
    for (int i = 0; i < monitorCount; ++i) {
      const Memory growth = monitors[i].Growth();
      worst.mappedKb = std::max(worst.mappedKb, growth.mappedKb);
      worst.residentKb = std::max(worst.residentKb, growth.residentKb);
    }
    return worst;
  }
  bool SampledSecondHalf() const {
    return std::any_of(monitors.begin(), monitors.begin() + monitorCount,
                       [](const MonitorMemory& m) { return m.secondHalf.has_value(); });
  }
};

void PrintSample(const std::string& config, long tick, Memory memory, long performances) {
  std::printf("%s tick %ld rss_kb %ld mapped_kb %ld performances %ld\n", config.c_str(), tick,
              memory.residentKb, memory.mappedKb, performances);
  std::fflush(stdout);
}

SoakResult Soak(const std::string& config, RunSetup setup, const Options& options) {
  SoakResult result;
  HeadlessRun run(std::move(setup));
  if (!run.Start()) {
    std::printf("%s: the graphics could not be built\n", config.c_str());
    result.ok = false;
    return result;
  }
  Memory last = ReadMemory();
  for (long tick = 1; tick <= options.ticks; ++tick) {
    const Rect endingOn = run.Desk().Playing();
    run.Tick();
    if (run.Performance().tick == 0) {
      ++result.performances;
      result.lastRestartTick = tick;
      if (result.performances == 1) {
        result.firstPerformance = last;
        result.firstPerformanceTick = tick;
        PrintSample(config, tick, last, result.performances);
      }
      // The performance that just ended, as it stood on its last tick.
      result.EndOfPerformance(endingOn, tick > options.ticks / 2, last);
    }
    last = ReadMemory();
    if (tick % options.sampleEvery == 0 && result.performances > 0)
      PrintSample(config, tick, last, result.performances);
  }
  return result;
}

bool Report(const std::string& config, const SoakResult& r, const Options& options,
            double seconds) {
  // A performance lasts at most about 620 ticks; none for much longer means
  // the show stopped restarting.
  const bool restarting = r.lastRestartTick >= options.ticks - 1000;
  const bool sampled = r.SampledSecondHalf();
  const Memory growth = r.WorstGrowth();
  const bool grew = options.judgeGrowth &&
                    (growth.mappedKb > options.slackKb || growth.residentKb > options.slackKb);
  const bool ok = r.ok && r.performances > 0 && sampled && !grew && restarting;
  std::printf(
      "result %s: %ld ticks in %.1f s (%.0f ticks/s), %ld performances on %d monitor(s), last "
      "restart at tick %ld; after the first performance (tick %ld) rss %ld kB, mapped %ld kB; "
      "at the end of a performance, the second half above the first by at most rss %ld kB, "
      "mapped %ld kB (slack %ld%s): %s\n",
      config.c_str(), options.ticks, seconds, options.ticks / std::max(seconds, 1e-9),
      r.performances, r.monitorCount, r.lastRestartTick, r.firstPerformanceTick,
      r.firstPerformance.residentKb, r.firstPerformance.mappedKb, growth.residentKb,
      growth.mappedKb, options.slackKb, options.judgeGrowth ? "" : ", not judged",
      ok ? "ok" : "FAILED");
  if (!sampled) std::printf("%s: no performance ended in the second half\n", config.c_str());
  if (!restarting) std::printf("%s: no restart in the last 1000 ticks\n", config.c_str());
  return ok;
}

std::optional<long> Number(std::string_view text) {
  char* end = nullptr;
  const std::string copy(text);
  const long value = std::strtol(copy.c_str(), &end, 10);
  if (end == copy.c_str() || *end != '\0' || value <= 0) return std::nullopt;
  return value;
}

std::optional<Size> ScreenSize(std::string_view text) {
  const auto x = text.find('x');
  if (x == std::string_view::npos) return std::nullopt;
  const auto width = Number(text.substr(0, x));
  const auto height = Number(text.substr(x + 1));
  if (!width || !height || *width > 16384 || *height > 16384) return std::nullopt;
  return Size{static_cast<std::int32_t>(*width), static_cast<std::int32_t>(*height)};
}

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string_view flag = argv[i];
    const std::string_view value = argv[i + 1];
    std::optional<long> number = Number(value);
    if (flag == "--ticks" && number) {
      options.ticks = *number;
    } else if (flag == "--sample-every" && number) {
      options.sampleEvery = *number;
    } else if (flag == "--slack-kb" && number) {
      options.slackKb = *number;
    } else if (flag == "--growth" && (value == "on" || value == "off")) {
      options.judgeGrowth = value == "on";
    } else if (flag == "--screen" && ScreenSize(value)) {
      options.screen = *ScreenSize(value);
    } else if (flag == "--config") {
      options.configs.emplace_back(value);
    } else {
      return std::nullopt;
    }
  }
  if (argc % 2 == 0) return std::nullopt;
  if (options.configs.empty())
    options.configs = {"fullscreen-silent", "fullscreen-music", "preview", "desk"};
  return options;
}

}  // namespace
}  // namespace qs3

int main(int argc, char** argv) {
#ifdef __GLIBC__
  // Large blocks straight from the system and back to it when freed, as
  // Windows' heap does: otherwise glibc keeps a freed stage buffer for the
  // next one, and what stays mapped depends on the order of the sizes.
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
  const std::optional<qs3::Options> options = qs3::ParseOptions(argc, argv);
  if (!options) {
    std::fputs(
        "usage: qs3_soak [--ticks N] [--sample-every K] [--slack-kb S] [--growth on|off]\n"
        "                [--screen WxH]\n"
        "                [--config fullscreen-silent|fullscreen-music|preview|desk]...\n",
        stderr);
    return 2;
  }
  bool ok = true;
  for (const std::string& config : options->configs) {
    std::optional<qs3::RunSetup> setup = qs3::SetupFor(config, *options);
    if (!setup) {
      std::fprintf(stderr, "unknown configuration %s\n", config.c_str());
      return 2;
    }
    std::printf("%s: screen %dx%d, %ld ticks\n", config.c_str(), options->screen.width,
                options->screen.height, options->ticks);
    const auto start = std::chrono::steady_clock::now();
    const qs3::SoakResult result = qs3::Soak(config, std::move(*setup), *options);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    ok = qs3::Report(config, result, *options, took.count()) && ok;
  }
  return ok ? 0 : 1;
}
