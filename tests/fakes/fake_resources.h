// Picture resources and a display for the graphics: resources by id, with
// lookups recorded, and a presenter that records the palette and the frames.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "fakes/call_log.h"
#include "seam/frame_presenter.h"
#include "seam/resource_source.h"

namespace qs3::fakes {

class FakeResourceSource final : public ResourceSource {
 public:
  explicit FakeResourceSource(CallLog& log) : log_(log) {}
  // Starts with the shipped pictures.
  void AddShippedPictures();

  std::map<int, std::vector<std::uint8_t>> resources;

  std::optional<ResourceBytes> FindResourceBytes(int id) override;

 private:
  CallLog& log_;
};

class FakePresenter final : public FramePresenter {
 public:
  explicit FakePresenter(CallLog& log) : log_(log) {}

  bool paletteFails = false;
  PaletteEntries palette;
  // The window's picture: the presented rectangles copied in.
  std::vector<std::uint32_t> lastFrame;
  Size lastFrameSize;
  std::vector<Rect> lastRects;
  int framesPresented = 0;

  bool SelectAnimPalette(DeviceContext desktop, const PaletteEntries& entries) override;
  void RestoreDesktopPalette() override;
  void Present(WindowHandle window, const FrameView& frame, std::span<const Rect> changed) override;

 private:
  CallLog& log_;
};

}  // namespace qs3::fakes
