#include "graphics/packed_dib.h"

#include <algorithm>

namespace qs3 {

namespace {

std::uint16_t Read16(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

std::uint32_t Read32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(bytes[offset]) |
         (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
         (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
         (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

bool DimensionsSupported(const BitmapInfoHeader& header) {
  return header.biWidth > 0 && header.biWidth <= kMaxPackedSide && header.biHeight > 0 &&
         header.biHeight <= kMaxPackedSide;
}

std::size_t PixelCount(const BitmapInfoHeader& header) {
  return static_cast<std::size_t>(header.biWidth) * static_cast<std::size_t>(header.biHeight);
}

}  // namespace

const char* DescribePackedDibStatus(PackedDibStatus status) {
  switch (status) {
    case PackedDibStatus::Ok:
      return "ok";
    case PackedDibStatus::TruncatedHeader:
      return "fewer than 40 header bytes";
    case PackedDibStatus::UnsupportedHeader:
      return "header size is not 40";
    case PackedDibStatus::UnsupportedBitCount:
      return "bit count is neither 8 nor 1";
    case PackedDibStatus::TooManyColours:
      return "colour table of more than 256 entries";
    case PackedDibStatus::BadDimensions:
      return "width or height out of range";
    case PackedDibStatus::TruncatedColourTable:
      return "colour table cut short";
    case PackedDibStatus::TruncatedPixels:
      return "1-bit pixels cut short";
  }
  return "unknown";
}

std::size_t PackedDib::RowStride() const {
  const std::size_t bits = static_cast<std::size_t>(header.biWidth) * header.biBitCount;
  return ((bits + 31) / 32) * 4;
}

std::uint8_t PackedDib::IndexAt(int x, int y) const {
  const std::size_t row = static_cast<std::size_t>(header.biHeight - 1 - y);
  if (header.biBitCount == 1) {
    const std::uint8_t byte = pixels[row * RowStride() + static_cast<std::size_t>(x) / 8];
    return static_cast<std::uint8_t>((byte >> (7 - x % 8)) & 1);
  }
  return pixels[row * RowStride() + static_cast<std::size_t>(x)];
}

std::optional<BitmapInfoHeader> ReadPackedHeader(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kPackedHeaderSize) return std::nullopt;
  BitmapInfoHeader header;
  header.biSize = Read32(bytes, 0);
  header.biWidth = static_cast<std::int32_t>(Read32(bytes, 4));
  header.biHeight = static_cast<std::int32_t>(Read32(bytes, 8));
  header.biPlanes = Read16(bytes, 12);
  header.biBitCount = Read16(bytes, 14);
  header.biCompression = Read32(bytes, 16);
  header.biSizeImage = Read32(bytes, 20);
  header.biXPelsPerMeter = static_cast<std::int32_t>(Read32(bytes, 24));
  header.biYPelsPerMeter = static_cast<std::int32_t>(Read32(bytes, 28));
  header.biClrUsed = Read32(bytes, 32);
  header.biClrImportant = Read32(bytes, 36);
  return header;
}

std::optional<int> PackedColourCount(const BitmapInfoHeader& header, PackedDibStatus& status) {
  if (header.biSize != kPackedHeaderSize) {
    status = PackedDibStatus::UnsupportedHeader;
    return std::nullopt;
  }
  if (header.biBitCount != 8 && header.biBitCount != 1) {
    status = PackedDibStatus::UnsupportedBitCount;
    return std::nullopt;
  }
  const std::uint32_t count = header.biClrUsed != 0 ? header.biClrUsed : (1u << header.biBitCount);
  if (count > 256) {
    status = PackedDibStatus::TooManyColours;
    return std::nullopt;
  }
  status = PackedDibStatus::Ok;
  return static_cast<int>(count);
}

UnpackResult UnpackPixelStream(std::span<const std::uint8_t> stream, std::span<std::uint8_t> out) {
  UnpackResult result;
  std::size_t in = 0;
  while (in < stream.size()) {
    const std::uint8_t code = stream[in];
    if (code != kPackedEscape) {
      if (result.written >= out.size()) {
        result.overran = true;
        break;
      }
      out[result.written++] = code;
      ++in;
      continue;
    }
    if (in + 1 >= stream.size()) {  // an escape with nothing after it
      in = stream.size();
      break;
    }
    const std::uint8_t value = stream[in + 1];
    if (value == kPackedEscape) {
      result.endCodeSeen = true;
      in += 2;
      break;
    }
    if (in + 2 >= stream.size()) {  // a run without its length
      in = stream.size();
      break;
    }
    const std::size_t length = stream[in + 2];
    const std::size_t room = out.size() - result.written;
    std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(result.written), std::min(length, room),
                value);
    in += 3;
    if (length > room) {
      result.written = out.size();
      result.overran = true;
      break;
    }
    result.written += length;
  }
  result.consumed = in;
  return result;
}

std::optional<PackedDib> DecodePackedColourTable(std::span<const std::uint8_t> bytes,
                                                 PackedDibStatus& status) {
  const std::optional<BitmapInfoHeader> header = ReadPackedHeader(bytes);
  if (!header) {
    status = PackedDibStatus::TruncatedHeader;
    return std::nullopt;
  }
  const std::optional<int> colourCount = PackedColourCount(*header, status);
  if (!colourCount) return std::nullopt;
  if (!DimensionsSupported(*header)) {
    status = PackedDibStatus::BadDimensions;
    return std::nullopt;
  }
  const std::size_t pixelOffset = kPackedHeaderSize + 4 * static_cast<std::size_t>(*colourCount);
  if (bytes.size() < pixelOffset) {
    status = PackedDibStatus::TruncatedColourTable;
    return std::nullopt;
  }
  PackedDib dib;
  dib.header = *header;
  dib.colourCount = *colourCount;
  for (int i = 0; i < *colourCount; ++i) {
    const std::size_t at = kPackedHeaderSize + 4 * static_cast<std::size_t>(i);
    dib.colours[static_cast<std::size_t>(i)] = {bytes[at], bytes[at + 1], bytes[at + 2],
                                                bytes[at + 3]};
  }
  status = PackedDibStatus::Ok;
  return dib;
}

std::optional<PackedDib> DecodePackedDib(std::span<const std::uint8_t> bytes,
                                         PackedDibStatus& status) {
  std::optional<PackedDib> table = DecodePackedColourTable(bytes, status);
  if (!table) return std::nullopt;
  PackedDib& dib = *table;
  const BitmapInfoHeader& header = dib.header;
  const std::size_t pixelOffset = kPackedHeaderSize + 4 * static_cast<std::size_t>(dib.colourCount);
  const std::span<const std::uint8_t> pixelBytes = bytes.subspan(pixelOffset);
  const std::size_t arraySize = dib.RowStride() * static_cast<std::size_t>(header.biHeight);
  if (header.biBitCount == 1) {
    // Stored unpacked, height * width / 8 bytes as they stand.
    const std::size_t stored = PixelCount(header) / 8;
    if (pixelBytes.size() < stored) {
      status = PackedDibStatus::TruncatedPixels;
      return std::nullopt;
    }
    dib.pixels.assign(std::max(arraySize, stored), 0);
    std::copy_n(pixelBytes.begin(), static_cast<std::ptrdiff_t>(stored), dib.pixels.begin());
  } else {
    dib.pixels.assign(std::max(arraySize, PixelCount(header) + kPixelBlockSlack), 0);
    const UnpackResult unpacked = UnpackPixelStream(pixelBytes, dib.pixels);
    dib.endCodeSeen = unpacked.endCodeSeen;
    dib.overran = unpacked.overran;
  }
  status = PackedDibStatus::Ok;
  return table;
}

}  // namespace qs3
