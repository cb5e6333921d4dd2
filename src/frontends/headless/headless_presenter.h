// Keeps a copy of what the window would show instead of showing it: each
// presented rectangle is copied into the stored frame, so it always holds the
// whole picture. The store is sized at the first frame (and whenever the
// frame's size changes) and reused after that.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "seam/frame_presenter.h"

namespace qs3 {

class HeadlessPresenter final : public FramePresenter {
 public:
  bool SelectAnimPalette(DeviceContext, const PaletteEntries& palette) override {
    palette_ = palette;
    paletteSelected_ = true;
    return true;
  }
  void RestoreDesktopPalette() override { paletteSelected_ = false; }
  void Present(WindowHandle, const FrameView& frame, std::span<const Rect> changed) override {
    const auto width = static_cast<std::size_t>(std::max(frame.size.width, 0));
    const auto height = static_cast<std::size_t>(std::max(frame.size.height, 0));
    if (frame.pixels.size() < width * height) return;
    if (!(size_ == frame.size)) {
      pixels_.assign(width * height, 0);
      size_ = frame.size;
    }
    ++framesPresented_;
    for (const Rect& rect : changed) {
      if (rect == WholeFrame(frame.size)) ++wholeFrames_;
      Copy(frame, rect, width);
    }
    rectsPresented_ += static_cast<long>(changed.size());
  }

  // The window's picture: every pixel presented so far.
  const std::vector<std::uint32_t>& Pixels() const { return pixels_; }
  Size FrameSize() const { return size_; }
  int FramesPresented() const { return framesPresented_; }
  int WholeFramesPresented() const { return wholeFrames_; }
  long RectsPresented() const { return rectsPresented_; }
  long long PixelsPresented() const { return pixelsPresented_; }
  const PaletteEntries& Palette() const { return palette_; }
  bool PaletteSelected() const { return paletteSelected_; }

 private:
  void Copy(const FrameView& frame, const Rect& rect, std::size_t width) {
    const Rect clipped{std::max(rect.left, 0), std::max(rect.top, 0),
                       std::min(rect.right, frame.size.width),
                       std::min(rect.bottom, frame.size.height)};
    if (clipped.right <= clipped.left || clipped.bottom <= clipped.top) return;
    const auto columns = static_cast<std::size_t>(clipped.right - clipped.left);
    for (int y = clipped.top; y < clipped.bottom; ++y) {
      const std::size_t at =
          static_cast<std::size_t>(y) * width + static_cast<std::size_t>(clipped.left);
      std::copy_n(frame.pixels.begin() + static_cast<std::ptrdiff_t>(at), columns,
                  pixels_.begin() + static_cast<std::ptrdiff_t>(at));
    }
    pixelsPresented_ += static_cast<long long>(columns) * (clipped.bottom - clipped.top);
  }

  PaletteEntries palette_;
  bool paletteSelected_ = false;
  std::vector<std::uint32_t> pixels_;
  Size size_;
  int framesPresented_ = 0;
  int wholeFrames_ = 0;
  long rectsPresented_ = 0;
  long long pixelsPresented_ = 0;
};

}  // namespace qs3
