#include "fakes/fake_resources.h"

#include "embedded/embedded_resources.h"

namespace qs3::fakes {

void FakeResourceSource::AddShippedPictures() {
  for (const EmbeddedResource& resource : EmbeddedResources())
    resources[resource.id].assign(resource.data, resource.data + resource.size);
}

std::optional<ResourceBytes> FakeResourceSource::FindResourceBytes(int id) {
  log_.Add("FindResource " + std::to_string(id));
  const auto found = resources.find(id);
  if (found == resources.end()) return std::nullopt;
  return ResourceBytes(found->second);
}

bool FakePresenter::SelectAnimPalette(DeviceContext desktop, const PaletteEntries& entries) {
  log_.Add("SelectAnimPalette " + std::to_string(desktop) + " " + std::to_string(entries.count));
  if (paletteFails) return false;
  palette = entries;
  return true;
}

void FakePresenter::RestoreDesktopPalette() {
  log_.Add("RestoreDesktopPalette");
}

// "Present WINDOW WxH" and each rectangle as " L,T-R,B".
void FakePresenter::Present(WindowHandle window, const FrameView& frame,
                            std::span<const Rect> changed) {
  std::string call = "Present " + std::to_string(window) + " " + std::to_string(frame.size.width) +
                     "x" + std::to_string(frame.size.height);
  const auto width = static_cast<std::size_t>(frame.size.width);
  if (!(lastFrameSize == frame.size)) lastFrame.assign(frame.pixels.size(), 0);
  for (const Rect& r : changed) {
    call += " " + std::to_string(r.left) + "," + std::to_string(r.top) + "-" +
            std::to_string(r.right) + "," + std::to_string(r.bottom);
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        const std::size_t at = static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x);
        lastFrame[at] = frame.pixels[at];
      }
  }
  log_.Add(call);
  lastFrameSize = frame.size;
  lastRects.assign(changed.begin(), changed.end());
  ++framesPresented;
}

}  // namespace qs3::fakes
