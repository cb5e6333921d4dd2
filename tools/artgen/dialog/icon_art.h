// The quartet motif as a Windows icon file.
#pragma once

#include <cstdint>
#include <vector>

namespace qs3::tools {

// The bytes of an .ico file holding 16, 32 and 48 pixel images (32-bit DIBs
// with alpha) and a 256 pixel image (PNG).
std::vector<std::uint8_t> DrawIconFile();

}  // namespace qs3::tools
