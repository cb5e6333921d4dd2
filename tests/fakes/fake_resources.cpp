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

void FakePresenter::Present(WindowHandle window, const FrameView& frame) {
  log_.Add("Present " + std::to_string(window) + " " + std::to_string(frame.size.width) + "x" +
           std::to_string(frame.size.height));
  lastFrame.assign(frame.pixels.begin(), frame.pixels.end());
  lastFrameSize = frame.size;
  ++framesPresented;
}

}  // namespace qs3::fakes
