#include "common/packed_dib_encode.h"

#include <algorithm>

namespace qs3::tools {

namespace {

constexpr std::uint8_t kEscape = 0xFF;

void Append16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Append32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Append16(out, value & 0xFFFFu);
  Append16(out, value >> 16);
}

void AppendStretch(std::vector<std::uint8_t>& out, std::uint8_t value, std::size_t length) {
  while (length >= static_cast<std::size_t>(kShortestRun)) {
    const std::size_t chunk = std::min<std::size_t>(length, 255);
    out.insert(out.end(), {kEscape, value, static_cast<std::uint8_t>(chunk)});
    length -= chunk;
  }
  out.insert(out.end(), length, value);
}

std::optional<std::string> FindUnencodable(const IndexedImage& image) {
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<std::size_t>(image.width) * image.height)
    return "the picture has no pixels or a pixel count that does not match its size";
  if (image.width % 4 != 0)
    return "the width " + std::to_string(image.width) + " is not a multiple of 4";
  const auto found = std::find(image.pixels.begin(), image.pixels.end(), kEscape);
  if (found != image.pixels.end()) {
    const auto at = static_cast<int>(found - image.pixels.begin());
    return "pixel (" + std::to_string(at % image.width) + ", " + std::to_string(at / image.width) +
           ") uses index 255, which the packed stream cannot express";
  }
  return std::nullopt;
}

}  // namespace

std::vector<std::uint8_t> PackPixelStream(const std::vector<std::uint8_t>& pixels) {
  std::vector<std::uint8_t> out;
  std::size_t i = 0;
  while (i < pixels.size()) {
    std::size_t end = i + 1;
    while (end < pixels.size() && pixels[end] == pixels[i]) ++end;
    AppendStretch(out, pixels[i], end - i);
    i = end;
  }
  out.insert(out.end(), {kEscape, kEscape});
  return out;
}

std::optional<std::vector<std::uint8_t>> EncodePackedDib(const IndexedImage& image,
                                                         std::string& error) {
  if (const auto problem = FindUnencodable(image)) {
    error = *problem;
    return std::nullopt;
  }
  std::vector<std::uint8_t> out;
  for (std::uint32_t field :
       {40u, static_cast<std::uint32_t>(image.width), static_cast<std::uint32_t>(image.height)})
    Append32(out, field);
  Append16(out, 1);  // biPlanes
  Append16(out, 8);  // biBitCount
  for (std::uint32_t field : {0u, 0u, 0u, 0u, 256u, 0u}) Append32(out, field);
  for (const Rgb& colour : image.palette) out.insert(out.end(), {colour.b, colour.g, colour.r, 0});
  // The stream runs from the bottom row up, as a DIB stores its rows.
  std::vector<std::uint8_t> bottomUp;
  bottomUp.reserve(image.pixels.size());
  for (int y = image.height - 1; y >= 0; --y) {
    const auto row = image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width;
    bottomUp.insert(bottomUp.end(), row, row + image.width);
  }
  const std::vector<std::uint8_t> stream = PackPixelStream(bottomUp);
  out.insert(out.end(), stream.begin(), stream.end());
  out.insert(out.end(), 4 - out.size() % 4, 0);
  return out;
}

}  // namespace qs3::tools
