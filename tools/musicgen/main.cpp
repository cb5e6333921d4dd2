// qs3_musicgen: renders the background music from a score with a SoundFont.
//
//   qs3_musicgen SCORE SOUNDFONT OUT.wav [--report]
//
// The output is the saver's music format: RIFF WAVE, PCM, mono, 22050 Hz,
// unsigned 8-bit. The strings are rendered at 44100 Hz and decimated, which
// keeps the pitch-shifted samples free of aliasing.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pcm.h"
#include "render.h"
#include "score.h"

namespace {

using namespace qs3::musicgen;

constexpr int kRenderRate = 44100;
constexpr int kFileRate = 22050;
constexpr double kPeakDbfs = -1.0;

Score load_score(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot read " + path);
  return parse_score(in, path);
}

void print_report(const Score& score, const std::vector<std::uint8_t>& samples) {
  const double seconds = static_cast<double>(samples.size()) / kFileRate;
  int deviation = 0;
  for (std::uint8_t sample : samples) deviation = std::max(deviation, std::abs(sample - 128));
  std::printf("length   %.3f s, %zu samples, data %zu bytes\n", seconds, samples.size(),
              samples.size());
  std::printf("peak     %d/128 (%.2f dBFS), samples span %d..%d\n", deviation,
              20 * std::log10(deviation / 128.0), *std::ranges::min_element(samples),
              *std::ranges::max_element(samples));
  for (std::size_t voice = 0; voice < score.voices.size(); ++voice) {
    double first = score.end_beat;
    for (const Note& note : score.notes) {
      if (note.voice == static_cast<int>(voice)) first = std::min(first, note.start_beat);
    }
    const double at = score.seconds_at(first);
    std::printf("voice %-6s program %3d, first note at beat %6.2f = %7.3f s = byte %ld\n",
                score.voices[voice].name.c_str(), score.voices[voice].program + 1, first, at,
                std::lround(at * kFileRate));
  }
}

int run(const std::vector<std::string>& args) {
  const bool report = std::ranges::find(args, "--report") != args.end();
  std::vector<std::string> paths;
  std::ranges::copy_if(args, std::back_inserter(paths),
                       [](const std::string& a) { return a != "--report"; });
  if (paths.size() != 3) {
    std::fprintf(stderr, "usage: qs3_musicgen SCORE SOUNDFONT OUT.wav [--report]\n");
    return 2;
  }
  const Score score = load_score(paths[0]);
  const std::vector<float> rendered = render_score(score, paths[1], kRenderRate);
  const std::vector<std::uint8_t> samples = to_unsigned_8bit(decimate_by_two(rendered), kPeakDbfs);
  write_wave(paths[2], samples, kFileRate);
  if (report) print_report(score, samples);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "qs3_musicgen: %s\n", error.what());
    return 1;
  }
}
