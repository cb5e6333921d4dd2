// An 8-bit palette image as the art tools handle it: rows top to bottom,
// one byte per pixel, and a 256-entry colour table.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qs3::tools {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

using Palette = std::array<Rgb, 256>;

struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height, top row first
  Palette palette{};

  IndexedImage() = default;
  IndexedImage(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, 0) {}

  std::uint8_t& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  std::uint8_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }

  // Copies `source` into this image with its top-left corner at (x, y),
  // clipped to this image. The palette is left alone.
  void Paste(const IndexedImage& source, int x, int y);
};

// PNG with a PLTE chunk (colour type 3, 8 bits). Writes all 256 entries so
// that the colour table survives a round trip.
bool WriteIndexedPng(const IndexedImage& image, const std::filesystem::path& path,
                     std::string& error);

// Reads a palette PNG (colour type 3, bit depth 8 or less). Any other kind of
// PNG is refused with a reason.
std::optional<IndexedImage> ReadIndexedPng(const std::filesystem::path& path, std::string& error);

// 32-bit 0x00RRGGBB pixels, rows top to bottom, written as an RGB PNG.
bool WriteRgbPng(std::span<const std::uint32_t> pixels, int width, int height,
                 const std::filesystem::path& path, std::string& error);

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first
};

// Reads an 8-bit RGB PNG (colour type 2) such as WriteRgbPng writes.
std::optional<RgbImage> ReadRgbPng(const std::filesystem::path& path, std::string& error);

bool WriteBytes(const std::vector<std::uint8_t>& bytes, const std::filesystem::path& path,
                std::string& error);
std::optional<std::vector<std::uint8_t>> ReadBytes(const std::filesystem::path& path,
                                                   std::string& error);

}  // namespace qs3::tools
