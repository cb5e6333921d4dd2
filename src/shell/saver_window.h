// The full-screen or preview window: creation order, frame tick, repaints,
// the input that ends the full-screen saver, and the teardown.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "seam/host.h"
#include "seam/password_system.h"
#include "seam/saver_shell.h"
#include "seam/settings_system.h"
#include "settings/settings.h"
#include "shell/command_line.h"
#include "shell/monitor_desk.h"
#include "shell/saver_stage.h"

namespace qs3 {

inline constexpr char kMusicFileName[] = "BGM10.SSS";
// The music file's path is composed in a 256-byte field.
inline constexpr std::size_t kMusicPathCapacity = 256;

// Shift-JIS (code page 932) bytes of the out-of-graphics-memory message.
inline constexpr char kGraphicsFailureText[] =
    "\x83\x4f\x83\x89\x83\x74\x83\x42\x83\x62\x83\x4e\x83\x81\x83\x82\x83\x8a\x82\xaa\x91\xab"
    "\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd";
inline constexpr char kGraphicsFailureCaption[] = "ORN SAVER Vol.3";

// Window messages that the saver window treats as input, by their Win32 values.
enum class InputMessage : std::uint32_t {
  NcMouseMove = 0x00A0,
  NcLeftButtonDown = 0x00A1,
  NcRightButtonDown = 0x00A4,
  KeyDown = 0x0100,
  SysKeyDown = 0x0104,
  MouseMove = 0x0200,
  LeftButtonDown = 0x0201,
  RightButtonDown = 0x0204,
};

// The input message for a window message, or none when the window leaves it
// to the default handling (middle button, key releases, characters, ...).
std::optional<InputMessage> InputMessageFrom(std::uint32_t message);

// "%s\%s" of the data folder and the music file name; none when it would not
// fit in the 256-byte field.
std::optional<std::string> ComposeMusicPath(const std::string& dataFolder);

struct SaverServices {
  Host& host;
  PasswordSystem& passwords;
  SettingsSystem& settingsSystem;
  SaverStage& stage;
  SaverShell& shell;
};

// How often, in frame ticks, the full-screen saver reads the monitor layout
// again (a system that sends no display-change message is caught this way).
inline constexpr int kLayoutCheckTicks = 10;

class SaverWindow {
 public:
  SaverWindow(const StartupState& startup, SaverServices services);

  void OnCreate(WindowHandle window);
  void OnTimer();
  // The system asks for the window to be drawn again (it was covered, or the
  // display changed): the whole frame is shown, in any phase but torn down.
  void OnPaint();
  void OnInput(InputMessage message);  // always consumed: the handler returns 0
  // A monitor was added, removed or changed (WM_DISPLAYCHANGE).
  void OnDisplayChange();
  void OnDestroy();

  const Settings& settings() const { return settings_; }
  Point cursorSnapshot() const { return cursorSnapshot_; }
  std::int32_t tickToggle() const { return tickToggle_; }
  std::int32_t passwordPromptUp() const { return passwordPromptUp_; }
  bool tornDown() const { return phase_ == Phase::TornDown; }
  const MonitorDesk& desk() const { return desk_; }

 private:
  enum class Phase { Running, Prompting, TornDown };
  // A direct end request keeps the window up when the password is refused; a
  // destroyed window cannot be kept, so its teardown follows either way.
  enum class EndCause { Request, WindowDestroyed };

  void StartMusic();
  bool MouseMoveCounts();
  void EndRequest(EndCause cause);
  bool PasswordAllowsEnd();
  void Teardown();

  // Full screen: every monitor but the quartet's has a cover window.
  // Where the window was made: over the primary monitor as the screen size has it.
  Rect CreatedArea() const;
  void CoverDesk();
  void PlaceWindows();
  void PlaceCovers();
  void DestroyCovers();
  void CheckLayout();
  void MoveToNextMonitor();

  StartupState startup_;
  SaverServices services_;
  WindowHandle window_ = kNoWindow;
  Settings settings_;
  Point cursorSnapshot_;
  std::int32_t tickToggle_ = 0;
  std::int32_t passwordPromptUp_ = 0;
  Phase phase_ = Phase::Running;
  bool graphicsUp_ = false;
  bool destroyedDuringPrompt_ = false;
  MonitorDesk desk_;
  std::array<WindowHandle, kMaxMonitors> covers_{};
  int coverCount_ = 0;
  int ticksSinceLayoutCheck_ = 0;
};

}  // namespace qs3
