// The entry point's logic: the single-instance test, the command line and
// the dispatch to the run mode.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/config_windows.h"
#include "platform/host.h"
#include "platform/password_system.h"
#include "platform/resource_source.h"
#include "platform/settings_system.h"
#include "shell/command_line.h"
#include "shell/saver_stage.h"
#include "shell/saver_window.h"

namespace qs3 {

// Win32 window style bits, by value, so the core can state the window it wants.
inline constexpr std::uint32_t kStyleChild = 0x40000000u;      // WS_CHILD
inline constexpr std::uint32_t kStylePopup = 0x80000000u;      // WS_POPUP
inline constexpr std::uint32_t kStyleVisible = 0x10000000u;    // WS_VISIBLE
inline constexpr std::uint32_t kExStyleTopmost = 0x00000008u;  // WS_EX_TOPMOST
inline constexpr char kSaverClassName[] = "QS3_10";

struct SaverWindowParams {
  std::uint32_t exStyle = 0;
  std::string className = kSaverClassName;
  std::string title = kFullScreenTitle;
  std::uint32_t style = 0;
  Point position;
  Size size;
  WindowHandle parent = kNoWindow;
  friend bool operator==(const SaverWindowParams&, const SaverWindowParams&) = default;
};

SaverWindowParams SaverWindowParamsFor(const StartupState& startup);

// What the run modes need of the front end beyond the host services.
class SaverShell {
 public:
  virtual ~SaverShell() = default;
  // Registers the class "QS3_10" with the saver window's handler.
  virtual bool RegisterSaverClass() = 0;
  // Creates the window; its messages go to `logic` until HideSaverWindow.
  // Returns 0 when creation fails.
  virtual WindowHandle CreateSaverWindow(const SaverWindowParams& params, SaverWindow& logic) = 0;
  // SW_SHOW and an immediate update.
  virtual void ShowSaverWindow(WindowHandle window) = 0;
  // Gets, translates and dispatches messages until the quit message; returns its parameter.
  virtual int RunMessageLoop() = 0;
  // SW_HIDE; the window's messages no longer reach the logic afterwards.
  virtual void HideSaverWindow(WindowHandle window) = 0;
};

struct EntryServices {
  Host& host;
  SaverShell& shell;
  PasswordSystem& passwords;
  SettingsSystem& settingsSystem;
  SaverStage& stage;
  // The settings window's services.
  ConfigWindowSystem& configWindows;
  ResourceSource& resources;
};

// Runs one mode from start to end; the result is the process's exit code (0).
int RunSaver(std::string_view commandLine, bool hasPreviousInstance, EntryServices& services);

// The start-up values, or none when the saver must end at once (a full-screen
// saver or a preview is already running).
std::optional<StartupState> StartUp(std::string_view commandLine, Host& host);

}  // namespace qs3
