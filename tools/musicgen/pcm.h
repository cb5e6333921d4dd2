// Turns the rendered float signal into the 8-bit WAVE file the saver plays.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qs3::musicgen {

// Halves the sample rate behind a windowed-sinc low-pass below the new Nyquist.
std::vector<float> decimate_by_two(const std::vector<float>& signal);

// The largest absolute sample.
float peak_of(const std::vector<float>& signal);

// Scales `signal` so that its peak is `peak_dbfs` and quantises it to unsigned
// 8-bit with triangular dither from a fixed seed, so the same input always gives
// the same bytes. Throws if a sample would clip.
std::vector<std::uint8_t> to_unsigned_8bit(const std::vector<float>& signal, double peak_dbfs);

// Writes a RIFF WAVE file: PCM, one channel, 8 bits.
void write_wave(const std::string& path, const std::vector<std::uint8_t>& samples, int sample_rate);

}  // namespace qs3::musicgen
