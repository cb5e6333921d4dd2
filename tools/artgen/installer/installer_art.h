// The installer's own pictures, as the BMP files its pages show: the tall
// picture beside the welcome and finish texts and the banner in the header
// of every other page.
#pragma once

#include <cstdint>
#include <vector>

namespace qs3::tools {

inline constexpr int kWelcomeWidth = 164;
inline constexpr int kWelcomeHeight = 314;
inline constexpr int kHeaderWidth = 150;
inline constexpr int kHeaderHeight = 57;

// The quartet's instruments on a lit stage under the product's name.
std::vector<std::uint8_t> DrawWelcomeBitmap();

// The violin and bow of the icon beside the product's name, on the same stage.
std::vector<std::uint8_t> DrawHeaderBitmap();

}  // namespace qs3::tools
