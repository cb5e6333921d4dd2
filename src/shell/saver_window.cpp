#include "shell/saver_window.h"

#include <algorithm>

#include "shell/password_hooks.h"

namespace qs3 {

std::optional<InputMessage> InputMessageFrom(std::uint32_t message) {
  switch (static_cast<InputMessage>(message)) {
    case InputMessage::NcMouseMove:
    case InputMessage::NcLeftButtonDown:
    case InputMessage::NcRightButtonDown:
    case InputMessage::KeyDown:
    case InputMessage::SysKeyDown:
    case InputMessage::MouseMove:
    case InputMessage::LeftButtonDown:
    case InputMessage::RightButtonDown:
      return static_cast<InputMessage>(message);
  }
  return std::nullopt;
}

std::optional<std::string> ComposeMusicPath(const std::string& dataFolder) {
  std::string path = dataFolder + "\\" + kMusicFileName;
  if (path.size() >= kMusicPathCapacity) return std::nullopt;
  return path;
}

SaverWindow::SaverWindow(const StartupState& startup, SaverServices services)
    : startup_(startup), services_(services) {}

void SaverWindow::OnCreate(WindowHandle window) {
  window_ = window;
  Host& host = services_.host;
  SaverStage& stage = services_.stage;

  LoadSettings(services_.settingsSystem, settings_);
  if (startup_.mode != SaverMode::FullScreen) settings_.musicEnabled = 0;
  if (settings_.musicEnabled == 1) StartMusic();

  const DeviceContext desktop = host.AcquireDesktopContext();
  if (!stage.InitGraphics(window, desktop, startup_)) {
    host.ShowMessage(window, kGraphicsFailureText, kGraphicsFailureCaption);
    host.ReleaseDesktopContext(desktop);
    EndRequest(EndCause::Request);
    return;
  }
  graphicsUp_ = true;
  host.ReleaseDesktopContext(desktop);

  stage.SeedRandom(static_cast<std::uint32_t>(host.CalendarSeconds()));
  cursorSnapshot_ = host.CursorPosition();
  if (startup_.mode == SaverMode::FullScreen) {
    host.EnableInputMethod(false);
    host.ShowCursor(false);
  }
  stage.InitPerformance();
  if (startup_.mode == SaverMode::FullScreen) CoverDesk();
  if (settings_.musicEnabled == 1) stage.PlaySlot(0, 0);  // a failure shows as a still position
}

Rect SaverWindow::CreatedArea() const {
  return {0, 0, startup_.stageSize.width, startup_.stageSize.height};
}

void SaverWindow::CoverDesk() {
  const Rect window = CreatedArea();
  desk_.Start(services_.host.Monitors(), window);
  // The window was made over the primary monitor as the screen size has it;
  // a system whose primary monitor lies elsewhere, or is another size, moves it.
  if (!(desk_.Playing() == window) &&
      !services_.stage.MoveToScreen(AreaSize(desk_.Playing()), true)) {
    desk_.Start({}, window);
  }
  PlaceWindows();
}

void SaverWindow::PlaceWindows() {
  if (!(desk_.Playing() == CreatedArea()) || desk_.Count() > 1) {
    services_.shell.PlaceWindow(window_, desk_.Playing());
  }
  PlaceCovers();
}

void SaverWindow::PlaceCovers() {
  SaverShell& shell = services_.shell;
  const int wanted = desk_.CoverCount();
  for (int i = wanted; i < coverCount_; ++i) {
    if (covers_[i] != kNoWindow) shell.DestroyCoverWindow(covers_[i]);
    covers_[i] = kNoWindow;
  }
  for (int i = 0; i < wanted; ++i) {
    if (i < coverCount_ && covers_[i] != kNoWindow) {
      shell.PlaceWindow(covers_[i], desk_.Cover(i));
    } else {
      // One that cannot be made now is tried again at the next layout check.
      covers_[i] = shell.CreateCoverWindow(desk_.Cover(i), *this);
    }
  }
  coverCount_ = wanted;
}

void SaverWindow::DestroyCovers() {
  for (int i = 0; i < coverCount_; ++i) {
    if (covers_[i] != kNoWindow) services_.shell.DestroyCoverWindow(covers_[i]);
    covers_[i] = kNoWindow;
  }
  coverCount_ = 0;
}

void SaverWindow::OnDisplayChange() {
  if (phase_ == Phase::TornDown || !graphicsUp_ || startup_.mode != SaverMode::FullScreen) return;
  CheckLayout();
}

void SaverWindow::CheckLayout() {
  ticksSinceLayoutCheck_ = 0;
  switch (desk_.Update(services_.host.Monitors())) {
    case MonitorDesk::Change::None: {
      const auto end = covers_.begin() + coverCount_;
      if (std::find(covers_.begin(), end, kNoWindow) != end) PlaceCovers();
      return;
    }
    case MonitorDesk::Change::Moved:
      PlaceWindows();
      return;
    case MonitorDesk::Change::PlayingGone:
      // Should the buffers not be had, the frame keeps its size; the window
      // still moves, so no monitor is left uncovered.
      services_.stage.MoveToScreen(AreaSize(desk_.Playing()), true);
      PlaceWindows();
      return;
  }
}

void SaverWindow::MoveToNextMonitor() {
  if (!services_.stage.MoveToScreen(AreaSize(desk_.Next()), false)) return;
  desk_.Advance();
  PlaceWindows();
}

void SaverWindow::StartMusic() {
  SaverStage& stage = services_.stage;
  if (!stage.OpenMusic(window_)) {
    settings_.musicEnabled = 0;
    return;
  }
  // A data folder too long for the path field switches music off for this run
  // rather than cut the path to some other file.
  const std::optional<std::string> path = ComposeMusicPath(settings_.dataFolder);
  if (!path || !stage.LoadSound(path->c_str(), 0)) {
    settings_.musicEnabled = 0;
    stage.CloseMusic();
  }
}

void SaverWindow::OnTimer() {
  if (phase_ == Phase::TornDown) return;
  tickToggle_ = (tickToggle_ + 1) % 2;
  // While the password prompt is up, only every second tick draws.
  if (!graphicsUp_) return;
  const bool music = settings_.musicEnabled == 1;
  if (startup_.mode == SaverMode::FullScreen && ++ticksSinceLayoutCheck_ >= kLayoutCheckTicks) {
    CheckLayout();
  }
  if (tickToggle_ == 0 || passwordPromptUp_ != 1) {
    if (desk_.Count() > 1 && services_.stage.RestartsOnNextTick(music)) MoveToNextMonitor();
    services_.stage.ComposeFrame(window_, music);
  }
}

void SaverWindow::OnPaint() {
  if (phase_ == Phase::TornDown || !graphicsUp_) return;
  services_.stage.PresentWholeFrame(window_);
}

bool SaverWindow::MouseMoveCounts() {
  // Read from the cursor, not the message: a move counts only when it changed
  // both coordinates, so the jitter of one axis does not end the saver.
  const Point now = services_.host.CursorPosition();
  return now.x != cursorSnapshot_.x && now.y != cursorSnapshot_.y;
}

void SaverWindow::OnInput(InputMessage message) {
  if (startup_.mode != SaverMode::FullScreen) return;
  if (message == InputMessage::MouseMove && !MouseMoveCounts()) return;
  EndRequest(EndCause::Request);
}

void SaverWindow::OnDestroy() {
  EndRequest(EndCause::WindowDestroyed);
}

void SaverWindow::EndRequest(EndCause cause) {
  if (phase_ == Phase::TornDown) return;
  if (phase_ == Phase::Prompting) {
    // Input that arrives while the prompt is up belongs to the prompt; a
    // destroyed window is remembered and ends the saver once the prompt returns.
    if (cause == EndCause::WindowDestroyed) destroyedDuringPrompt_ = true;
    return;
  }
  if (startup_.mode == SaverMode::FullScreen && !PasswordAllowsEnd() &&
      cause == EndCause::Request && !destroyedDuringPrompt_) {
    return;
  }
  Teardown();
}

bool SaverWindow::PasswordAllowsEnd() {
  Host& host = services_.host;
  phase_ = Phase::Prompting;
  passwordPromptUp_ = 1;
  host.ShowCursor(true);
  const bool allowed = CheckPassword(services_.passwords, window_) != 0;
  phase_ = Phase::Running;
  if (!allowed) {
    cursorSnapshot_ = host.CursorPosition();
    host.ShowCursor(false);
    passwordPromptUp_ = 0;
  }
  return allowed;
}

void SaverWindow::Teardown() {
  phase_ = Phase::TornDown;
  SaverStage& stage = services_.stage;
  Host& host = services_.host;
  stage.ReleasePositionBlock();
  DestroyCovers();
  stage.ReleaseGraphics(window_);
  graphicsUp_ = false;
  if (settings_.musicEnabled == 1) stage.CloseMusic();
  host.ShowCursor(true);
  host.EnableInputMethod(true);
  host.PostQuit(0);
}

}  // namespace qs3
