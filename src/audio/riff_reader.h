// Finding the sample data of a RIFF WAVE file the way the multimedia file
// functions do: the RIFF chunk of form type "WAVE" is searched from the start
// of the file, then its "data" subchunk among the chunks inside it, skipping
// any other chunk (with its pad byte). The size a "data" chunk states is
// reported as it stands; whether the file holds that many bytes shows when
// they are read.
//
// The reader never trusts a stated size to move inside the data: every skip
// is a seek that a short file answers with a failed read, and a subchunk must
// lie within its parent's stated extent.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>

#include "seam/wave_device.h"

namespace qs3 {

class ByteStream {
 public:
  virtual ~ByteStream() = default;
  // Bytes read, fewer at the end of the data.
  virtual std::size_t Read(std::span<std::uint8_t> out) = 0;
  virtual bool Seek(std::uint64_t offset) = 0;
  // The whole length of the data, or none when it cannot be told.
  virtual std::optional<std::uint64_t> Size() = 0;
};

class MemoryByteStream final : public ByteStream {
 public:
  explicit MemoryByteStream(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::size_t Read(std::span<std::uint8_t> out) override;
  bool Seek(std::uint64_t offset) override;
  std::optional<std::uint64_t> Size() override { return bytes_.size(); }

 private:
  std::span<const std::uint8_t> bytes_;
  std::uint64_t position_ = 0;
};

class RiffMusicFile final : public MusicFile {
 public:
  explicit RiffMusicFile(std::unique_ptr<ByteStream> stream) : stream_(std::move(stream)) {}
  bool DescendRiffWave() override;
  std::optional<std::uint32_t> DescendDataChunk() override;
  std::int64_t Read(std::span<std::uint8_t> out) override;
  std::optional<std::uint64_t> BytesLeft() override;

 private:
  struct ChunkHeader {
    std::uint32_t id = 0;
    std::uint32_t size = 0;
  };
  std::optional<ChunkHeader> ReadChunkHeader();
  std::optional<std::uint32_t> ReadFourCc();
  bool SkipChunk(std::uint64_t dataStart, std::uint32_t size);

  std::unique_ptr<ByteStream> stream_;
  std::uint64_t position_ = 0;
  bool inWave_ = false;
  std::uint64_t waveEnd_ = 0;  // end of the RIFF chunk's stated extent
};

// Music files from the file system through the C library.
class StdioMusicFiles final : public MusicFiles {
 public:
  std::unique_ptr<MusicFile> Open(const char* path) override;
};

constexpr std::uint32_t FourCc(char a, char b, char c, char d) {
  return std::uint32_t{static_cast<std::uint8_t>(a)} |
         (std::uint32_t{static_cast<std::uint8_t>(b)} << 8) |
         (std::uint32_t{static_cast<std::uint8_t>(c)} << 16) |
         (std::uint32_t{static_cast<std::uint8_t>(d)} << 24);
}

}  // namespace qs3
