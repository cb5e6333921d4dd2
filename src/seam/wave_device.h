// What the music player expects of the sound output: a wave-output device
// opened for one PCM format, to which whole prepared buffers are written, and
// the RIFF music file it reads them from. Windows maps these onto winmm's
// waveOut and mmio functions; other builds provide their own.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "seam/types.h"

namespace qs3 {

// The platform's wave format record.
struct WaveFormat {
  std::uint16_t formatTag = 1;  // PCM
  std::uint16_t channels = 1;
  std::uint32_t samplesPerSecond = 22050;
  std::uint32_t averageBytesPerSecond = 22050;
  std::uint16_t blockAlign = 1;
  std::uint16_t bitsPerSample = 8;
  std::uint16_t extraSize = 0;
  friend bool operator==(const WaveFormat&, const WaveFormat&) = default;
};

// The units of a position query (the time record's format word, by winmm's
// values). A device answers in the unit asked for or says which one it used.
inline constexpr std::uint32_t kTimeMilliseconds = 0x01;  // TIME_MS
inline constexpr std::uint32_t kTimeSamples = 0x02;       // TIME_SAMPLES
inline constexpr std::uint32_t kTimeBytes = 0x04;         // TIME_BYTES
inline constexpr std::uint32_t kTimeSmpte = 0x08;         // TIME_SMPTE
inline constexpr std::uint32_t kTimeMidi = 0x10;          // TIME_MIDI
inline constexpr std::uint32_t kTimeTicks = 0x20;         // TIME_TICKS

// The wave device's 12-byte time record. The timeline owns it as a plain
// value; on Windows the device expects movable global memory, so the front end
// keeps such a block and copies the two words across around each query.
struct PositionBlock {
  std::uint32_t format = 0;    // the unit of `position`: bytes once the player has read it
  std::uint32_t position = 0;  // bytes of sample data played since the music last started
  std::uint32_t unused = 0;
};

inline constexpr std::uint32_t kWaveBeginLoop = 0x04;  // WHDR_BEGINLOOP
inline constexpr std::uint32_t kWaveEndLoop = 0x08;    // WHDR_ENDLOOP

// One buffer as the device sees it. The device may keep its own record of a
// header between Prepare and Unprepare, keyed by the header's address, so a
// header must not move while it is prepared.
struct WaveHeader {
  const std::uint8_t* data = nullptr;
  std::uint32_t bufferLength = 0;
  std::uint32_t flags = 0;
  std::uint32_t loops = 0;
};

// Every call answers 0 on success or the device's nonzero error code.
class WaveDevice {
 public:
  virtual ~WaveDevice() = default;
  // Whether the default device (the wave mapper) can play this format.
  virtual std::uint32_t QueryFormat(const WaveFormat& format) = 0;
  // Opens the default device; its notifications go to `window`.
  virtual std::uint32_t Open(const WaveFormat& format, WindowHandle window) = 0;
  virtual std::uint32_t Prepare(WaveHeader& header) = 0;
  virtual std::uint32_t Unprepare(WaveHeader& header) = 0;
  // Queues the whole buffer; it plays from its start.
  virtual std::uint32_t Write(WaveHeader& header) = 0;
  // Stops playback and hands every queued buffer back; the device stays open.
  virtual std::uint32_t Reset() = 0;
  virtual std::uint32_t Close() = 0;
  // The position since the last start, into block.position: in the unit
  // block.format asks for, or in another one, which it writes into
  // block.format (a driver may answer milliseconds or samples whatever was
  // asked).
  virtual std::uint32_t GetPosition(PositionBlock& block) = 0;
};

// A music file opened for buffered reading; closed when destroyed.
class MusicFile {
 public:
  virtual ~MusicFile() = default;
  // Finds the RIFF chunk of form type "WAVE" and moves into it.
  virtual bool DescendRiffWave() = 0;
  // Finds its "data" subchunk and moves to the chunk's first byte: its size
  // as the chunk header states it, or none when there is no such chunk.
  virtual std::optional<std::uint32_t> DescendDataChunk() = 0;
  // Reads up to out.size() bytes; the count read, or -1 on an error.
  virtual std::int64_t Read(std::span<std::uint8_t> out) = 0;
  // How many bytes the file holds from the current place on, or none when
  // that cannot be told; a chunk claiming more is refused before any memory
  // is taken for it.
  virtual std::optional<std::uint64_t> BytesLeft() = 0;
};

class MusicFiles {
 public:
  virtual ~MusicFiles() = default;
  // None when the file cannot be opened for reading.
  virtual std::unique_ptr<MusicFile> Open(const char* path) = 0;
};

}  // namespace qs3
