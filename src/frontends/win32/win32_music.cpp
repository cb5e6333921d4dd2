#include "frontends/win32/win32_music.h"

#include <algorithm>
#include <cstdint>

#include "audio/riff_reader.h"
#include "frontends/win32/win32_handles.h"

namespace qs3::win32 {
namespace {

WAVEFORMATEX ToWaveFormatEx(const WaveFormat& format) {
  WAVEFORMATEX wave{};
  wave.wFormatTag = format.formatTag;
  wave.nChannels = format.channels;
  wave.nSamplesPerSec = format.samplesPerSecond;
  wave.nAvgBytesPerSec = format.averageBytesPerSecond;
  wave.nBlockAlign = format.blockAlign;
  wave.wBitsPerSample = format.bitsPerSample;
  wave.cbSize = format.extraSize;
  return wave;
}

static_assert(sizeof(MMTIME) == 12, "the position record is 12 bytes");
static_assert(kTimeMilliseconds == TIME_MS && kTimeSamples == TIME_SAMPLES &&
              kTimeBytes == TIME_BYTES && kTimeSmpte == TIME_SMPTE && kTimeMidi == TIME_MIDI &&
              kTimeTicks == TIME_TICKS);

// The music file through the file functions: the multimedia file functions
// would read a '+' in the data folder's name as the start of an element of a
// RIFF compound file and open something else, or nothing.
class FileByteStream final : public ByteStream {
 public:
  explicit FileByteStream(HANDLE file) : file_(file) {}
  ~FileByteStream() override { CloseHandle(file_); }
  FileByteStream(const FileByteStream&) = delete;
  FileByteStream& operator=(const FileByteStream&) = delete;

  std::size_t Read(std::span<std::uint8_t> out) override {
    std::size_t done = 0;
    while (done < out.size()) {
      // ReadFile counts in a DWORD; a gigabyte a call is far below it.
      const auto wanted = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1u << 30));
      DWORD read = 0;
      if (!ReadFile(file_, out.data() + done, wanted, &read, nullptr) || read == 0) break;
      done += read;
    }
    return done;
  }
  bool Seek(std::uint64_t offset) override {
    if (offset > static_cast<std::uint64_t>(INT64_MAX)) return false;
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file_, to, nullptr, FILE_BEGIN) != 0;
  }
  std::optional<std::uint64_t> Size() override {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_, &size) || size.QuadPart < 0) return std::nullopt;
    return static_cast<std::uint64_t>(size.QuadPart);
  }

 private:
  HANDLE file_;
};

}  // namespace

Win32WaveDevice::~Win32WaveDevice() {
  if (device_ == nullptr) return;
  // A device left open (a close that failed) is stopped before its headers go.
  if (waveOutReset(device_) == MMSYSERR_NOERROR) {
    for (auto& [owner, record] : records_) waveOutUnprepareHeader(device_, &record, sizeof record);
    waveOutClose(device_);
  }
}

std::uint32_t Win32WaveDevice::QueryFormat(const WaveFormat& format) {
  WAVEFORMATEX wave = ToWaveFormatEx(format);
  return waveOutOpen(nullptr, WAVE_MAPPER, &wave, 0, 0, WAVE_FORMAT_QUERY);
}

std::uint32_t Win32WaveDevice::Open(const WaveFormat& format, WindowHandle window) {
  WAVEFORMATEX wave = ToWaveFormatEx(format);
  const MMRESULT result =
      waveOutOpen(&device_, WAVE_MAPPER, &wave, reinterpret_cast<DWORD_PTR>(ToHwnd(window)), 0,
                  CALLBACK_WINDOW);
  if (result != MMSYSERR_NOERROR) device_ = nullptr;
  return result;
}

// The player's header is copied into the device's record each time it is
// prepared; writing the flags clears the record's prepared mark.
std::uint32_t Win32WaveDevice::Prepare(WaveHeader& header) {
  WAVEHDR& record = records_[&header];
  record = {};
  record.lpData = reinterpret_cast<LPSTR>(const_cast<std::uint8_t*>(header.data));
  record.dwBufferLength = header.bufferLength;
  record.dwFlags = header.flags;
  record.dwLoops = header.loops;
  return waveOutPrepareHeader(device_, &record, sizeof record);
}

std::uint32_t Win32WaveDevice::Unprepare(WaveHeader& header) {
  const auto found = records_.find(&header);
  if (found == records_.end()) return WAVERR_UNPREPARED;
  return waveOutUnprepareHeader(device_, &found->second, sizeof found->second);
}

std::uint32_t Win32WaveDevice::Write(WaveHeader& header) {
  const auto found = records_.find(&header);
  if (found == records_.end()) return WAVERR_UNPREPARED;
  return waveOutWrite(device_, &found->second, sizeof found->second);
}

std::uint32_t Win32WaveDevice::Reset() {
  return waveOutReset(device_);
}

std::uint32_t Win32WaveDevice::Close() {
  const MMRESULT result = waveOutClose(device_);
  if (result == MMSYSERR_NOERROR) {
    device_ = nullptr;
    records_.clear();
  }
  return result;
}

std::uint32_t Win32WaveDevice::GetPosition(PositionBlock& block) {
  MMTIME time{};
  time.wType = block.format;
  const MMRESULT result = waveOutGetPosition(device_, &time, sizeof time);
  if (result != MMSYSERR_NOERROR) return result;
  // The device may answer in another unit than the one asked for and says
  // which; milliseconds, samples and bytes share this word (an SMPTE or MIDI
  // answer fills it with other fields, which the player refuses by the unit).
  block.format = time.wType;
  block.position = time.u.cb;
  return MMSYSERR_NOERROR;
}

std::unique_ptr<MusicFile> Win32MusicFiles::Open(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<RiffMusicFile>(std::make_unique<FileByteStream>(file));
}

}  // namespace qs3::win32
