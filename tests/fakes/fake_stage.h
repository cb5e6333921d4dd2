// A stage that records what the saver window asks of the music, graphics and
// performance, with scripted failures.
#pragma once

#include <string>

#include "fakes/call_log.h"
#include "shell/saver_stage.h"

namespace qs3::fakes {

class FakeStage final : public SaverStage {
 public:
  explicit FakeStage(CallLog& log) : log_(log) {}

  bool openMusicFails = false;
  bool loadSoundFails = false;
  bool initGraphicsFails = false;
  int framesComposed = 0;
  std::string loadedPath;
  StartupState graphicsStartup;
  bool restartsNext = false;  // what RestartsOnNextTick answers
  bool moveFails = false;

  bool OpenMusic(WindowHandle window) override;
  bool LoadSound(const char* path, int slot) override;
  bool PlaySlot(int slot, std::int32_t looped) override;
  void CloseMusic() override;
  bool InitGraphics(WindowHandle window, DeviceContext desktop,
                    const StartupState& startup) override;
  void ReleaseGraphics(WindowHandle window) override;
  void SeedRandom(std::uint32_t seed) override;
  void InitPerformance() override;
  void ReleasePositionBlock() override;
  void ComposeFrame(WindowHandle window, bool musicEnabled) override;
  void PresentWholeFrame(WindowHandle window) override;
  bool RestartsOnNextTick(bool) const override { return restartsNext; }
  bool MoveToScreen(Size size, bool placeNow) override;

 private:
  CallLog& log_;
};

}  // namespace qs3::fakes
