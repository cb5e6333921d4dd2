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

}  // namespace qs3::fakes
