// Encoder of the PackedDib format (the decoder lives in the core).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/indexed_image.h"

namespace qs3::tools {

// Runs shorter than this are written as literals.
inline constexpr int kShortestRun = 4;

// Packs an 8-bit picture: header (40, w, h, 1, 8, 0, 0, 0, 0, 256, 0), the
// 256-entry colour table, the stream bottom row first, the end code, then
// zero padding to a multiple of 4 bytes (at least one byte). Refuses a
// picture that uses index 255 (it has no code in the stream) or whose width
// is not a multiple of 4 (rows would need padding), saying why in `error`.
std::optional<std::vector<std::uint8_t>> EncodePackedDib(const IndexedImage& image,
                                                         std::string& error);

// The packed stream alone (codes and end code) of pixels in stream order.
std::vector<std::uint8_t> PackPixelStream(const std::vector<std::uint8_t>& pixels);

}  // namespace qs3::tools
