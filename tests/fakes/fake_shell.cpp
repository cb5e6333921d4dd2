#include "fakes/fake_shell.h"

#include <string>

namespace qs3::fakes {

bool FakeShell::RegisterSaverClass() {
  log_.Add("RegisterClass");
  return !registerFails;
}

WindowHandle FakeShell::CreateSaverWindow(const SaverWindowParams& params, SaverWindow& logic) {
  log_.Add("CreateWindow " + params.title);
  createdWith = params;
  if (createFails) return kNoWindow;
  logic_ = &logic;
  logic.OnCreate(windowToCreate);
  return windowToCreate;
}

void FakeShell::ShowSaverWindow(WindowHandle) {
  log_.Add("ShowWindow");
}

int FakeShell::RunMessageLoop() {
  log_.Add("MessageLoop");
  if (duringLoop && host_.quitCount == 0) duringLoop(*logic_);
  loopEndedByQuit = host_.quitCount > 0;
  return loopEndedByQuit ? host_.lastExitCode : -1;
}

void FakeShell::HideSaverWindow(WindowHandle) {
  log_.Add("HideWindow");
  logic_ = nullptr;
}

std::string AreaText(const Rect& area) {
  return std::to_string(area.left) + "," + std::to_string(area.top) + "," +
         std::to_string(area.right) + "," + std::to_string(area.bottom);
}

WindowHandle FakeShell::CreateCoverWindow(const Rect& area, SaverWindow&) {
  log_.Add("CreateCover " + AreaText(area));
  if (coverFails) return kNoWindow;
  const WindowHandle cover = nextCover++;
  placed[cover] = area;
  return cover;
}

void FakeShell::PlaceWindow(WindowHandle window, const Rect& area) {
  log_.Add("PlaceWindow " + std::to_string(window) + " " + AreaText(area));
  placed[window] = area;
}

void FakeShell::DestroyCoverWindow(WindowHandle window) {
  log_.Add("DestroyCover " + std::to_string(window));
  placed.erase(window);
}

}  // namespace qs3::fakes
