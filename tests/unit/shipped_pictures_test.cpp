// Checks on the pictures the saver ships: the embedded bytes are the files in
// resources/, every picture decodes to its layout, the sheets share one
// colour table, empty cells are empty, and the settings art keeps its button
// looks where the settings window cuts them out.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "embedded/embedded_resources.h"
#include "graphics/packed_dib.h"

namespace qs3 {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kCellWidth = 160;
constexpr int kCellHeight = 256;

Bytes ReadResourceFile(const std::string& name) {
  std::ifstream in(std::string(QS3_RESOURCE_DIR) + "/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ResourceBytes Embedded(int id) {
  EmbeddedResourceSource source;
  const auto bytes = source.FindResourceBytes(id);
  return bytes.value_or(ResourceBytes{});
}

PackedDib Decode(int id) {
  PackedDibStatus status;
  auto dib = DecodePackedDib(Embedded(id), status);
  EXPECT_TRUE(dib) << id << ": " << DescribePackedDibStatus(status);
  return dib.value_or(PackedDib{});
}

struct Picture {
  int id;
  const char* file;
  int width;
  int height;
};

constexpr Picture kPictures[] = {
    {102, "dialog_art.pdib", 344, 560},
    {113, "sheet2.pdib", 640, 512},
    {114, "sheet0.pdib", 640, 768},
    {115, "sheet1.pdib", 640, 768},
};

TEST(ShippedPictures, EmbeddedBytesAreTheResourceFiles) {
  for (const Picture& picture : kPictures) {
    const ResourceBytes embedded = Embedded(picture.id);
    const Bytes file = ReadResourceFile(picture.file);
    ASSERT_FALSE(file.empty()) << picture.file;
    EXPECT_TRUE(std::equal(embedded.begin(), embedded.end(), file.begin(), file.end()))
        << picture.file;
  }
  EmbeddedResourceSource source;
  EXPECT_FALSE(source.FindResourceBytes(0));
  EXPECT_FALSE(source.FindResourceBytes(101));  // the icon is no RCDATA
}

// The header each picture carries, exactly: 40, w, h, 1 plane, 8 bits, no
// compression, 256 colours.
TEST(ShippedPictures, HeadersSizesAndStreams) {
  for (const Picture& picture : kPictures) {
    SCOPED_TRACE(picture.file);
    const PackedDib dib = Decode(picture.id);
    const BitmapInfoHeader& h = dib.header;
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, picture.width);
    EXPECT_EQ(h.biHeight, picture.height);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 8);
    EXPECT_EQ(h.biCompression, 0u);
    EXPECT_EQ(h.biSizeImage, 0u);
    EXPECT_EQ(h.biClrUsed, 256u);
    EXPECT_EQ(h.biClrImportant, 0u);
    EXPECT_TRUE(dib.endCodeSeen);
    EXPECT_FALSE(dib.overran);
    const auto pixelEnd =
        dib.pixels.begin() + static_cast<std::ptrdiff_t>(picture.width) * picture.height;
    EXPECT_EQ(std::count(dib.pixels.begin(), pixelEnd, 255), 0);
    EXPECT_EQ(dib.colours[0], (RgbQuad{0, 0, 0, 0}));
  }
}

TEST(ShippedPictures, SheetsShareOneColourTable) {
  const auto table = [](int id) {
    const ResourceBytes bytes = Embedded(id);
    return Bytes(bytes.begin() + kPackedHeaderSize, bytes.begin() + kPackedHeaderSize + 1024);
  };
  EXPECT_EQ(table(113), table(114));
  EXPECT_EQ(table(115), table(114));
  EXPECT_NE(table(102), table(114));  // the settings art has its own
}

bool RegionIsEmpty(const PackedDib& dib, int left, int top, int width, int height) {
  for (int y = top; y < top + height; ++y)
    for (int x = left; x < left + width; ++x)
      if (dib.IndexAt(x, y) != 0) return false;
  return true;
}

// A frame stays inside its cell: its outermost ring of pixels is transparent,
// so nothing was cut off at the cell's edge.
bool CellBorderIsEmpty(const PackedDib& dib, int left, int top) {
  return RegionIsEmpty(dib, left, top, kCellWidth, 1) &&
         RegionIsEmpty(dib, left, top + kCellHeight - 1, kCellWidth, 1) &&
         RegionIsEmpty(dib, left, top, 1, kCellHeight) &&
         RegionIsEmpty(dib, left + kCellWidth - 1, top, 1, kCellHeight);
}

TEST(ShippedPictures, EveryFrameInItsCellAndEmptyCellsEmpty) {
  struct Sheet {
    int id;
    int cells;
    int framed;  // cells 0..framed-1 hold frames, the rest are empty
  };
  for (const Sheet& sheet : {Sheet{114, 12, 10}, Sheet{115, 12, 12}, Sheet{113, 8, 7}}) {
    const PackedDib dib = Decode(sheet.id);
    for (int cell = 0; cell < sheet.cells; ++cell) {
      const int left = kCellWidth * (cell % 4);
      const int top = kCellHeight * (cell / 4);
      const bool empty = RegionIsEmpty(dib, left, top, kCellWidth, kCellHeight);
      EXPECT_EQ(empty, cell >= sheet.framed) << "sheet " << sheet.id << " cell " << cell;
      EXPECT_TRUE(CellBorderIsEmpty(dib, left, top)) << "sheet " << sheet.id << " cell " << cell;
    }
  }
}

struct Look {
  const char* name;
  int x, y, width, height;
};

// Where the settings window cuts its button looks from.
constexpr Look kLooks[] = {
    {"ok", 160, 0, 96, 32},       {"ok pressed", 160, 32, 96, 32},
    {"cancel", 160, 64, 96, 32},  {"cancel pressed", 160, 96, 96, 32},
    {"music off", 0, 66, 80, 28}, {"music off pressed", 0, 98, 80, 28},
    {"music on", 80, 66, 80, 28}, {"music on pressed", 80, 98, 80, 28},
};

bool InsideSomeLook(int x, int y) {
  return std::any_of(std::begin(kLooks), std::end(kLooks), [&](const Look& look) {
    return x >= look.x && x < look.x + look.width && y >= look.y && y < look.y + look.height;
  });
}

Bytes LookPixels(const PackedDib& dib, const Look& look) {
  Bytes pixels;
  for (int y = look.y; y < look.y + look.height; ++y)
    for (int x = look.x; x < look.x + look.width; ++x) pixels.push_back(dib.IndexAt(x, y));
  return pixels;
}

TEST(ShippedPictures, SettingsArtBackgroundAndButtonLooks) {
  const PackedDib art = Decode(102);
  for (int y = 224; y < 560; ++y)
    for (int x = 0; x < 344; ++x)
      ASSERT_NE(art.IndexAt(x, y), 0) << "transparent background pixel " << x << "," << y;
  for (int y = 0; y < 224; ++y)
    for (int x = 0; x < 344; ++x)
      if (!InsideSomeLook(x, y)) {
        ASSERT_EQ(art.IndexAt(x, y), 0) << "stray pixel outside the looks " << x << "," << y;
      }
  for (const Look& look : kLooks) {
    const Bytes pixels = LookPixels(art, look);
    EXPECT_GT(std::count_if(pixels.begin(), pixels.end(), [](std::uint8_t p) { return p != 0; }),
              look.width * look.height / 2)
        << look.name << " is mostly empty";
  }
  // Each pressed look differs from its normal look, and on from off.
  for (const auto& [a, b] :
       {std::pair{0, 1}, std::pair{2, 3}, std::pair{4, 5}, std::pair{6, 7}, std::pair{4, 6}})
    EXPECT_NE(LookPixels(art, kLooks[a]), LookPixels(art, kLooks[b]))
        << kLooks[a].name << " / " << kLooks[b].name;
}

TEST(ShippedPictures, IconFileHoldsTheFourSizes) {
  const Bytes icon = ReadResourceFile("qs3.ico");
  ASSERT_GE(icon.size(), 6u + 4 * 16u);
  EXPECT_EQ(icon[2], 1);  // type: icon
  ASSERT_EQ(icon[4], 4);  // four images
  Bytes widths;
  for (int i = 0; i < 4; ++i) widths.push_back(icon[6 + 16 * static_cast<std::size_t>(i)]);
  std::sort(widths.begin(), widths.end());
  EXPECT_EQ(widths, (Bytes{0, 16, 32, 48}));  // 0 stands for 256
}

// Results table: the shipped pictures cut off at many lengths. A cut inside
// the header or colour table gives no picture; a cut in the stream gives the
// pixels decoded so far and zeros after them, never more.
TEST(ShippedPictures, CutOffAtAnyLength) {
  const ResourceBytes whole = Embedded(113);
  PackedDibStatus status;
  const auto full = DecodePackedDib(whole, status);
  ASSERT_TRUE(full);
  const std::size_t tableEnd = kPackedHeaderSize + 1024;
  for (std::size_t length = 0; length < whole.size(); length += length < tableEnd + 64 ? 1 : 997) {
    const auto cut = DecodePackedDib(whole.first(length), status);
    if (length < kPackedHeaderSize) {
      ASSERT_EQ(status, PackedDibStatus::TruncatedHeader) << length;
    } else if (length < tableEnd) {
      ASSERT_EQ(status, PackedDibStatus::TruncatedColourTable) << length;
    } else {
      ASSERT_TRUE(cut) << length;
      ASSERT_FALSE(cut->endCodeSeen);
      std::size_t same = 0;
      while (same < cut->pixels.size() && cut->pixels[same] == full->pixels[same]) ++same;
      for (std::size_t i = same; i < cut->pixels.size(); ++i)
        ASSERT_EQ(cut->pixels[i], 0) << length << " at " << i;
    }
  }
}

}  // namespace
}  // namespace qs3
