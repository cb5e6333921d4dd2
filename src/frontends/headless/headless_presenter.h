// Keeps each presented frame instead of showing it. The frame store is sized
// once, at the first frame, and reused after that.
#pragma once

#include <algorithm>
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
  void Present(WindowHandle, const FrameView& frame) override {
    pixels_.resize(frame.pixels.size());
    std::copy(frame.pixels.begin(), frame.pixels.end(), pixels_.begin());
    size_ = frame.size;
    ++framesPresented_;
  }

  const std::vector<std::uint32_t>& Pixels() const { return pixels_; }
  Size FrameSize() const { return size_; }
  int FramesPresented() const { return framesPresented_; }
  const PaletteEntries& Palette() const { return palette_; }
  bool PaletteSelected() const { return paletteSelected_; }

 private:
  PaletteEntries palette_;
  bool paletteSelected_ = false;
  std::vector<std::uint32_t> pixels_;
  Size size_;
  int framesPresented_ = 0;
};

}  // namespace qs3
