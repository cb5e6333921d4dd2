#include "graphics/picture_loaders.h"

#include "graphics/packed_dib.h"

namespace qs3 {
namespace {

std::optional<PackedDib> DecodeResource(ResourceSource& resources, int id,
                                        bool colourTableOnly = false) {
  if (id == 0) return std::nullopt;
  const std::optional<ResourceBytes> bytes = resources.FindResourceBytes(id);
  if (!bytes) return std::nullopt;
  PackedDibStatus status = PackedDibStatus::Ok;
  return colourTableOnly ? DecodePackedColourTable(*bytes, status)
                         : DecodePackedDib(*bytes, status);
}

bool KeepsFullSize(SaverMode mode) {
  return mode == SaverMode::FullScreen || mode == SaverMode::Configure;
}

}  // namespace

std::optional<PaletteEntries> LoadPackedPalette(ResourceSource& resources, int id) {
  const std::optional<PackedDib> dib = DecodeResource(resources, id, /*colourTableOnly=*/true);
  if (!dib) return std::nullopt;
  return MakePaletteEntries(*dib);
}

std::optional<PixelBuffer> LoadPackedBitmap(ResourceSource& resources, int id, bool asMask,
                                            SaverMode mode, std::int32_t scaleFactor) {
  const std::optional<PackedDib> dib = DecodeResource(resources, id);
  if (!dib) return std::nullopt;
  PixelBuffer bitmap = asMask ? MakeMaskBitmap(*dib) : MakeColourBitmap(*dib);
  // A scale so small that a side comes to 0 pixels leaves an empty bitmap,
  // which draws nothing, rather than failing the whole set-up of a tiny preview.
  if (!KeepsFullSize(mode)) bitmap = ScaleBitmap(bitmap, scaleFactor);
  return bitmap;
}

std::optional<IndexPlane> LoadSheetIndices(ResourceSource& resources, int id, SaverMode mode,
                                           std::int32_t scaleFactor) {
  const std::optional<PackedDib> dib = DecodeResource(resources, id);
  if (!dib) return std::nullopt;
  IndexPlane plane = MakeIndexPlane(*dib);
  if (!KeepsFullSize(mode)) plane = ScalePlane(plane, scaleFactor);
  return plane;
}

std::optional<SheetColours> LoadSheetColours(ResourceSource& resources, int id) {
  const std::optional<PackedDib> dib = DecodeResource(resources, id, /*colourTableOnly=*/true);
  if (!dib) return std::nullopt;
  return MakeSheetColours(*dib);
}

}  // namespace qs3
