#include "fakes/fake_stage.h"

#include <string>

namespace qs3::fakes {

bool FakeStage::OpenMusic(WindowHandle) {
  log_.Add("OpenMusic");
  return !openMusicFails;
}

bool FakeStage::LoadSound(const char* path, int slot) {
  log_.Add("LoadSound " + std::to_string(slot));
  loadedPath = path;
  return !loadSoundFails;
}

bool FakeStage::PlaySlot(int slot, std::int32_t looped) {
  log_.Add("PlaySlot " + std::to_string(slot) + " " + std::to_string(looped));
  return true;
}

void FakeStage::CloseMusic() {
  log_.Add("CloseMusic");
}

bool FakeStage::InitGraphics(WindowHandle, DeviceContext desktop, const StartupState& startup) {
  graphicsStartup = startup;
  log_.Add("InitGraphics " + std::to_string(desktop));
  return !initGraphicsFails;
}

void FakeStage::ReleaseGraphics(WindowHandle) {
  log_.Add("ReleaseGraphics");
}

void FakeStage::SeedRandom(std::uint32_t seed) {
  log_.Add("SeedRandom " + std::to_string(seed));
}

void FakeStage::InitPerformance() {
  log_.Add("InitPerformance");
}

void FakeStage::ReleasePositionBlock() {
  log_.Add("ReleasePositionBlock");
}

void FakeStage::ComposeFrame(WindowHandle, bool musicEnabled) {
  log_.Add(musicEnabled ? "ComposeFrame music" : "ComposeFrame");
  ++framesComposed;
}

bool FakeStage::MoveToScreen(Size size, bool placeNow) {
  log_.Add("MoveToScreen " + std::to_string(size.width) + "x" + std::to_string(size.height) +
           (placeNow ? " now" : ""));
  return !moveFails;
}

void FakeStage::PresentWholeFrame(WindowHandle) {
  log_.Add("PresentWholeFrame");
}

}  // namespace qs3::fakes
