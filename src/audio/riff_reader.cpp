#include "audio/riff_reader.h"

#include <algorithm>
#include <array>
#include <limits>

namespace qs3 {
namespace {

constexpr std::uint32_t kRiff = FourCc('R', 'I', 'F', 'F');
constexpr std::uint32_t kWave = FourCc('W', 'A', 'V', 'E');
constexpr std::uint32_t kData = FourCc('d', 'a', 't', 'a');
constexpr std::uint64_t kChunkHeaderSize = 8;

std::uint32_t ReadLe32(const std::uint8_t* bytes) {
  return std::uint32_t{bytes[0]} | (std::uint32_t{bytes[1]} << 8) |
         (std::uint32_t{bytes[2]} << 16) | (std::uint32_t{bytes[3]} << 24);
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

class StdioByteStream final : public ByteStream {
 public:
  StdioByteStream(FileHandle file, std::optional<std::uint64_t> size)
      : file_(std::move(file)), size_(size) {}
  std::size_t Read(std::span<std::uint8_t> out) override {
    return std::fread(out.data(), 1, out.size(), file_.get());
  }
  bool Seek(std::uint64_t offset) override {
    // Past the end is allowed, as with the OS: the next read then comes short.
    // Offsets beyond what a long holds lie past any music file we would read.
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<long>::max())) return false;
    return std::fseek(file_.get(), static_cast<long>(offset), SEEK_SET) == 0;
  }
  std::optional<std::uint64_t> Size() override { return size_; }

 private:
  FileHandle file_;
  std::optional<std::uint64_t> size_;
};

// The file's length, found by seeking to its end and back.
std::optional<std::uint64_t> LengthOf(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return std::nullopt;
  const long length = std::ftell(file);
  if (std::fseek(file, 0, SEEK_SET) != 0 || length < 0) return std::nullopt;
  return static_cast<std::uint64_t>(length);
}

}  // namespace

std::size_t MemoryByteStream::Read(std::span<std::uint8_t> out) {
  if (position_ >= bytes_.size()) return 0;
  const std::size_t count =
      std::min<std::size_t>(out.size(), bytes_.size() - static_cast<std::size_t>(position_));
  std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(position_), count, out.begin());
  position_ += count;
  return count;
}

bool MemoryByteStream::Seek(std::uint64_t offset) {
  position_ = offset;
  return true;
}

std::optional<RiffMusicFile::ChunkHeader> RiffMusicFile::ReadChunkHeader() {
  std::array<std::uint8_t, kChunkHeaderSize> bytes{};
  if (stream_->Read(bytes) != bytes.size()) return std::nullopt;
  position_ += kChunkHeaderSize;
  return ChunkHeader{ReadLe32(bytes.data()), ReadLe32(bytes.data() + 4)};
}

std::optional<std::uint32_t> RiffMusicFile::ReadFourCc() {
  std::array<std::uint8_t, 4> bytes{};
  if (stream_->Read(bytes) != bytes.size()) return std::nullopt;
  position_ += bytes.size();
  return ReadLe32(bytes.data());
}

// Moves past a chunk's data and its pad byte (chunks start at even offsets).
bool RiffMusicFile::SkipChunk(std::uint64_t dataStart, std::uint32_t size) {
  position_ = dataStart + size + (size & 1u);
  return stream_->Seek(position_);
}

bool RiffMusicFile::DescendRiffWave() {
  while (const std::optional<ChunkHeader> chunk = ReadChunkHeader()) {
    const std::uint64_t dataStart = position_;
    if (chunk->id == kRiff) {
      const std::optional<std::uint32_t> form = ReadFourCc();
      if (!form) return false;
      if (*form == kWave) {
        inWave_ = true;
        waveEnd_ = dataStart + chunk->size;
        return true;
      }
    }
    if (!SkipChunk(dataStart, chunk->size)) return false;
  }
  return false;
}

std::optional<std::uint32_t> RiffMusicFile::DescendDataChunk() {
  if (!inWave_) return std::nullopt;
  while (position_ + kChunkHeaderSize <= waveEnd_) {
    const std::optional<ChunkHeader> chunk = ReadChunkHeader();
    if (!chunk) return std::nullopt;
    if (chunk->id == kData) return chunk->size;
    if (!SkipChunk(position_, chunk->size)) return std::nullopt;
  }
  return std::nullopt;
}

std::int64_t RiffMusicFile::Read(std::span<std::uint8_t> out) {
  const std::size_t count = stream_->Read(out);
  position_ += count;
  return static_cast<std::int64_t>(count);
}

std::optional<std::uint64_t> RiffMusicFile::BytesLeft() {
  const std::optional<std::uint64_t> size = stream_->Size();
  if (!size) return std::nullopt;
  return *size > position_ ? *size - position_ : 0;
}

std::unique_ptr<MusicFile> StdioMusicFiles::Open(const char* path) {
  FileHandle file(std::fopen(path, "rb"));
  if (!file) return nullptr;
  const std::optional<std::uint64_t> size = LengthOf(file.get());
  return std::make_unique<RiffMusicFile>(std::make_unique<StdioByteStream>(std::move(file), size));
}

}  // namespace qs3
