#include "artgen/dialog/art_shapes.h"

#include <cmath>

namespace qs3::tools {

void AppendRoundedRect(cairo_t* cr, double x, double y, double width, double height,
                       double radius) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + width - radius, y + radius, radius, -M_PI / 2.0, 0.0);
  cairo_arc(cr, x + width - radius, y + height - radius, radius, 0.0, M_PI / 2.0);
  cairo_arc(cr, x + radius, y + height - radius, radius, M_PI / 2.0, M_PI);
  cairo_arc(cr, x + radius, y + radius, radius, M_PI, 1.5 * M_PI);
  cairo_close_path(cr);
}

}  // namespace qs3::tools
