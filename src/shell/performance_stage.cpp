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

void PerformanceStage::PresentWholeFrame(WindowHandle window) {
  const PixelBuffer& frame = graphics_.composeBuffer;
  if (!graphics_.hasStageBuffers || frame.Empty()) return;
  const Size size{frame.Width(), frame.Height()};
  const Rect whole = WholeFrame(size);
  services_.presenter.Present(window, {frame.Pixels(), size}, {&whole, 1});
}

}  // namespace qs3
