// The .ico container: a directory of images, each either a 32-bit DIB with
// alpha and an AND mask, or a PNG (the form Windows expects at 256 pixels).
#pragma once

#include <cairo.h>

#include <cstdint>
#include <vector>

namespace qs3::tools {

struct IconImage {
  int size = 0;                     // width and height in pixels
  std::vector<std::uint8_t> bytes;  // the entry's data as stored in the file
};

// A square ARGB32 surface as BITMAPINFOHEADER, bottom-up BGRA rows with
// straight (not premultiplied) alpha, and a 1-bit mask set where the pixel
// is mostly transparent.
IconImage DibIconImage(cairo_surface_t* surface);

// A square ARGB32 surface as PNG bytes.
IconImage PngIconImage(cairo_surface_t* surface);

// ICONDIR, one ICONDIRENTRY per image, then the images in the same order.
std::vector<std::uint8_t> AssembleIconFile(const std::vector<IconImage>& images);

}  // namespace qs3::tools
