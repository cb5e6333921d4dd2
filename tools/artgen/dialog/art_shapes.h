// Small path helpers shared by the settings art and the icon.
#pragma once

#include <cairo.h>

namespace qs3::tools {

// A rectangle with quarter-circle corners; a radius of half the height gives
// a pill.
void AppendRoundedRect(cairo_t* cr, double x, double y, double width, double height, double radius);

}  // namespace qs3::tools
