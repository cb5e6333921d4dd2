// GDI pieces shared by the saver's presenter and the settings window: a
// window's context for one scope, a palette selected for one scope, logical
// palettes from the core's entries and top-down 32-bit DIBs.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

#include "graphics/sheet_bitmaps.h"
#include "seam/types.h"

namespace qs3::win32 {

// A window's device context, released when the scope ends.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint and EndPaint around one WM_PAINT.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  ~PaintScope() { EndPaint(window_, &paint_); }
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// Selects a palette as a foreground palette and realises it for one scope,
// then puts the one that was there back. A null palette does nothing.
class ScopedPalette {
 public:
  ScopedPalette(HDC dc, HPALETTE palette)
      : dc_(dc), previous_(palette != nullptr ? SelectPalette(dc, palette, FALSE) : nullptr) {
    if (previous_ != nullptr) RealizePalette(dc_);
  }
  ScopedPalette(const ScopedPalette&) = delete;
  ScopedPalette& operator=(const ScopedPalette&) = delete;
  ~ScopedPalette() {
    if (previous_ != nullptr) SelectPalette(dc_, previous_, FALSE);
  }

 private:
  HDC dc_;
  HPALETTE previous_;
};

struct PaletteDeleter {
  void operator()(HPALETTE palette) const { DeleteObject(palette); }
};
using UniquePalette = std::unique_ptr<std::remove_pointer_t<HPALETTE>, PaletteDeleter>;

// A logical palette of the entries; null when there are none or it cannot be made.
UniquePalette CreateLogicalPalette(const PaletteEntries& palette);

// Copies width x height pixels (0x00RRGGBB, rows top-down, `pixels` holding
// at least that many) to the context at (0, 0).
void DrawPixels(HDC dc, const std::uint32_t* pixels, Size size);
// Copies one rectangle of such a picture to the same place in the context;
// the rectangle must lie inside the picture.
void DrawPixels(HDC dc, const std::uint32_t* pixels, Size size, const Rect& rect);

}  // namespace qs3::win32
