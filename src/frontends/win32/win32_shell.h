// Class registration, window creation and the message loop of the saver
// window; the window procedure forwards to the core's SaverWindow.
#pragma once

#include <windows.h>

#include "shell/entry.h"

namespace qs3::win32 {

class Win32Shell final : public SaverShell {
 public:
  explicit Win32Shell(HINSTANCE instance) : instance_(instance) {}
  ~Win32Shell() override;

  bool RegisterSaverClass() override;
  WindowHandle CreateSaverWindow(const SaverWindowParams& params, SaverWindow& logic) override;
  void ShowSaverWindow(WindowHandle window) override;
  int RunMessageLoop() override;
  void HideSaverWindow(WindowHandle window) override;
  WindowHandle CreateCoverWindow(const Rect& area, SaverWindow& logic) override;
  void PlaceWindow(WindowHandle window, const Rect& area) override;
  void DestroyCoverWindow(WindowHandle window) override;

 private:
  bool RegisterCoverClass();

  HINSTANCE instance_;
  bool classRegistered_ = false;
  bool coverClassRegistered_ = false;
  HWND saverWindow_ = nullptr;
};

}  // namespace qs3::win32
