// Shows the core's frames: on X11 each changed rectangle goes to the window
// through Xlib (shared memory where the server offers it); elsewhere into the
// window's SDL surface (no GPU texture), which keeps the whole picture
// between frames, and only those rectangles are sent on. Palettes mean
// nothing on a true-colour display, so they are accepted and ignored.
#pragma once

#include <map>
#include <optional>
#include <span>

#include "frontends/sdl/x11_windows.h"
#include "seam/frame_presenter.h"

namespace qs3::sdl {

// The saver's windows that Xlib draws rather than SDL, by their handles:
// previews, which live inside windows of other programs (the handle is the X
// window id), and the full-screen SDL window where it is an X window (the
// handle is SDL's id). Xlib puts the changed rectangles straight into the
// window, which keeps the picture, where SDL's window surface would hold a
// second whole copy of the frame.
class X11DrawnWindows {
 public:
  void Add(WindowHandle window, XWindowId drawable) { windows_[window] = drawable; }
  void Remove(WindowHandle window) { windows_.erase(window); }
  std::optional<XWindowId> Find(WindowHandle window) const {
    const auto found = windows_.find(window);
    if (found == windows_.end()) return std::nullopt;
    return found->second;
  }

 private:
  std::map<WindowHandle, XWindowId> windows_;
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
  // `window` is an SDL window id, or an X11 id of a preview.
  void Present(WindowHandle window, const FrameView& frame, std::span<const Rect> changed) override;

 private:
  const X11Connection& x11_;
  const X11DrawnWindows& x11Drawn_;
  SurfaceMark surfaceMark_;
};

}  // namespace qs3::sdl
