// The music player's wave-output device on SDL audio. SDL converts the
// music's own format to the device's; the callback takes bytes from the one
// buffer written, and the position is the count of music bytes the device
// has taken since that write, so the timeline follows what is heard (about
// one device buffer ahead). No audio device at all means the open fails and
// the saver runs silent; a device lost while playing has no position, so the
// timeline falls back to its tick cues.
#pragma once

#include <SDL.h>

#include <set>

#include "frontends/sdl/wave_stream.h"
#include "seam/wave_device.h"

namespace qs3::sdl {

// Error answers, by the values of winmm's codes.
inline constexpr std::uint32_t kWaveError = 1;          // MMSYSERR_ERROR
inline constexpr std::uint32_t kWaveNoDriver = 6;       // MMSYSERR_NODRIVER
inline constexpr std::uint32_t kWaveBadFormat = 32;     // WAVERR_BADFORMAT
inline constexpr std::uint32_t kWaveUnprepared = 34;    // WAVERR_UNPREPARED
inline constexpr std::uint32_t kWaveInvalidHandle = 5;  // MMSYSERR_INVALHANDLE

class SdlWaveDevice final : public WaveDevice {
 public:
  SdlWaveDevice() = default;
  SdlWaveDevice(const SdlWaveDevice&) = delete;
  SdlWaveDevice& operator=(const SdlWaveDevice&) = delete;
  ~SdlWaveDevice() override;

  std::uint32_t QueryFormat(const WaveFormat& format) override;
  std::uint32_t Open(const WaveFormat& format, WindowHandle window) override;
  std::uint32_t Prepare(WaveHeader& header) override;
  std::uint32_t Unprepare(WaveHeader& header) override;
  std::uint32_t Write(WaveHeader& header) override;
  std::uint32_t Reset() override;
  std::uint32_t Close() override;
  std::uint32_t GetPosition(PositionBlock& block) override;

 private:
  static void Callback(void* self, Uint8* out, int length);

  SDL_AudioDeviceID device_ = 0;
  Uint8 silence_ = 0x80;
  WaveStream stream_;  // touched by the callback: only under the device's lock
  std::set<const WaveHeader*> prepared_;
};

}  // namespace qs3::sdl
