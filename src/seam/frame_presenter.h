// What the graphics expect of the display: the AnimPalette made current on
// the desktop (it matters on 256-colour displays) and whole frames shown in
// the saver window. The Win32 front end maps this onto a logical palette and
// SetDIBitsToDevice; the headless front end keeps the frames.
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

class FramePresenter {
 public:
  virtual ~FramePresenter() = default;
  // Creates the AnimPalette, selects it into the desktop's context (keeping
  // the one that was there) and realises it. False when it cannot be created.
  virtual bool SelectAnimPalette(DeviceContext desktop, const PaletteEntries& palette) = 0;
  // Puts the kept palette back on the desktop and deletes the AnimPalette;
  // nothing when none was selected.
  virtual void RestoreDesktopPalette() = 0;
  // Shows the whole frame at the window's top-left corner, with the
  // AnimPalette realised in the window for the copy.
  virtual void Present(WindowHandle window, const FrameView& frame) = 0;
};

}  // namespace qs3
