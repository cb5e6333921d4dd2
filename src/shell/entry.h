// The entry point's logic: the single-instance test, the command line and
// the dispatch to the run mode.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "seam/config_windows.h"
#include "seam/host.h"
#include "seam/password_system.h"
#include "seam/resource_source.h"
#include "seam/saver_shell.h"
#include "seam/settings_system.h"
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
// The black windows over the monitors the quartet is not playing on.
inline constexpr char kCoverClassName[] = "QS3_10_COVER";

SaverWindowParams SaverWindowParamsFor(const StartupState& startup);

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
