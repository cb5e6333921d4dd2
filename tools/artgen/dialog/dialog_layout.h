// Where things sit in the settings window and in its art, and the drawing
// steps that fill them. Window coordinates are client pixels; the art shows
// client pixel (x, y) at art pixel (x, y + kBackgroundTop).
#pragma once

#include <cairo.h>

namespace qs3::tools::dialog {

inline constexpr int kArtWidth = 344;
inline constexpr int kArtHeight = 560;
inline constexpr int kBackgroundTop = 224;
inline constexpr int kBackgroundHeight = kArtHeight - kBackgroundTop;
inline constexpr int kPressedOffset = 32;

// Everything that matters stays inside this part of the client area: the
// window comes out a few pixels smaller than 344 x 288.
inline constexpr int kSafeWidth = 319;
inline constexpr int kSafeHeight = 271;

struct Rect {
  int x;
  int y;
  int width;
  int height;
};

inline constexpr Rect kOkButton{120, 239, 96, 32};
inline constexpr Rect kCancelButton{223, 239, 96, 32};
inline constexpr Rect kMusicSwitch{60, 187, 80, 28};
static_assert(kCancelButton.x + kCancelButton.width <= kSafeWidth &&
                  kCancelButton.y + kCancelButton.height <= kSafeHeight,
              "the buttons must stay inside the smallest client area");

enum class LookState { kNormal, kPressed };

// Background of the whole art height below kBackgroundTop, drawn in client
// coordinates onto an opaque surface of kArtWidth x kBackgroundHeight.
void DrawBackground(cairo_t* cr);

// Each look fills a transparent surface of its button's size.
void DrawPlaqueLook(cairo_t* cr, const char* caption, LookState state);
void DrawSwitchLook(cairo_t* cr, bool on, LookState state);

}  // namespace qs3::tools::dialog
