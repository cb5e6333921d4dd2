// Any bytes as a picture resource: decoding never reads or writes out of
// bounds, and a picture that decodes packs and decodes again to the same
// pixels.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "common/packed_dib_encode.h"
#include "graphics/packed_dib.h"

namespace {

// Pictures larger than this are valid but only slow the fuzzer down.
constexpr std::size_t kLargestCheckedPicture = 1 << 20;

void CheckRepack(const qs3::PackedDib& dib) {
  const int width = dib.header.biWidth;
  const int height = dib.header.biHeight;
  if (dib.header.biBitCount != 8 || width % 4 != 0) return;
  qs3::tools::IndexedImage image(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.At(x, y) = dib.IndexAt(x, y);
  std::string error;
  const auto packed = qs3::tools::EncodePackedDib(image, error);
  if (!packed) std::abort();  // a decoded picture never holds index 255
  qs3::PackedDibStatus status;
  const auto again = qs3::DecodePackedDib(*packed, status);
  if (!again || !again->endCodeSeen || again->overran) std::abort();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (again->IndexAt(x, y) != image.At(x, y)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const auto header = qs3::ReadPackedHeader(bytes);
  if (header && static_cast<std::size_t>(std::abs(static_cast<long long>(header->biWidth)) *
                                         std::abs(static_cast<long long>(header->biHeight))) >
                    kLargestCheckedPicture)
    return 0;
  qs3::PackedDibStatus status;
  const auto dib = qs3::DecodePackedDib(bytes, status);
  if (!dib) return 0;
  const std::size_t area = static_cast<std::size_t>(dib->header.biWidth) * dib->header.biHeight;
  if (dib->pixels.size() < dib->RowStride() * dib->header.biHeight) std::abort();
  if (dib->header.biBitCount == 8 && dib->pixels.size() < area + qs3::kPixelBlockSlack)
    std::abort();
  CheckRepack(*dib);
  return 0;
}
