// The PackedDib decoder against tiny hand-made fixtures, and the packer's
// round trip.
#include "graphics/packed_dib.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/packed_dib_encode.h"

namespace qs3 {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct HeaderFields {
  std::uint32_t size = 40;
  std::int32_t width = 4;
  std::int32_t height = 2;
  std::uint16_t bitCount = 8;
  std::uint32_t coloursUsed = 256;
};

void Put32(Bytes& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A header, `colours` table entries (entry i = i, i, i, 0), then `pixels`.
Bytes MakeDib(const HeaderFields& fields, int colours, const Bytes& pixels) {
  Bytes out;
  Put32(out, fields.size);
  Put32(out, static_cast<std::uint32_t>(fields.width));
  Put32(out, static_cast<std::uint32_t>(fields.height));
  Put32(out, 1u | (static_cast<std::uint32_t>(fields.bitCount) << 16));
  for (std::uint32_t value : {0u, 0u, 0u, 0u, fields.coloursUsed, 0u}) Put32(out, value);
  for (int i = 0; i < colours; ++i)
    out.insert(out.end(), {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i),
                           static_cast<std::uint8_t>(i), 0});
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

Bytes Unpack(const Bytes& stream, std::size_t blockSize, UnpackResult* result = nullptr) {
  Bytes out(blockSize, 0);
  const UnpackResult unpacked = UnpackPixelStream(stream, out);
  if (result) *result = unpacked;
  return out;
}

struct StreamCase {
  const char* name;
  Bytes stream;
  Bytes expected;  // the whole 8-byte block
  bool endCode;
};

class UnpackStream : public testing::TestWithParam<StreamCase> {};

TEST_P(UnpackStream, WritesExactlyTheCodedPixels) {
  UnpackResult result;
  EXPECT_EQ(Unpack(GetParam().stream, 8, &result), GetParam().expected);
  EXPECT_EQ(result.endCodeSeen, GetParam().endCode);
  EXPECT_FALSE(result.overran);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, UnpackStream,
    testing::Values(
        StreamCase{"LiteralRunLiteral",
                   {0x05, 0xFF, 0x00, 0x06, 0x07, 0xFF, 0xFF},
                   {5, 0, 0, 0, 0, 0, 0, 7},
                   true},
        StreamCase{"EarlyEndLeavesZeros", {0x09, 0x08, 0xFF, 0xFF}, {9, 8, 0, 0, 0, 0, 0, 0}, true},
        StreamCase{"RunOfZeroWritesNothing",
                   {0x01, 0xFF, 0x09, 0x00, 0x02, 0xFF, 0xFF},
                   {1, 2, 0, 0, 0, 0, 0, 0},
                   true},
        StreamCase{"BytesAfterEndCodeIgnored",
                   {0x01, 0xFF, 0xFF, 0x03, 0xFF, 0x04, 0x05},
                   {1, 0, 0, 0, 0, 0, 0, 0},
                   true},
        StreamCase{
            "RunCrossesRows", {0xFF, 0x02, 0x06, 0x03, 0xFF, 0xFF}, {2, 2, 2, 2, 2, 2, 3, 0}, true},
        StreamCase{"NoEndCode", {0x01, 0x02}, {1, 2, 0, 0, 0, 0, 0, 0}, false},
        StreamCase{"EscapeAtTheEnd", {0x01, 0xFF}, {1, 0, 0, 0, 0, 0, 0, 0}, false},
        StreamCase{"RunWithoutLength", {0x01, 0xFF, 0x04}, {1, 0, 0, 0, 0, 0, 0, 0}, false},
        StreamCase{"EmptyStream", {}, {0, 0, 0, 0, 0, 0, 0, 0}, false}),
    [](const testing::TestParamInfo<StreamCase>& info) { return std::string(info.param.name); });

TEST(UnpackStreamBounds, StopsAtTheBlockEnd) {
  // Literals past the end, then a run past the end: both stop at the block.
  for (const Bytes& stream : {Bytes{1, 2, 3, 4, 5, 6}, Bytes{1, 0xFF, 7, 200, 0xFF, 0xFF}}) {
    UnpackResult result;
    const Bytes out = Unpack(stream, 4, &result);
    EXPECT_EQ(out.size(), 4u);
    EXPECT_TRUE(result.overran);
    EXPECT_EQ(result.written, 4u);
  }
}

TEST(DecodePackedDib, EightBitPictureRowsRunBottomUp) {
  // 4 x 2: stream order is the bottom row first.
  const Bytes bytes = MakeDib({}, 256, {1, 2, 3, 4, 0xFF, 9, 4, 0xFF, 0xFF, 0, 0});
  PackedDibStatus status;
  const auto dib = DecodePackedDib(bytes, status);
  ASSERT_TRUE(dib) << DescribePackedDibStatus(status);
  EXPECT_EQ(dib->IndexAt(0, 1), 1);
  EXPECT_EQ(dib->IndexAt(3, 1), 4);
  EXPECT_EQ(dib->IndexAt(2, 0), 9);
  EXPECT_EQ(dib->colourCount, 256);
  EXPECT_EQ(dib->colours[7], (RgbQuad{7, 7, 7, 0}));
  EXPECT_EQ(dib->pixels.size(), 8u + kPixelBlockSlack);
  EXPECT_TRUE(dib->endCodeSeen);
}

TEST(DecodePackedDib, OneBitPictureIsCopiedAsStored) {
  HeaderFields fields{.width = 32, .height = 2, .bitCount = 1, .coloursUsed = 0};
  const auto dib = [&] {
    PackedDibStatus status;
    return DecodePackedDib(MakeDib(fields, 2, {0x80, 0, 0, 0, 0, 0, 0, 1}), status);
  }();
  ASSERT_TRUE(dib);
  EXPECT_EQ(dib->colourCount, 2);
  EXPECT_EQ(dib->IndexAt(0, 1), 1);   // first byte: the bottom row's left pixel
  EXPECT_EQ(dib->IndexAt(31, 0), 1);  // last byte: the top row's right pixel
  EXPECT_EQ(dib->IndexAt(1, 1), 0);
}

struct HeaderCase {
  const char* name;
  Bytes bytes;
  PackedDibStatus expected;
};

class RefusedHeader : public testing::TestWithParam<HeaderCase> {};

TEST_P(RefusedHeader, GivesNoPictureAndTheReason) {
  PackedDibStatus status = PackedDibStatus::Ok;
  EXPECT_FALSE(DecodePackedDib(GetParam().bytes, status));
  EXPECT_EQ(status, GetParam().expected) << DescribePackedDibStatus(status);
}

const Bytes kEnd{0xFF, 0xFF};

Bytes FirstBytes(const Bytes& bytes, std::size_t count) {
  return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count));
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, RefusedHeader,
    testing::Values(
        HeaderCase{"Empty", {}, PackedDibStatus::TruncatedHeader},
        HeaderCase{"HeaderCutAt39", FirstBytes(MakeDib({}, 256, kEnd), 39),
                   PackedDibStatus::TruncatedHeader},
        HeaderCase{"CoreHeaderSize", MakeDib({.size = 12}, 256, kEnd),
                   PackedDibStatus::UnsupportedHeader},
        HeaderCase{"FourBits", MakeDib({.bitCount = 4, .coloursUsed = 0}, 16, kEnd),
                   PackedDibStatus::UnsupportedBitCount},
        HeaderCase{"SixteenBits", MakeDib({.bitCount = 16, .coloursUsed = 0}, 0, kEnd),
                   PackedDibStatus::UnsupportedBitCount},
        HeaderCase{"ZeroBits", MakeDib({.bitCount = 0, .coloursUsed = 0}, 0, kEnd),
                   PackedDibStatus::UnsupportedBitCount},
        HeaderCase{"TooManyColours", MakeDib({.coloursUsed = 257}, 257, kEnd),
                   PackedDibStatus::TooManyColours},
        HeaderCase{"HugeColourCount", MakeDib({.coloursUsed = 0xFFFFFFFFu}, 0, kEnd),
                   PackedDibStatus::TooManyColours},
        HeaderCase{"ZeroWidth", MakeDib({.width = 0}, 256, kEnd), PackedDibStatus::BadDimensions},
        HeaderCase{"NegativeHeight", MakeDib({.height = -2}, 256, kEnd),
                   PackedDibStatus::BadDimensions},
        HeaderCase{"HugeWidth", MakeDib({.width = 0x7FFFFFFF}, 256, kEnd),
                   PackedDibStatus::BadDimensions},
        HeaderCase{"ColourTableCut", MakeDib({}, 255, {}), PackedDibStatus::TruncatedColourTable},
        HeaderCase{
            "OneBitPixelsCut",
            MakeDib({.width = 32, .height = 2, .bitCount = 1, .coloursUsed = 2}, 2, {1, 2, 3}),
            PackedDibStatus::TruncatedPixels}),
    [](const testing::TestParamInfo<HeaderCase>& info) { return std::string(info.param.name); });

TEST(DecodePackedDib, StreamThatWouldOverrunStopsAtTheBlock) {
  // 4 x 1 picture, block 4 + 256 bytes; the stream asks for 3 x 255.
  const Bytes bytes = MakeDib({.width = 4, .height = 1}, 256,
                              {0xFF, 7, 255, 0xFF, 7, 255, 0xFF, 7, 255, 0xFF, 0xFF});
  PackedDibStatus status;
  const auto dib = DecodePackedDib(bytes, status);
  ASSERT_TRUE(dib);
  EXPECT_TRUE(dib->overran);
  EXPECT_EQ(dib->pixels.size(), 4u + kPixelBlockSlack);
  EXPECT_EQ(std::count(dib->pixels.begin(), dib->pixels.end(), 7),
            static_cast<long>(dib->pixels.size()));
}

// ----- the packer ---------------------------------------------------------------

tools::IndexedImage MakeImage(int width, int height, unsigned seed) {
  tools::IndexedImage image(width, height);
  std::mt19937 random(seed);
  for (std::size_t i = 0; i < image.pixels.size();) {
    // Stretches of every length that matters: 1-3 (literals), 4, 255, 256, 259.
    static constexpr int kLengths[] = {1, 2, 3, 4, 5, 255, 256, 259, 600};
    const int length = kLengths[random() % std::size(kLengths)];
    const auto value = static_cast<std::uint8_t>(random() % 255);
    for (int k = 0; k < length && i < image.pixels.size(); ++k) image.pixels[i++] = value;
  }
  for (int i = 0; i < 256; ++i)
    image.palette[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i), 3,
                                                  static_cast<std::uint8_t>(255 - i)};
  return image;
}

// Walks the codes of a packed stream and checks the packer's rules: runs of 4
// to 255, no 4 equal literals in a row, the end code last.
void ExpectCanonicalStream(std::span<const std::uint8_t> stream) {
  std::size_t i = 0;
  int equalLiterals = 0;
  int lastLiteral = -1;
  while (i < stream.size()) {
    if (stream[i] != 0xFF) {
      equalLiterals = stream[i] == lastLiteral ? equalLiterals + 1 : 1;
      lastLiteral = stream[i++];
      ASSERT_LT(equalLiterals, 4) << "four equal literals at " << i;
      continue;
    }
    ASSERT_LT(i + 1, stream.size());
    if (stream[i + 1] == 0xFF) return;
    ASSERT_LT(i + 2, stream.size());
    EXPECT_GE(stream[i + 2], 4) << "short run at " << i;
    lastLiteral = -1;
    i += 3;
  }
  FAIL() << "no end code";
}

TEST(EncodePackedDib, RoundTripsAndFollowsTheCodingRules) {
  for (unsigned seed = 1; seed <= 20; ++seed) {
    const tools::IndexedImage image =
        MakeImage(4 * static_cast<int>(1 + seed % 7), static_cast<int>(1 + seed * 3), seed);
    std::string error;
    const auto packed = tools::EncodePackedDib(image, error);
    ASSERT_TRUE(packed) << error;
    EXPECT_EQ(packed->size() % 4, 0u);
    PackedDibStatus status;
    const auto dib = DecodePackedDib(*packed, status);
    ASSERT_TRUE(dib) << DescribePackedDibStatus(status);
    EXPECT_TRUE(dib->endCodeSeen);
    EXPECT_FALSE(dib->overran);
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x)
        ASSERT_EQ(dib->IndexAt(x, y), image.At(x, y)) << x << "," << y;
    EXPECT_EQ(dib->colours[1], (RgbQuad{254, 3, 1, 0}));
    ExpectCanonicalStream(std::span(*packed).subspan(kPackedHeaderSize + 1024));
  }
}

TEST(EncodePackedDib, RefusesWhatTheFormatCannotHold) {
  tools::IndexedImage withIndex255(8, 2);
  withIndex255.At(5, 1) = 255;
  tools::IndexedImage oddWidth(6, 2);
  for (const auto& [image, says] :
       {std::pair{withIndex255, "(5, 1) uses index 255"}, std::pair{oddWidth, "multiple of 4"}}) {
    std::string error;
    EXPECT_FALSE(tools::EncodePackedDib(image, error));
    EXPECT_NE(error.find(says), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace qs3
