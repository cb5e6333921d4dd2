// A front end that creates the saver window the way the OS does (WM_CREATE
// inside creation), runs a scripted message loop and records its calls.
#pragma once

#include <functional>
#include <map>

#include "fakes/call_log.h"
#include "fakes/fake_host.h"
#include "shell/entry.h"

namespace qs3::fakes {

class FakeShell final : public SaverShell {
 public:
  FakeShell(CallLog& log, FakeHost& host) : log_(log), host_(host) {}

  bool registerFails = false;
  bool createFails = false;
  WindowHandle windowToCreate = 0x5000;
  // Messages delivered while the loop runs.
  std::function<void(SaverWindow&)> duringLoop;

  SaverWindowParams createdWith;
  bool loopEndedByQuit = false;

  bool RegisterSaverClass() override;
  WindowHandle CreateSaverWindow(const SaverWindowParams& params, SaverWindow& logic) override;
  void ShowSaverWindow(WindowHandle window) override;
  int RunMessageLoop() override;
  void HideSaverWindow(WindowHandle window) override;
  WindowHandle CreateCoverWindow(const Rect& area, SaverWindow& logic) override;
  void PlaceWindow(WindowHandle window, const Rect& area) override;
  void DestroyCoverWindow(WindowHandle window) override;

  // Covers: the next one made gets this handle (then one more each time);
  // creation fails while `coverFails` is set.
  WindowHandle nextCover = 0x6000;
  bool coverFails = false;
  // Where each live window stands: the saver window once placed, and every cover.
  std::map<WindowHandle, Rect> placed;

 private:
  CallLog& log_;
  FakeHost& host_;
  SaverWindow* logic_ = nullptr;
};

}  // namespace qs3::fakes
