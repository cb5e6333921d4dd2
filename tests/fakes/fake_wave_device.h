// A wave-output device and a music file system that record every call in a
// CallLog, with scripted failures and positions. The files are bytes in
// memory read through the real RIFF reader.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "audio/riff_reader.h"
#include "fakes/call_log.h"
#include "seam/wave_device.h"

namespace qs3::fakes {

class FakeWaveDevice final : public WaveDevice {
 public:
  explicit FakeWaveDevice(CallLog& log) : log_(log) {}

  std::uint32_t queryResult = 0;
  std::uint32_t openResult = 0;
  std::uint32_t writeResult = 0;
  std::uint32_t resetResult = 0;
  std::uint32_t closeResult = 0;
  std::uint32_t positionResult = 0;
  std::uint32_t position = 0;
  // The unit the position is answered in; none answers in the one asked for.
  std::optional<std::uint32_t> positionFormat;
  std::uint32_t askedFormat = 0;  // the unit the last position query asked for

  WaveFormat openedFormat;
  WaveHeader lastWritten;

  std::uint32_t QueryFormat(const WaveFormat& format) override;
  std::uint32_t Open(const WaveFormat& format, WindowHandle window) override;
  std::uint32_t Prepare(WaveHeader& header) override;
  std::uint32_t Unprepare(WaveHeader& header) override;
  std::uint32_t Write(WaveHeader& header) override;
  std::uint32_t Reset() override;
  std::uint32_t Close() override;
  std::uint32_t GetPosition(PositionBlock& block) override;

 private:
  CallLog& log_;
};

class FakeMusicFiles final : public MusicFiles {
 public:
  explicit FakeMusicFiles(CallLog& log) : log_(log) {}
  std::map<std::string, std::vector<std::uint8_t>> files;
  std::unique_ptr<MusicFile> Open(const char* path) override;

 private:
  CallLog& log_;
};

// A RIFF WAVE file: a "fmt " chunk for 8-bit mono 22050 Hz and a "data"
// chunk with these samples.
std::vector<std::uint8_t> MakeWaveFile(const std::vector<std::uint8_t>& samples);

}  // namespace qs3::fakes
