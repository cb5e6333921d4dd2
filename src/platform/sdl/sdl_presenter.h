// Shows the core's frames through the window's SDL surface: no GPU texture,
// the frame goes straight into the surface SDL hands to X11 (shared memory
// where the server offers it). Palettes mean nothing on a true-colour
// surface, so they are accepted and ignored.
#pragma once

#include "platform/frame_presenter.h"

namespace qs3::sdl {

class SdlPresenter final : public FramePresenter {
 public:
  bool SelectAnimPalette(DeviceContext, const PaletteEntries& palette) override {
    return palette.count > 0;
  }
  void RestoreDesktopPalette() override {}
  // `window` is an SDL window id.
  void Present(WindowHandle window, const FrameView& frame) override;
};

// Copies 0x00RRGGBB pixels into the window's surface at its top-left corner
// (clipped to both) and shows it; false when the window has no surface.
bool PresentPixels(std::uint32_t windowId, const std::uint32_t* pixels, Size size);

}  // namespace qs3::sdl
