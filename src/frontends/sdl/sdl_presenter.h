// Shows the core's frames through the window's SDL surface: no GPU texture,
// each changed rectangle goes straight into the surface SDL hands to X11
// (shared memory where the server offers it), and only those rectangles are
// sent on. The surface keeps the whole picture between frames. Palettes mean
// nothing on a true-colour surface, so they are accepted and ignored.
#pragma once

#include <optional>
#include <set>
#include <span>

#include "frontends/sdl/x11_windows.h"
#include "seam/frame_presenter.h"

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

// Which window surface was drawn into last: SDL makes a new one, holding
// nothing of the picture, when the window's size changes.
struct SurfaceMark {
  const void* surface = nullptr;
  const void* pixels = nullptr;
  int width = 0;
  int height = 0;
  friend bool operator==(const SurfaceMark&, const SurfaceMark&) = default;
};

// Copies rectangles of a picture of 0x00RRGGBB pixels into the window's
// surface at the same places (clipped to the surface) and shows them; the
// whole picture when the surface is not the one `mark` names, which it then
// names. False when the window has no surface.
bool PresentRects(std::uint32_t windowId, const std::uint32_t* pixels, Size size,
                  std::span<const Rect> rects, SurfaceMark& mark);
// The whole picture at the window's top-left corner.
bool PresentPixels(std::uint32_t windowId, const std::uint32_t* pixels, Size size);

class SdlPresenter final : public FramePresenter {
 public:
  SdlPresenter(const X11Connection& x11, const X11DrawnWindows& x11Drawn)
      : x11_(x11), x11Drawn_(x11Drawn) {}
  bool SelectAnimPalette(DeviceContext, const PaletteEntries& palette) override {
    return palette.count > 0;
  }
  void RestoreDesktopPalette() override {}
  // `window` is an SDL window id, or an X11 id of an X11-drawn window.
  void Present(WindowHandle window, const FrameView& frame, std::span<const Rect> changed) override;

 private:
  const X11Connection& x11_;
  const X11DrawnWindows& x11Drawn_;
  SurfaceMark surfaceMark_;
};

}  // namespace qs3::sdl
