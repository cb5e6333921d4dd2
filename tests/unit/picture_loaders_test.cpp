// The palette and bitmap loaders over resources by id: the shipped sheets,
// tiny hand-made pictures, and resources that are missing or refused.
#include "graphics/picture_loaders.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/packed_dib_encode.h"
#include "fakes/fake_resources.h"

namespace qs3 {
namespace {

using ::testing::ElementsAre;

class PictureLoadersTest : public ::testing::Test {
 protected:
  PictureLoadersTest() : resources(log) { resources.AddShippedPictures(); }

  // A 4 x 2 picture: index 0 in the corners, 1..6 elsewhere; entry 0 is a
  // non-black colour so that the colour version's black is visible.
  static std::vector<std::uint8_t> TinyPicture() {
    tools::IndexedImage image(4, 2);
    image.pixels = {0, 1, 2, 0, 3, 4, 5, 6};
    image.palette[0] = {10, 20, 30};
    image.palette[4] = {200, 100, 50};
    std::string error;
    return *tools::EncodePackedDib(image, error);
  }

  fakes::CallLog log;
  fakes::FakeResourceSource resources;
};

TEST_F(PictureLoadersTest, SheetZeroPaletteKeepsEntryZeroWhileItsColourBitmapShowsBlack) {
  const auto palette = LoadPackedPalette(resources, kSheet0Resource);
  ASSERT_TRUE(palette);
  EXPECT_EQ(palette->count, 256);
  const auto colour =
      LoadPackedBitmap(resources, kSheet0Resource, false, SaverMode::FullScreen, 1000);
  ASSERT_TRUE(colour);
  EXPECT_EQ(colour->Width(), 640);
  EXPECT_EQ(colour->Height(), 768);
  EXPECT_EQ(colour->At(0, 0), kBlack);  // the sheet's corner is transparent
}

TEST_F(PictureLoadersTest, ColourAndMaskVersionsOfATinyPicture) {
  resources.resources[7] = TinyPicture();
  const auto palette = LoadPackedPalette(resources, 7);
  ASSERT_TRUE(palette);
  EXPECT_EQ(palette->entries[0], (PaletteEntry{10, 20, 30, 0}));

  const auto colour = LoadPackedBitmap(resources, 7, false, SaverMode::FullScreen, 1000);
  const auto mask = LoadPackedBitmap(resources, 7, true, SaverMode::FullScreen, 1000);
  ASSERT_TRUE(colour && mask);
  EXPECT_EQ(colour->At(0, 0), kBlack);
  EXPECT_EQ(colour->At(1, 1), MakePixel(200, 100, 50));
  EXPECT_THAT(mask->Pixels(),
              ElementsAre(kWhite, kBlack, kBlack, kWhite, kBlack, kBlack, kBlack, kBlack));
}

TEST_F(PictureLoadersTest, SheetIndicesAndColoursOfATinyPicture) {
  resources.resources[7] = TinyPicture();
  const auto indices = LoadSheetIndices(resources, 7, SaverMode::FullScreen, 1000);
  const auto colours = LoadSheetColours(resources, 7);
  ASSERT_TRUE(indices && colours);
  EXPECT_THAT(indices->Indices(), ElementsAre(0, 1, 2, 0, 3, 4, 5, 6));
  EXPECT_EQ((*colours)[0], kBlack);  // the stored entry 0 is not black
  EXPECT_EQ((*colours)[4], MakePixel(200, 100, 50));
}

struct ScaleCase {
  SaverMode mode;
  std::int32_t scaleFactor;
  Size expected;
};

class LoadedSize : public PictureLoadersTest, public ::testing::WithParamInterface<ScaleCase> {};

TEST_P(LoadedSize, ShrinksOnlyOutsideFullScreenAndConfigure) {
  const ScaleCase& c = GetParam();
  const auto mask = LoadPackedBitmap(resources, kSheet0Resource, true, c.mode, c.scaleFactor);
  ASSERT_TRUE(mask);
  EXPECT_EQ((Size{mask->Width(), mask->Height()}), c.expected);
}

TEST_P(LoadedSize, SheetIndicesShrinkAsTheBitmapsDo) {
  const ScaleCase& c = GetParam();
  const auto indices = LoadSheetIndices(resources, kSheet0Resource, c.mode, c.scaleFactor);
  ASSERT_TRUE(indices);
  EXPECT_EQ((Size{indices->Width(), indices->Height()}), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, LoadedSize,
    ::testing::Values(ScaleCase{SaverMode::Preview, 146, {93, 112}},  // 150 x 112 on 1024 x 768
                      ScaleCase{SaverMode::FullScreen, 146, {640, 768}},
                      ScaleCase{SaverMode::Configure, 146, {640, 768}},
                      ScaleCase{SaverMode::Preview, 1000, {640, 768}},
                      // A preview too small for a single pixel loads, empty.
                      ScaleCase{SaverMode::Preview, 1, {0, 0}}));

TEST_F(PictureLoadersTest, ScaledMaskStaysPureBlackAndWhite) {
  const auto mask = LoadPackedBitmap(resources, kSheet1Resource, true, SaverMode::Preview, 237);
  ASSERT_TRUE(mask);
  for (const std::uint32_t pixel : mask->Pixels()) ASSERT_TRUE(pixel == kBlack || pixel == kWhite);
}

TEST_F(PictureLoadersTest, NullMissingAndRefusedResourcesGiveNone) {
  std::vector<std::uint8_t> fourBit = TinyPicture();
  fourBit[14] = 4;  // biBitCount
  resources.resources[8] = fourBit;
  resources.resources[9] = std::vector<std::uint8_t>(fourBit.begin(), fourBit.begin() + 39);
  for (const int id : {0, 1, 8, 9}) {
    EXPECT_FALSE(LoadPackedPalette(resources, id)) << id;
    EXPECT_FALSE(LoadPackedBitmap(resources, id, false, SaverMode::FullScreen, 1000)) << id;
    EXPECT_FALSE(LoadPackedBitmap(resources, id, true, SaverMode::Preview, 500)) << id;
    EXPECT_FALSE(LoadSheetIndices(resources, id, SaverMode::FullScreen, 1000)) << id;
    EXPECT_FALSE(LoadSheetColours(resources, id)) << id;
  }
}

TEST_F(PictureLoadersTest, NullIdIsNeverLookedUp) {
  log.Clear();
  LoadPackedBitmap(resources, 0, true, SaverMode::FullScreen, 1000);
  EXPECT_TRUE(log.calls.empty());
}

}  // namespace
}  // namespace qs3
