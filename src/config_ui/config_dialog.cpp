#include "config_ui/config_dialog.h"

#include "graphics/picture_loaders.h"

namespace qs3 {
namespace {

ButtonRecord RecordOf(ButtonKind kind) {
  switch (kind) {
    case ButtonKind::Ok:
      return ButtonRecord::Ok;
    case ButtonKind::Cancel:
      return ButtonRecord::Cancel;
    case ButtonKind::MusicSwitch:
      break;
  }
  return ButtonRecord::MusicOff;
}

// Detaches the dialog from the windows on every way out, so that no message
// reaches it once ShowConfigDialog has returned.
class DialogAttachment {
 public:
  explicit DialogAttachment(ConfigWindowSystem& windows) : windows_(windows) {}
  DialogAttachment(const DialogAttachment&) = delete;
  DialogAttachment& operator=(const DialogAttachment&) = delete;
  ~DialogAttachment() { windows_.DetachDialog(); }

 private:
  ConfigWindowSystem& windows_;
};

bool CreateButtons(WindowHandle window, ConfigDialog& dialog, ConfigWindowSystem& windows) {
  for (const ButtonEntry& entry : kButtonTable) {
    if (entry.record == ButtonRecord::MusicOn) continue;  // the switch's second record
    const WindowHandle button =
        windows.CreateButtonWindow(window, entry.className, {entry.normal.x, entry.normal.y},
                                   {entry.normal.width, entry.normal.height});
    if (button == kNoWindow) return false;
    SetButtonLooks(dialog.Record(entry.record), entry.normal, kPressedOffset);
  }
  const ButtonEntry& musicOn = kButtonTable[static_cast<std::size_t>(ButtonRecord::MusicOn)];
  SetButtonLooks(dialog.Record(ButtonRecord::MusicOn), musicOn.normal, kPressedOffset);
  return true;
}

bool RegisterButtonClasses(ConfigWindowSystem& windows) {
  for (const ButtonEntry& entry : kButtonTable) {
    if (entry.record == ButtonRecord::MusicOn) continue;
    if (!windows.RegisterConfigClass(entry.procedure, entry.className)) return false;
  }
  return true;
}

}  // namespace

ConfigWindowParams ConfigWindowParamsFor(Size screen, const DialogFrameMetrics& metrics) {
  ConfigWindowParams params;
  params.className = kConfigClassName;
  params.title = kConfigTitle;
  params.style = kConfigStyle;
  params.position = {screen.width / 2 - kConfigStageSize.width / 2,
                     screen.height / 2 - kConfigStageSize.height / 2};
  params.size = {kConfigStageSize.width + metrics.frameWidth,
                 kConfigStageSize.height + metrics.frameHeight + metrics.captionHeight};
  return params;
}

void ConfigDialog::OnCreate(WindowHandle window) {
  LoadSettings(services_.settingsSystem, settings_);
  // The settings window is never scaled; a failed load leaves that part out.
  art_.palette = LoadPackedPalette(services_.resources, kDialogArtResource);
  art_.mask = LoadPackedBitmap(services_.resources, kDialogArtResource, true, SaverMode::Configure,
                               kFullSizeScale);
  if (art_.palette) paletteSelected_ = services_.windows.SelectArtPalette(window, *art_.palette);
  art_.colour = LoadPackedBitmap(services_.resources, kDialogArtResource, false,
                                 SaverMode::Configure, kFullSizeScale);
}

std::optional<PixelBuffer> ConfigDialog::PaintBackground(Size client) const {
  return ComposeBackground(art_, client);
}

void ConfigDialog::OnCommand(WindowHandle window, std::uintptr_t id) {
  if (id == kOkCommand) {
    SaveSettings(services_.settingsSystem, settings_);
    services_.windows.DestroyWindow(window);
  } else if (id == kCancelCommand) {
    services_.windows.DestroyWindow(window);
  }
}

void ConfigDialog::OnDestroy(WindowHandle window) {
  art_.colour.reset();
  art_.mask.reset();
  if (art_.palette) {
    if (paletteSelected_) services_.windows.RestorePalette(window);
    art_.palette.reset();
    paletteSelected_ = false;
  }
  destroyed_ = true;
  services_.windows.PostQuit(0);
}

const ImageButton& ConfigDialog::Shown(ButtonKind kind) const {
  return ShownRecord(records_, kind, settings_.musicEnabled);
}

PixelBuffer ConfigDialog::PaintButton(ButtonKind kind) const {
  return ComposeButton(art_, Shown(kind).Current());
}

void ConfigDialog::SetPressed(ButtonKind kind, std::int32_t flag) {
  if (kind == ButtonKind::MusicSwitch) {
    // Both records of the switch share one flag.
    Record(ButtonRecord::MusicOff).pressedFlag = flag;
    Record(ButtonRecord::MusicOn).pressedFlag = flag;
  } else {
    Record(RecordOf(kind)).pressedFlag = flag;
  }
}

bool ConfigDialog::CursorInside(WindowHandle button) {
  const std::optional<Rect> rect = services_.windows.WindowRect(button);
  return rect && InsideInclusive(*rect, services_.windows.CursorPosition());
}

void ConfigDialog::CompleteClick(ButtonKind kind, WindowHandle button) {
  switch (kind) {
    case ButtonKind::Ok:
      services_.windows.SendCommand(button, kOkCommand);
      break;
    case ButtonKind::Cancel:
      services_.windows.SendCommand(button, kCancelCommand);
      break;
    case ButtonKind::MusicSwitch:
      settings_.musicEnabled = FlipMusic(settings_.musicEnabled);
      break;
  }
}

void ConfigDialog::OnButtonMessage(ButtonKind kind, WindowHandle button, ButtonMessage message,
                                   std::uint32_t keyState) {
  ConfigWindowSystem& windows = services_.windows;
  switch (message) {
    case ButtonMessage::MouseMove:
      if (!CursorInside(button)) {
        // Dragged off: the capture stays, so the release still arrives here.
        SetPressed(kind, 0);
        windows.Invalidate(button);
      } else if (keyState == kOnlyLeftButton) {
        SetPressed(kind, 1);
        windows.Invalidate(button);
        windows.CaptureMouse(button);
      }
      return;
    case ButtonMessage::LeftButtonDown:
      SetPressed(kind, 1);
      windows.Invalidate(button);
      windows.CaptureMouse(button);
      return;
    case ButtonMessage::LeftButtonUp:
      if (CursorInside(button)) CompleteClick(kind, button);
      SetPressed(kind, 0);
      // OK and CANCEL may have destroyed the window, and the button with it.
      if (!destroyed_) windows.Invalidate(button);
      windows.ReleaseMouse();
      return;
  }
}

void ShowConfigDialog(WindowHandle parent, ConfigDialogServices services) {
  ConfigWindowSystem& windows = services.windows;
  ConfigDialog dialog(services);
  const DialogAttachment attachment(windows);
  if (!windows.RegisterConfigClass(ConfigProcedure::SettingsWindow, kConfigClassName)) return;
  const ConfigWindowParams params =
      ConfigWindowParamsFor(services.host.ScreenSize(), windows.FrameMetrics());
  const WindowHandle window = windows.CreateSettingsWindow(params, dialog);
  if (window == kNoWindow) return;
  if (!RegisterButtonClasses(windows) || !CreateButtons(window, dialog, windows)) return;
  windows.ShowAndUpdate(window);
  windows.EnableWindow(parent, false);
  windows.RunMessageLoop();
  windows.Hide(window);
  windows.EnableWindow(parent, true);
}

}  // namespace qs3
