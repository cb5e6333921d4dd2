// The music player's device and files on Windows: the wave mapper through
// winmm's waveOut, and RIFF files read with the core's RIFF reader over a
// file opened with CreateFileA.
#pragma once

#include <windows.h>
// mmsystem.h needs the types of windows.h first.
#include <mmsystem.h>

#include <map>

#include "seam/wave_device.h"

namespace qs3::win32 {

class Win32WaveDevice final : public WaveDevice {
 public:
  Win32WaveDevice() = default;
  ~Win32WaveDevice() override;
  Win32WaveDevice(const Win32WaveDevice&) = delete;
  Win32WaveDevice& operator=(const Win32WaveDevice&) = delete;

  std::uint32_t QueryFormat(const WaveFormat& format) override;
  std::uint32_t Open(const WaveFormat& format, WindowHandle window) override;
  std::uint32_t Prepare(WaveHeader& header) override;
  std::uint32_t Unprepare(WaveHeader& header) override;
  std::uint32_t Write(WaveHeader& header) override;
  std::uint32_t Reset() override;
  std::uint32_t Close() override;
  std::uint32_t GetPosition(PositionBlock& block) override;

 private:
  HWAVEOUT device_ = nullptr;
  // The device's own header records, one per player header; map nodes never
  // move, so a record stays put while the device holds it.
  std::map<const WaveHeader*, WAVEHDR> records_;
};

class Win32MusicFiles final : public MusicFiles {
 public:
  std::unique_ptr<MusicFile> Open(const char* path) override;
};

}  // namespace qs3::win32
