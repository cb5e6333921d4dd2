// The stage the saver window drives: the graphics state, the display list and
// the performance timeline, composed into one frame per timer tick; the
// rectangles the tick changed go to the front end's presenter. Owns all of its state, so two stages
// side by side never share anything.
#pragma once

#include "animation/timeline.h"
#include "audio/music_service.h"
#include "graphics/display_list.h"
#include "graphics/graphics_state.h"
#include "shell/saver_stage.h"

namespace qs3 {

class PerformanceStage : public SaverStage {
 public:
  // `music` plays the background music and is the clock the music timeline
  // follows while music is on.
  PerformanceStage(GraphicsServices services, MusicService& music)
      : services_(services), music_(music) {}

  bool OpenMusic(WindowHandle window) override { return music_.OpenMusic(window) != 0; }
  bool LoadSound(const char* path, int slot) override { return music_.LoadSound(path, slot) != 0; }
  bool PlaySlot(int slot, std::int32_t looped) override {
    return music_.PlaySlot(slot, looped) != 0;
  }
  void CloseMusic() override { music_.CloseMusic(); }

  bool InitGraphics(WindowHandle window, DeviceContext desktop,
                    const StartupState& startup) override;
  void ReleaseGraphics(WindowHandle window) override;

  void SeedRandom(std::uint32_t seed) override;
  void InitPerformance() override;
  void ReleasePositionBlock() override;

  void ComposeFrame(WindowHandle window, bool musicEnabled) override;
  bool RestartsOnNextTick(bool musicEnabled) const override;
  bool MoveToScreen(Size size, bool placeNow) override;
  void PresentWholeFrame(WindowHandle window) override;

  // For the headless renderer and tests: what the last frame showed and drew.
  const PixelBuffer& ComposeBuffer() const { return graphics_.composeBuffer; }
  const DisplayList& List() const { return list_; }
  const Timeline& Performance() const { return timeline_; }
  const GraphicsState& Graphics() const { return graphics_; }
  // Where the last frame's drawing changed the ComposeBuffer.
  std::span<const Rect> LastChanges() const { return changes_.View(); }

 private:
  GraphicsServices services_;
  MusicService& music_;
  StartupState startup_;
  GraphicsState graphics_;
  DisplayList list_;
  Timeline timeline_;
  ChangedRects changes_;
  // The first frame after the graphics are built is shown whole.
  bool wholeFramePending_ = true;
};

}  // namespace qs3
