// A window manager for the settings window: classes, windows and the mouse
// capture as plain state, WM_CREATE and WM_DESTROY delivered to the attached
// dialog the way the OS delivers them, and every call recorded.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>

#include "config_ui/config_dialog.h"
#include "fakes/call_log.h"
#include "seam/config_windows.h"

namespace qs3::fakes {

class FakeConfigWindows final : public ConfigWindowSystem {
 public:
  explicit FakeConfigWindows(CallLog& log) : log_(log) {}

  // Scripted answers.
  std::set<std::string> failRegistration;  // class names
  std::set<std::string> failCreation;      // class names, the settings window's included
  bool paletteFails = false;
  DialogFrameMetrics metrics{3, 3, 18};
  Point cursor;
  // Runs inside the message loop, with the dialog attached.
  std::function<void(FakeConfigWindows&)> duringLoop;

  // What happened.
  ConfigWindowParams createdWith;
  WindowHandle settingsWindow = kNoWindow;
  std::map<std::string, WindowHandle> buttons;  // by class name
  std::map<WindowHandle, Rect> rects;           // screen rectangles of live windows
  WindowHandle captured = kNoWindow;
  bool quitPosted = false;
  bool deadWindowTouched = false;  // an invalidation or capture of a destroyed window

  // Mouse input as the OS delivers it to a button's procedure, with the
  // cursor moved first.
  void Mouse(ButtonKind kind, ButtonMessage message, Point at, std::uint32_t keyState);
  // A WM_COMMAND to the settings window from elsewhere.
  void Command(std::uintptr_t id);
  // The caption's close button: the default handling destroys the window.
  void Close();
  bool IsLive(WindowHandle window) const { return rects.contains(window); }
  // The dialog the windows' messages go to; null once detached.
  ConfigDialog* dialog() const { return dialog_; }

  bool RegisterConfigClass(ConfigProcedure procedure, const char* className) override;
  WindowHandle CreateSettingsWindow(const ConfigWindowParams& params,
                                    ConfigDialog& dialog) override;
  WindowHandle CreateButtonWindow(WindowHandle parent, const char* className, Point position,
                                  Size size) override;
  void DetachDialog() override;
  DialogFrameMetrics FrameMetrics() override;
  void ShowAndUpdate(WindowHandle window) override;
  void Hide(WindowHandle window) override;
  void EnableWindow(WindowHandle window, bool enable) override;
  void DestroyWindow(WindowHandle window) override;
  void RunMessageLoop() override;
  void PostQuit(int exitCode) override;
  void SendCommand(WindowHandle button, std::uintptr_t id) override;
  std::optional<Rect> WindowRect(WindowHandle window) override;
  Point CursorPosition() override { return cursor; }
  void Invalidate(WindowHandle window) override;
  void CaptureMouse(WindowHandle window) override;
  void ReleaseMouse() override;
  bool SelectArtPalette(WindowHandle window, const PaletteEntries& palette) override;
  void RestorePalette(WindowHandle window) override;

 private:
  std::string NameOf(WindowHandle window) const;

  CallLog& log_;
  ConfigDialog* dialog_ = nullptr;
  WindowHandle nextWindow_ = 0x7000;
  std::map<WindowHandle, std::string> names_;
};

}  // namespace qs3::fakes
