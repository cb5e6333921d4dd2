// qs3_soak: the real stage on the headless front end for a long run, in three
// configurations: full screen silent, full screen following a scripted music
// clock (jumps forward and back, a jump past the ending, the device lost in
// the middle of the run), and the preview. Resident memory is sampled after
// the first performance and every --sample-every ticks. The stage buffers are
// zeroed pages the system hands out as the quartet first draws on them, so
// the first half of a run counts as warming up: the baseline is the first
// sample of the second half, and any later sample above it by more than
// --slack-kb fails the run, as does a run whose performances stopped
// restarting.
//
//   qs3_soak [--ticks N] [--sample-every K] [--slack-kb S] [--screen WxH]
//            [--config fullscreen-silent|fullscreen-music|preview]...
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
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
  Size screen{1920, 1080};
  std::vector<std::string> configs;
};

constexpr Size kPreview{152, 112};
constexpr std::uint32_t kDeviceGone = 5;  // what a query answers once the device is gone

// The resident set of this process in kB, from /proc. Read into a buffer on
// the stack: a stream would allocate, and under AddressSanitizer every block
// freed waits in its quarantine, which would show as growth of its own.
long ResidentKb() {
  const int file = open("/proc/self/statm", O_RDONLY);
  if (file < 0) return 0;
  char text[128] = {};
  const ssize_t length = read(file, text, sizeof text - 1);
  close(file);
  if (length <= 0) return 0;
  char* end = nullptr;
  std::strtol(text, &end, 10);  // the whole size, then the resident pages
  const long resident = std::strtol(end, nullptr, 10);
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
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
  if (config == "fullscreen-music") {
    setup.music = JumpingMusic();
    // About 440 ticks a performance: the device goes away half way through the run.
    const int lostAt = static_cast<int>(options.ticks / 2 / 441) + 1;
    setup.music->FailFromStart(lostAt, kDeviceGone);
    return setup;
  }
  return std::nullopt;
}

struct SoakResult {
  long firstPerformanceKb = 0;
  long firstPerformanceTick = 0;
  long baselineKb = 0;
  long baselineTick = 0;
  long peakKb = 0;
  long performances = 0;
  long lastRestartTick = -1;
  bool ok = true;
};

void PrintSample(const std::string& config, long tick, long rssKb, long performances) {
  std::printf("%s tick %ld rss_kb %ld performances %ld\n", config.c_str(), tick, rssKb,
              performances);
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
  for (long tick = 1; tick <= options.ticks; ++tick) {
    run.Tick();
    if (run.Performance().tick == 0) {
      ++result.performances;
      result.lastRestartTick = tick;
      if (result.performances == 1) {
        result.firstPerformanceKb = ResidentKb();
        result.firstPerformanceTick = tick;
        PrintSample(config, tick, result.firstPerformanceKb, result.performances);
      }
    }
    if (tick % options.sampleEvery == 0 && result.performances > 0) {
      const long rss = ResidentKb();
      if (result.baselineTick == 0 && tick >= options.ticks / 2) {
        result.baselineKb = result.peakKb = rss;
        result.baselineTick = tick;
      }
      result.peakKb = std::max(result.peakKb, rss);
      PrintSample(config, tick, rss, result.performances);
    }
  }
  return result;
}

bool Report(const std::string& config, const SoakResult& r, const Options& options,
            double seconds) {
  const long growth = r.peakKb - r.baselineKb;
  // A performance lasts at most about 620 ticks; none for much longer means
  // the show stopped restarting.
  const bool restarting = r.lastRestartTick >= options.ticks - 1000;
  const bool sampled = r.baselineTick > 0;
  const bool ok = r.ok && r.performances > 0 && sampled && growth <= options.slackKb && restarting;
  std::printf(
      "result %s: %ld ticks in %.1f s (%.0f ticks/s), %ld performances, last restart at tick "
      "%ld; rss %ld kB after the first performance (tick %ld), %ld kB halfway (tick %ld), "
      "peak after %ld kB, growth %ld kB (slack %ld): %s\n",
      config.c_str(), options.ticks, seconds, options.ticks / std::max(seconds, 1e-9),
      r.performances, r.lastRestartTick, r.firstPerformanceKb, r.firstPerformanceTick, r.baselineKb,
      r.baselineTick, r.peakKb, growth, options.slackKb, ok ? "ok" : "FAILED");
  if (!sampled) std::printf("%s: no sample in the second half of the run\n", config.c_str());
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
    options.configs = {"fullscreen-silent", "fullscreen-music", "preview"};
  return options;
}

}  // namespace
}  // namespace qs3

int main(int argc, char** argv) {
  const std::optional<qs3::Options> options = qs3::ParseOptions(argc, argv);
  if (!options) {
    std::fputs(
        "usage: qs3_soak [--ticks N] [--sample-every K] [--slack-kb S] [--screen WxH]\n"
        "                [--config fullscreen-silent|fullscreen-music|preview]...\n",
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
