#include "frontends/win32/win32_music.h"

#include <string>

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

class MmioMusicFile final : public MusicFile {
 public:
  explicit MmioMusicFile(HMMIO file) : file_(file) {}
  ~MmioMusicFile() override { mmioClose(file_, 0); }
  MmioMusicFile(const MmioMusicFile&) = delete;
  MmioMusicFile& operator=(const MmioMusicFile&) = delete;

  bool DescendRiffWave() override {
    riff_ = {};
    riff_.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    return mmioDescend(file_, &riff_, nullptr, MMIO_FINDRIFF) == MMSYSERR_NOERROR;
  }
  std::optional<std::uint32_t> DescendDataChunk() override {
    MMCKINFO data{};
    data.ckid = mmioFOURCC('d', 'a', 't', 'a');
    if (mmioDescend(file_, &data, &riff_, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return std::nullopt;
    return data.cksize;
  }
  std::int64_t Read(std::span<std::uint8_t> out) override {
    // The player never asks for more than fits a LONG.
    if (out.size() > 0x7FFFFFFFu) return -1;
    return mmioRead(file_, reinterpret_cast<HPSTR>(out.data()), static_cast<LONG>(out.size()));
  }

 private:
  HMMIO file_;
  MMCKINFO riff_{};
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
  // The device may answer in another unit than the one asked for; the word
  // after the unit is what the timeline reads.
  block.format = time.wType;
  block.position = time.u.cb;
  return MMSYSERR_NOERROR;
}

std::unique_ptr<MusicFile> Win32MusicFiles::Open(const char* path) {
  std::string writablePath = path;  // mmioOpenA takes a non-const path
  HMMIO file = mmioOpenA(writablePath.data(), nullptr, MMIO_ALLOCBUF | MMIO_READ);
  if (file == nullptr) return nullptr;
  return std::make_unique<MmioMusicFile>(file);
}

}  // namespace qs3::win32
