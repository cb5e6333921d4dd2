#include "fakes/fake_wave_device.h"

namespace qs3::fakes {
namespace {

std::string Describe(const WaveHeader& header) {
  return std::to_string(header.bufferLength) + " flags " + std::to_string(header.flags) +
         " loops " + std::to_string(header.loops);
}

// Closing the file shows in the log.
class LoggedMusicFile final : public MusicFile {
 public:
  LoggedMusicFile(CallLog& log, std::span<const std::uint8_t> bytes)
      : log_(log), file_(std::make_unique<MemoryByteStream>(bytes)) {}
  ~LoggedMusicFile() override { log_.Add("CloseFile"); }
  bool DescendRiffWave() override { return file_.DescendRiffWave(); }
  std::optional<std::uint32_t> DescendDataChunk() override { return file_.DescendDataChunk(); }
  std::int64_t Read(std::span<std::uint8_t> out) override {
    log_.Add("ReadFile " + std::to_string(out.size()));
    return file_.Read(out);
  }
  std::optional<std::uint64_t> BytesLeft() override { return file_.BytesLeft(); }

 private:
  CallLog& log_;
  RiffMusicFile file_;
};

void AppendLe32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void AppendText(std::vector<std::uint8_t>& bytes, const char* text) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(text[i]));
}

}  // namespace

std::uint32_t FakeWaveDevice::QueryFormat(const WaveFormat&) {
  log_.Add("QueryFormat");
  return queryResult;
}

std::uint32_t FakeWaveDevice::Open(const WaveFormat& format, WindowHandle window) {
  log_.Add("OpenDevice " + std::to_string(window));
  openedFormat = format;
  return openResult;
}

std::uint32_t FakeWaveDevice::Prepare(WaveHeader& header) {
  log_.Add("Prepare " + Describe(header));
  return 0;
}

std::uint32_t FakeWaveDevice::Unprepare(WaveHeader& header) {
  log_.Add("Unprepare " + std::to_string(header.bufferLength));
  return 0;
}

std::uint32_t FakeWaveDevice::Write(WaveHeader& header) {
  log_.Add("Write " + Describe(header));
  lastWritten = header;
  return writeResult;
}

std::uint32_t FakeWaveDevice::Reset() {
  log_.Add("Reset");
  return resetResult;
}

std::uint32_t FakeWaveDevice::Close() {
  log_.Add("CloseDevice");
  return closeResult;
}

std::uint32_t FakeWaveDevice::GetPosition(PositionBlock& block) {
  log_.Add("GetPosition");
  askedFormat = block.format;
  if (positionResult != 0) return positionResult;
  block.position = position;
  if (positionFormat) block.format = *positionFormat;
  return 0;
}

std::unique_ptr<MusicFile> FakeMusicFiles::Open(const char* path) {
  log_.Add(std::string("OpenFile ") + path);
  const auto found = files.find(path);
  if (found == files.end()) return nullptr;
  return std::make_unique<LoggedMusicFile>(log_, found->second);
}

std::vector<std::uint8_t> MakeWaveFile(const std::vector<std::uint8_t>& samples) {
  std::vector<std::uint8_t> bytes;
  AppendText(bytes, "RIFF");
  AppendLe32(bytes, static_cast<std::uint32_t>(4 + 24 + 8 + samples.size()));
  AppendText(bytes, "WAVE");
  AppendText(bytes, "fmt ");
  AppendLe32(bytes, 16);
  for (const std::uint32_t word : {0x00010001u, 22050u, 22050u, 0x00080001u})
    AppendLe32(bytes, word);
  AppendText(bytes, "data");
  AppendLe32(bytes, static_cast<std::uint32_t>(samples.size()));
  bytes.insert(bytes.end(), samples.begin(), samples.end());
  return bytes;
}

}  // namespace qs3::fakes
