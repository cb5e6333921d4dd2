#include "platform/win32/win32_presenter.h"

#include <cstddef>
#include <utility>
#include <vector>

#include "platform/win32/win32_handles.h"

namespace qs3::win32 {

namespace {

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

// Selects and realises a palette in a context for one scope, then puts the
// one that was there back.
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

// LOGPALETTE ends in a one-entry array; the storage holds all of them.
std::vector<std::byte> LogicalPaletteStorage(const PaletteEntries& palette) {
  std::vector<std::byte> storage(sizeof(LOGPALETTE) +
                                 sizeof(PALETTEENTRY) * static_cast<std::size_t>(palette.count));
  auto* logical = reinterpret_cast<LOGPALETTE*>(storage.data());
  logical->palVersion = 0x300;
  logical->palNumEntries = static_cast<WORD>(palette.count);
  for (int i = 0; i < palette.count; ++i) {
    const PaletteEntry& entry = palette.entries[static_cast<std::size_t>(i)];
    logical->palPalEntry[i] = {entry.red, entry.green, entry.blue, entry.flags};
  }
  return storage;
}

// 32 bits per pixel, rows top-down: 0x00RRGGBB in little-endian memory is
// already the blue, green, red, unused byte order of such a DIB.
BITMAPINFO TopDownDibInfo(Size size) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = size.width;
  info.bmiHeader.biHeight = -size.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace

Win32Presenter::~Win32Presenter() {
  RestoreDesktopPalette();
}

bool Win32Presenter::SelectAnimPalette(DeviceContext desktop, const PaletteEntries& palette) {
  if (palette.count <= 0 || palette.count > static_cast<int>(palette.entries.size())) return false;
  RestoreDesktopPalette();
  const std::vector<std::byte> storage = LogicalPaletteStorage(palette);
  UniquePalette created(CreatePalette(reinterpret_cast<const LOGPALETTE*>(storage.data())));
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

void Win32Presenter::Present(WindowHandle window, const FrameView& frame) {
  const auto pixelCount =
      static_cast<std::size_t>(frame.size.width) * static_cast<std::size_t>(frame.size.height);
  if (frame.size.width <= 0 || frame.size.height <= 0 || frame.pixels.size() < pixelCount) return;
  const WindowDc dc(ToHwnd(window));
  if (dc.Get() == nullptr) return;
  const ScopedPalette realised(dc.Get(), animPalette_.get());
  const BITMAPINFO info = TopDownDibInfo(frame.size);
  const auto height = static_cast<DWORD>(frame.size.height);
  SetDIBitsToDevice(dc.Get(), 0, 0, static_cast<DWORD>(frame.size.width), height, 0, 0, 0,
                    static_cast<UINT>(height), frame.pixels.data(), &info, DIB_RGB_COLORS);
}

}  // namespace qs3::win32
