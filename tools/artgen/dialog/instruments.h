// Vector drawings of the violin family and a bow, shared by the settings art
// and the icon. Every instrument is drawn in its own frame: the origin is the
// top centre of the body, y grows toward the tail, and one unit is the body
// length; the caller places the frame with cairo's transformation.
#pragma once

#include <cairo.h>

namespace qs3::tools {

struct WoodTones {
  double light[3];  // the varnish where the light falls
  double dark[3];   // the varnish at the rim
  double ebony[3];  // fingerboard, pegs, tailpiece
};

// A deep amber varnish that reads well on dark grounds.
WoodTones AmberVarnish();

enum class InstrumentDetail {
  kFull,    // f-holes, strings, bridge, purfling, pegs
  kSimple,  // body, neck, fingerboard and scroll only (small sizes)
};

struct InstrumentShape {
  double neckLength = 0.66;  // top of the body to the tip of the scroll
  double endpin = 0.0;       // cello: spike below the tail
  InstrumentDetail detail = InstrumentDetail::kFull;
  double neckScale = 1.0;  // wider neck and scroll, so that they survive tiny sizes
};

inline constexpr InstrumentShape kViolin{0.66, 0.0, InstrumentDetail::kFull, 1.0};
inline constexpr InstrumentShape kViola = kViolin;  // the same outline, drawn larger
inline constexpr InstrumentShape kCello{0.62, 0.16, InstrumentDetail::kFull, 1.0};

// Draws one instrument in the current frame.
void DrawInstrument(cairo_t* cr, const InstrumentShape& shape, const WoodTones& wood);

// Adds the outline of the body (without the neck) to the current path.
void AppendBodyPath(cairo_t* cr);

// A bow from `tip` to `frog` (user coordinates), stick thickness `width`.
void DrawBow(cairo_t* cr, double tipX, double tipY, double frogX, double frogY, double width,
             const WoodTones& wood);

}  // namespace qs3::tools
