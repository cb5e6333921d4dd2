#include "pcm.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <random>
#include <stdexcept>

namespace qs3::musicgen {
namespace {

constexpr int kHalfTaps = 48;
constexpr double kCutoff = 0.45;  // of the new sample rate: 9.9 kHz at 22050

// The low-pass for 2:1 decimation, Blackman-windowed, unity gain at DC.
std::vector<double> decimation_kernel() {
  std::vector<double> taps(2 * kHalfTaps + 1);
  double sum = 0;
  for (int i = -kHalfTaps; i <= kHalfTaps; ++i) {
    const double x =
        std::numbers::pi * kCutoff * i;  // cutoff relative to the input rate is kCutoff / 2
    const double sinc = i == 0 ? 1.0 : std::sin(x) / x;
    const double w = static_cast<double>(i + kHalfTaps) / (2 * kHalfTaps);
    const double window =
        0.42 - 0.5 * std::cos(2 * std::numbers::pi * w) + 0.08 * std::cos(4 * std::numbers::pi * w);
    taps[i + kHalfTaps] = sinc * window;
    sum += taps[i + kHalfTaps];
  }
  for (double& tap : taps) tap /= sum;
  return taps;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
void put_u16(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void put_tag(std::vector<std::uint8_t>& out, const char (&tag)[5]) {
  out.insert(out.end(), tag, tag + 4);
}

}  // namespace

std::vector<float> decimate_by_two(const std::vector<float>& signal) {
  static const std::vector<double> kernel = decimation_kernel();
  const auto size = static_cast<long long>(signal.size());
  std::vector<float> out(signal.size() / 2);
  for (std::size_t n = 0; n < out.size(); ++n) {
    double sum = 0;
    for (int i = -kHalfTaps; i <= kHalfTaps; ++i) {
      const long long at = 2 * static_cast<long long>(n) + i;
      if (at >= 0 && at < size) sum += kernel[i + kHalfTaps] * signal[at];
    }
    out[n] = static_cast<float>(sum);
  }
  return out;
}

float peak_of(const std::vector<float>& signal) {
  float peak = 0;
  for (float sample : signal) peak = std::max(peak, std::abs(sample));
  return peak;
}

std::vector<std::uint8_t> to_unsigned_8bit(const std::vector<float>& signal, double peak_dbfs) {
  const float peak = peak_of(signal);
  if (peak == 0) throw std::runtime_error("the rendering is silent");
  const double gain = 127.0 * std::pow(10.0, peak_dbfs / 20) / peak;
  std::mt19937 random(20260101u);  // fixed seed: reproducible dither
  const auto uniform = [&] { return (random() >> 8) * (1.0 / 16777216.0) - 0.5; };
  std::vector<std::uint8_t> out(signal.size());
  for (std::size_t i = 0; i < signal.size(); ++i) {
    const double level = 128.0 + gain * signal[i] + uniform() + uniform();
    const long value = std::lround(level);
    if (value < 1 || value > 254)
      throw std::runtime_error("a sample would clip at " + std::to_string(i));
    out[i] = static_cast<std::uint8_t>(value);
  }
  return out;
}

void write_wave(const std::string& path, const std::vector<std::uint8_t>& samples,
                int sample_rate) {
  const auto data_size = static_cast<std::uint32_t>(samples.size());
  const std::uint32_t padding = data_size % 2;  // chunks are word-aligned
  std::vector<std::uint8_t> file;
  put_tag(file, "RIFF");
  put_u32(file, 4 + (8 + 16) + (8 + data_size + padding));
  put_tag(file, "WAVE");
  put_tag(file, "fmt ");
  put_u32(file, 16);
  put_u16(file, 1);  // PCM
  put_u16(file, 1);  // channels
  put_u32(file, static_cast<std::uint32_t>(sample_rate));
  put_u32(file, static_cast<std::uint32_t>(sample_rate));  // bytes per second
  put_u16(file, 1);                                        // block align
  put_u16(file, 8);                                        // bits per sample
  put_tag(file, "data");
  put_u32(file, data_size);
  file.insert(file.end(), samples.begin(), samples.end());
  if (padding) file.push_back(128);

  const std::unique_ptr<std::FILE, FileCloser> out(std::fopen(path.c_str(), "wb"));
  if (!out) throw std::runtime_error("cannot write " + path);
  if (std::fwrite(file.data(), 1, file.size(), out.get()) != file.size() ||
      std::fflush(out.get()) != 0) {
    throw std::runtime_error("cannot write " + path);
  }
}

}  // namespace qs3::musicgen
