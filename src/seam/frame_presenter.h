// What the graphics expect of the display: the AnimPalette made current on
// the desktop (it matters on 256-colour displays) and frames shown in the
// saver window. The window shows the whole frame at every moment; a tick
// hands over only the rectangles it changed, a repaint the whole frame. The
// Win32 front end maps this onto a logical palette and SetDIBitsToDevice;
// the headless front end keeps the frames.
#pragma once

#include <cstdint>
#include <span>

#include "seam/types.h"

namespace qs3 {

// Pixels 0x00RRGGBB, rows top-down, size.width * size.height of them.
struct FrameView {
  std::span<const std::uint32_t> pixels;
  Size size;
};

// The one rectangle of a whole frame of this size.
constexpr Rect WholeFrame(Size size) {
  return {0, 0, size.width, size.height};
}

class FramePresenter {
 public:
  virtual ~FramePresenter() = default;
  // Creates the AnimPalette, selects it into the desktop's context (keeping
  // the one that was there) and realises it. False when it cannot be created.
  virtual bool SelectAnimPalette(DeviceContext desktop, const PaletteEntries& palette) = 0;
  // Puts the kept palette back on the desktop and deletes the AnimPalette;
  // nothing when none was selected.
  virtual void RestoreDesktopPalette() = 0;
  // Copies each rectangle of the frame to the same place in the window, whose
  // top-left corner is the frame's, with the AnimPalette realised in the
  // window for the copy; the rest of the window keeps what it shows. Every
  // rectangle lies inside the frame and none is empty; a whole frame is
  // WholeFrame(frame.size). A front end that has lost what the window showed
  // (a new window surface) shows the whole frame instead.
  virtual void Present(WindowHandle window, const FrameView& frame,
                       std::span<const Rect> changed) = 0;
};

}  // namespace qs3
