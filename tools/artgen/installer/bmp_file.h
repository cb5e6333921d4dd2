// An opaque cairo surface as a Windows BMP file.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <vector>

namespace qs3::tools {

// BITMAPFILEHEADER, BITMAPINFOHEADER and bottom-up 24-bit BGR rows padded to
// 4 bytes: the form every BMP reader takes, the installer's among them. The
// surface is read as opaque (its colour composed over black).
std::vector<std::uint8_t> EncodeBmp24(cairo_surface_t* surface);

}  // namespace qs3::tools
