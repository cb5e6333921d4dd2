// PackedDib: the format of every picture resource. A 40-byte bitmap info
// header, a colour table of RGBQUADs, then the pixels: 8-bit pictures as a
// packed stream of literals, runs (0xFF v n) and an end code (0xFF 0xFF);
// 1-bit pictures stored unpacked.
//
// Failure contract: the decoder never reads past the given bytes and never
// writes past its pixel block. A header it cannot trust gives no picture
// (with the reason); a stream that ends early or stops at the end of the data
// leaves the remaining pixels 0; a stream that would write past the block
// stops at the block's end.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qs3 {

inline constexpr std::size_t kPackedHeaderSize = 40;
inline constexpr std::uint8_t kPackedEscape = 0xFF;
// Slack after the pixel array that the loaders have always allocated.
inline constexpr std::size_t kPixelBlockSlack = 256;
// Larger pictures are refused: no resource comes near this, and it keeps the
// pixel block of a hostile header small.
inline constexpr std::int32_t kMaxPackedSide = 8192;

struct BitmapInfoHeader {
  std::uint32_t biSize = 0;
  std::int32_t biWidth = 0;
  std::int32_t biHeight = 0;
  std::uint16_t biPlanes = 0;
  std::uint16_t biBitCount = 0;
  std::uint32_t biCompression = 0;
  std::uint32_t biSizeImage = 0;
  std::int32_t biXPelsPerMeter = 0;
  std::int32_t biYPelsPerMeter = 0;
  std::uint32_t biClrUsed = 0;
  std::uint32_t biClrImportant = 0;
};

struct RgbQuad {
  std::uint8_t rgbBlue = 0;
  std::uint8_t rgbGreen = 0;
  std::uint8_t rgbRed = 0;
  std::uint8_t rgbReserved = 0;
  friend bool operator==(const RgbQuad&, const RgbQuad&) = default;
};

enum class PackedDibStatus {
  Ok,
  TruncatedHeader,      // fewer than 40 bytes
  UnsupportedHeader,    // biSize is not 40
  UnsupportedBitCount,  // anything but 8 or 1 bits per pixel
  TooManyColours,       // a colour table of more than 256 entries
  BadDimensions,        // width or height not in 1..kMaxPackedSide
  TruncatedColourTable,
  TruncatedPixels,  // 1-bit pixels shorter than the header promises
};

const char* DescribePackedDibStatus(PackedDibStatus status);

struct PackedDib {
  BitmapInfoHeader header;  // exactly as stored
  int colourCount = 0;      // entries of the colour table, 0..256
  std::array<RgbQuad, 256> colours{};
  // The unpacked pixel array as a device-independent bitmap holds it: rows
  // bottom-up, each RowStride() bytes; at least height * stride bytes, and
  // for 8-bit pictures at least width * height + kPixelBlockSlack.
  std::vector<std::uint8_t> pixels;
  bool endCodeSeen = false;  // 8-bit: the stream closed with 0xFF 0xFF
  bool overran = false;      // 8-bit: the stream wanted to write past the block

  std::size_t RowStride() const;
  // Palette index of pixel (x, y) counted from the top-left; x and y must lie
  // inside the picture.
  std::uint8_t IndexAt(int x, int y) const;
};

// Reads the header; none when fewer than 40 bytes are given.
std::optional<BitmapInfoHeader> ReadPackedHeader(std::span<const std::uint8_t> bytes);

// Number of colour-table entries a bitmap header announces (biClrUsed, or
// 1 << biBitCount when that is 0), or none when the header is refused.
std::optional<int> PackedColourCount(const BitmapInfoHeader& header, PackedDibStatus& status);

struct UnpackResult {
  std::size_t written = 0;   // output position after the last code
  std::size_t consumed = 0;  // stream bytes read
  bool endCodeSeen = false;
  bool overran = false;
};

// Unpacks a packed stream into `out` (which the caller has zeroed), code by
// code, until the end code, the end of the stream or the end of `out`.
UnpackResult UnpackPixelStream(std::span<const std::uint8_t> stream, std::span<std::uint8_t> out);

// The header and colour table alone, checked as DecodePackedDib checks them;
// `pixels` stays empty.
std::optional<PackedDib> DecodePackedColourTable(std::span<const std::uint8_t> bytes,
                                                 PackedDibStatus& status);

std::optional<PackedDib> DecodePackedDib(std::span<const std::uint8_t> bytes,
                                         PackedDibStatus& status);

}  // namespace qs3
