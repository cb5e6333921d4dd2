// Shows the core's frames through the window's SDL surface: no GPU texture,
// the frame goes straight into the surface SDL hands to X11 (shared memory
// where the server offers it). Palettes mean nothing on a true-colour
// surface, so they are accepted and ignored.
#pragma once

#include <set>

#include "seam/frame_presenter.h"
#include "frontends/sdl/x11_windows.h"

namespace qs3::sdl {

// The saver's windows that X11 draws rather than SDL: previews, which live
// inside windows of other programs. Their handles are X11 window ids.
class X11DrawnWindows {
 public:
  void Add(WindowHandle window) { windows_.insert(window); }
  void Remove(WindowHandle window) { windows_.erase(window); }
  bool Contains(WindowHandle window) const { return windows_.contains(window); }

 private:
  std::set<WindowHandle> windows_;
};

class SdlPresenter final : public FramePresenter {
 public:
  SdlPresenter(const X11Connection& x11, const X11DrawnWindows& x11Drawn)
      : x11_(x11), x11Drawn_(x11Drawn) {}
  bool SelectAnimPalette(DeviceContext, const PaletteEntries& palette) override {
    return palette.count > 0;
  }
  void RestoreDesktopPalette() override {}
  // `window` is an SDL window id, or an X11 id of an X11-drawn window.
  void Present(WindowHandle window, const FrameView& frame) override;

 private:
  const X11Connection& x11_;
  const X11DrawnWindows& x11Drawn_;
};

// Copies 0x00RRGGBB pixels into the window's surface at its top-left corner
// (clipped to both) and shows it; false when the window has no surface.
bool PresentPixels(std::uint32_t windowId, const std::uint32_t* pixels, Size size);

}  // namespace qs3::sdl
