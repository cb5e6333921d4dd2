#include "frontends/win32/win32_presenter.h"

#include <cstddef>
#include <utility>

#include "frontends/win32/win32_handles.h"

namespace qs3::win32 {

Win32Presenter::~Win32Presenter() {
  RestoreDesktopPalette();
}

bool Win32Presenter::SelectAnimPalette(DeviceContext desktop, const PaletteEntries& palette) {
  if (palette.count <= 0 || palette.count > static_cast<int>(palette.entries.size())) return false;
  RestoreDesktopPalette();
  UniquePalette created = CreateLogicalPalette(palette);
  if (!created) return false;
  const auto desktopDc = reinterpret_cast<HDC>(desktop);
  previousDesktopPalette_ = SelectPalette(desktopDc, created.get(), FALSE);
  RealizePalette(desktopDc);
  animPalette_ = std::move(created);
  return true;
}

void Win32Presenter::RestoreDesktopPalette() {
  if (!animPalette_) return;
  const WindowDc desktop(GetDesktopWindow());
  if (desktop.Get() != nullptr && previousDesktopPalette_ != nullptr) {
    SelectPalette(desktop.Get(), previousDesktopPalette_, FALSE);
    RealizePalette(desktop.Get());
  }
  animPalette_.reset();
  previousDesktopPalette_ = nullptr;
}

void Win32Presenter::Present(WindowHandle window, const FrameView& frame,
                             std::span<const Rect> changed) {
  const auto pixelCount =
      static_cast<std::size_t>(frame.size.width) * static_cast<std::size_t>(frame.size.height);
  if (frame.size.width <= 0 || frame.size.height <= 0 || frame.pixels.size() < pixelCount) return;
  if (changed.empty()) return;
  const WindowDc dc(ToHwnd(window));
  if (dc.Get() == nullptr) return;
  // A palette matters only to a palette device; elsewhere realising it costs
  // without changing a pixel.
  const bool paletteDevice = (GetDeviceCaps(dc.Get(), RASTERCAPS) & RC_PALETTE) != 0;
  const ScopedPalette realised(dc.Get(), paletteDevice ? animPalette_.get() : nullptr);
  for (const Rect& rect : changed) DrawPixels(dc.Get(), frame.pixels.data(), frame.size, rect);
}

}  // namespace qs3::win32
