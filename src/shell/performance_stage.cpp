#include "shell/performance_stage.h"

#include "graphics/draw_list.h"

namespace qs3 {

bool PerformanceStage::InitGraphics(WindowHandle window, DeviceContext desktop,
                                    const StartupState& startup) {
  startup_ = startup;
  const GraphicsTarget target{startup.mode, startup.stageSize, startup.scaleFactor};
  wholeFramePending_ = true;
  return qs3::InitGraphics(graphics_, services_, target, window, desktop);
}

void PerformanceStage::ReleaseGraphics(WindowHandle window) {
  qs3::ReleaseGraphics(graphics_, services_, window);
}

void PerformanceStage::SeedRandom(std::uint32_t seed) {
  qs3::SeedRandom(timeline_.random, seed);
}

void PerformanceStage::InitPerformance() {
  qs3::InitPerformance(timeline_, startup_.screenSize, startup_.mode, startup_.scaleFactor);
}

void PerformanceStage::ReleasePositionBlock() {
  timeline_.positionBlock = {};
}

void PerformanceStage::ComposeFrame(WindowHandle window, bool musicEnabled) {
  // Some input methods switch themselves back on; a full-screen saver keeps
  // them off so that a key press reaches the window instead of a composition.
  if (startup_.mode == SaverMode::FullScreen) services_.host.EnableInputMethod(false);
  if (musicEnabled) {
    MusicTimelineTick(timeline_, list_, music_);
  } else {
    SilentTimelineTick(timeline_, list_);
  }
  graphics_.changes.DrawTracked(list_, graphics_.composeBuffer, graphics_.stageBuffer,
                                graphics_.sheets, changes_);
  if (wholeFramePending_) {
    wholeFramePending_ = false;
    PresentWholeFrame(window);
    return;
  }
  // A tick that changed no pixel shows nothing new.
  if (changes_.Empty()) return;
  const PixelBuffer& frame = graphics_.composeBuffer;
  services_.presenter.Present(window, {frame.Pixels(), {frame.Width(), frame.Height()}},
                              changes_.View());
}

bool PerformanceStage::RestartsOnNextTick(bool musicEnabled) const {
  return qs3::RestartsOnNextTick(timeline_, musicEnabled);
}

bool PerformanceStage::MoveToScreen(Size size, bool placeNow) {
  const PixelBuffer& frame = graphics_.composeBuffer;
  const bool sameSize = size == Size{frame.Width(), frame.Height()};
  // A performance placed anew mid-way starts from black buffers: what it
  // showed where it stood must not stay behind.
  if ((!sameSize || placeNow) && !ReshapeStageBuffers(graphics_, size)) return false;
  SetScreen(timeline_, size);
  if (placeNow) PlaceQuartet(timeline_);
  wholeFramePending_ = true;
  return true;
}

void PerformanceStage::PresentWholeFrame(WindowHandle window) {
  const PixelBuffer& frame = graphics_.composeBuffer;
  if (!graphics_.hasStageBuffers || frame.Empty()) return;
  const Size size{frame.Width(), frame.Height()};
  const Rect whole = WholeFrame(size);
  services_.presenter.Present(window, {frame.Pixels(), size}, {&whole, 1});
}

}  // namespace qs3
