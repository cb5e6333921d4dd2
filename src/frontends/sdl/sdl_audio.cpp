#include "frontends/sdl/sdl_audio.h"

namespace qs3::sdl {
namespace {

constexpr std::uint16_t kPcm = 1;

// SDL's sample format for a PCM format the player may open; 0 for none.
SDL_AudioFormat SdlFormatOf(const WaveFormat& format) {
  if (format.formatTag != kPcm || format.channels < 1 || format.channels > 2) return 0;
  if (format.samplesPerSecond < 4000 || format.samplesPerSecond > 192000) return 0;
  if (format.blockAlign != format.channels * format.bitsPerSample / 8) return 0;
  if (format.bitsPerSample == 8) return AUDIO_U8;
  if (format.bitsPerSample == 16) return AUDIO_S16LSB;
  return 0;
}

// Locks the device's callback out for one scope.
class AudioLock {
 public:
  explicit AudioLock(SDL_AudioDeviceID device) : device_(device) { SDL_LockAudioDevice(device_); }
  AudioLock(const AudioLock&) = delete;
  AudioLock& operator=(const AudioLock&) = delete;
  ~AudioLock() { SDL_UnlockAudioDevice(device_); }

 private:
  SDL_AudioDeviceID device_;
};

}  // namespace

SdlWaveDevice::~SdlWaveDevice() {
  Close();
}

std::uint32_t SdlWaveDevice::QueryFormat(const WaveFormat& format) {
  return SdlFormatOf(format) != 0 ? 0 : kWaveBadFormat;
}

std::uint32_t SdlWaveDevice::Open(const WaveFormat& format, WindowHandle) {
  const SDL_AudioFormat sdlFormat = SdlFormatOf(format);
  if (sdlFormat == 0) return kWaveBadFormat;
  if (device_ != 0) return kWaveError;
  if (SDL_WasInit(SDL_INIT_AUDIO) == 0 && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    return kWaveNoDriver;
  }
  SDL_AudioSpec wanted{};
  wanted.freq = static_cast<int>(format.samplesPerSecond);
  wanted.format = sdlFormat;
  wanted.channels = static_cast<Uint8>(format.channels);
  wanted.samples = 1024;  // about 46 ms at 22050 Hz
  wanted.callback = Callback;
  wanted.userdata = this;
  SDL_AudioSpec obtained{};
  // No allowed changes: SDL converts the music's format to the device's, so
  // the callback always counts bytes of the music file.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (device_ == 0) return kWaveNoDriver;
  silence_ = obtained.silence;
  SDL_PauseAudioDevice(device_, 0);
  return 0;
}

std::uint32_t SdlWaveDevice::Prepare(WaveHeader& header) {
  if (device_ == 0) return kWaveInvalidHandle;
  prepared_.insert(&header);
  return 0;
}

std::uint32_t SdlWaveDevice::Unprepare(WaveHeader& header) {
  if (device_ == 0) return kWaveInvalidHandle;
  {
    // The callback must not go on reading a buffer that is about to go.
    const AudioLock lock(device_);
    if (stream_.Playing()) stream_.Reset();
  }
  prepared_.erase(&header);
  return 0;
}

std::uint32_t SdlWaveDevice::Write(WaveHeader& header) {
  if (device_ == 0) return kWaveInvalidHandle;
  if (!prepared_.contains(&header)) return kWaveUnprepared;
  const bool looped = (header.flags & kWaveBeginLoop) != 0 && (header.flags & kWaveEndLoop) != 0;
  const AudioLock lock(device_);
  stream_.Start({header.data, header.bufferLength}, looped);
  return 0;
}

std::uint32_t SdlWaveDevice::Reset() {
  if (device_ == 0) return kWaveInvalidHandle;
  const AudioLock lock(device_);
  stream_.Reset();
  return 0;
}

std::uint32_t SdlWaveDevice::Close() {
  if (device_ == 0) return kWaveInvalidHandle;
  SDL_CloseAudioDevice(device_);  // waits for a running callback to end
  device_ = 0;
  stream_.Reset();
  prepared_.clear();
  return 0;
}

std::uint32_t SdlWaveDevice::GetPosition(PositionBlock& block) {
  if (device_ == 0) return kWaveInvalidHandle;
  // A device that went away (its sound server gone) is stopped by SDL, which
  // still calls the callback at the device's pace: the count would go on as
  // if the music played, so it has no position to give.
  if (SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED) return kWaveNoDriver;
  const AudioLock lock(device_);
  // Answered in bytes whatever was asked, as many winmm drivers do.
  block.format = kTimeBytes;
  block.position = stream_.Position();
  return 0;
}

void SdlWaveDevice::Callback(void* self, Uint8* out, int length) {
  auto* device = static_cast<SdlWaveDevice*>(self);
  if (length <= 0) return;
  device->stream_.Fill({out, static_cast<std::size_t>(length)}, device->silence_);
}

}  // namespace qs3::sdl
