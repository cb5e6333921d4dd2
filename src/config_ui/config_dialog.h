// The settings window: its creation order, the handlers of the window and of
// its three image buttons, and the modal loop that keeps the window that was
// in the foreground disabled while it is open.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "config_ui/image_button.h"
#include "seam/config_windows.h"
#include "seam/host.h"
#include "seam/resource_source.h"
#include "seam/settings_system.h"
#include "settings/settings.h"

namespace qs3 {

inline constexpr char kConfigClassName[] = "QS3_10";
// "弦楽四重奏の設定" in Shift-JIS (code page 932).
inline constexpr char kConfigTitle[] =
    "\x8c\xb7\x8a\x79\x8e\x6c\x8f\x64\x91\x74\x82\xcc\x90\xdd\x92\xe8";
// WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME.
inline constexpr std::uint32_t kConfigStyle = 0x92C80080u;
inline constexpr Size kConfigStageSize{344, 288};

// The identifiers OK and CANCEL send to the settings window.
inline constexpr std::uintptr_t kOkCommand = 1;
inline constexpr std::uintptr_t kCancelCommand = 2;
// The key-state word of a mouse message with only the left button held (MK_LBUTTON).
inline constexpr std::uint32_t kOnlyLeftButton = 1;

enum class ButtonMessage { MouseMove, LeftButtonDown, LeftButtonUp };

// Place and size: centred as a 344 x 288 window would be, one dialog-frame
// thickness and the caption added to the stage size.
ConfigWindowParams ConfigWindowParamsFor(Size screen, const DialogFrameMetrics& metrics);

struct ConfigDialogServices {
  Host& host;
  ConfigWindowSystem& windows;
  SettingsSystem& settingsSystem;
  ResourceSource& resources;
};

class ConfigDialog {
 public:
  explicit ConfigDialog(ConfigDialogServices services) : services_(services) {}

  // The settings window's handlers.
  void OnCreate(WindowHandle window);
  // The pixels for a client area of this size; none leaves it unpainted.
  std::optional<PixelBuffer> PaintBackground(Size client) const;
  void OnCommand(WindowHandle window, std::uintptr_t id);
  void OnDestroy(WindowHandle window);

  // The buttons' handlers.
  PixelBuffer PaintButton(ButtonKind kind) const;
  void OnButtonMessage(ButtonKind kind, WindowHandle button, ButtonMessage message,
                       std::uint32_t keyState);

  // Buttons are created by ShowConfigDialog.
  ImageButton& Record(ButtonRecord record) { return records_[static_cast<std::size_t>(record)]; }
  const ImageButton& Record(ButtonRecord record) const {
    return records_[static_cast<std::size_t>(record)];
  }
  const Settings& settings() const { return settings_; }
  const DialogArt& art() const { return art_; }
  const ButtonRecords& records() const { return records_; }
  bool destroyed() const { return destroyed_; }

 private:
  const ImageButton& Shown(ButtonKind kind) const;
  void SetPressed(ButtonKind kind, std::int32_t flag);
  bool CursorInside(WindowHandle button);
  void CompleteClick(ButtonKind kind, WindowHandle button);

  ConfigDialogServices services_;
  Settings settings_;
  DialogArt art_;
  bool paletteSelected_ = false;
  bool destroyed_ = false;
  ButtonRecords records_{};
};

// Builds the window and its buttons, disables `parent`, runs the loop until
// the window is gone and enables `parent` again. A failed registration or
// creation ends it at once, before anything is disabled.
void ShowConfigDialog(WindowHandle parent, ConfigDialogServices services);

}  // namespace qs3
