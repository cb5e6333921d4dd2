// What the settings window expects of the window manager: class
// registration, the captioned popup and its child buttons, the modal loop,
// the mouse capture and the art palette. The Win32 front end maps each call
// onto user32 and gdi32; tests use a fake that records the calls.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "seam/types.h"

namespace qs3 {

class ConfigDialog;

// The window procedure a class is registered with.
enum class ConfigProcedure { SettingsWindow, OkButton, CancelButton, MusicSwitch };

struct ConfigWindowParams {
  std::uint32_t exStyle = 0;
  std::string className;
  std::string title;  // Shift-JIS bytes, handed to the ANSI functions
  std::uint32_t style = 0;
  Point position;
  Size size;
  friend bool operator==(const ConfigWindowParams&, const ConfigWindowParams&) = default;
};

// SM_CXDLGFRAME, SM_CYDLGFRAME and SM_CYCAPTION.
struct DialogFrameMetrics {
  std::int32_t frameWidth = 0;
  std::int32_t frameHeight = 0;
  std::int32_t captionHeight = 0;
};

class ConfigWindowSystem {
 public:
  virtual ~ConfigWindowSystem() = default;

  // RegisterClassA with CS_HREDRAW | CS_VREDRAW, the arrow cursor, no icon,
  // no background brush and the procedure named.
  virtual bool RegisterConfigClass(ConfigProcedure procedure, const char* className) = 0;
  // CreateWindowExA with no parent; the messages of this window and of the
  // buttons go to `dialog` (WM_CREATE already during this call) until
  // DetachDialog. Returns kNoWindow on failure.
  virtual WindowHandle CreateSettingsWindow(const ConfigWindowParams& params,
                                            ConfigDialog& dialog) = 0;
  // A WS_CHILD | WS_VISIBLE window of the class, no title, no identifier.
  virtual WindowHandle CreateButtonWindow(WindowHandle parent, const char* className,
                                          Point position, Size size) = 0;
  // From here on no message reaches the dialog.
  virtual void DetachDialog() = 0;

  virtual DialogFrameMetrics FrameMetrics() = 0;
  // SW_SHOW then UpdateWindow.
  virtual void ShowAndUpdate(WindowHandle window) = 0;
  // SW_HIDE; nothing when the window is gone.
  virtual void Hide(WindowHandle window) = 0;
  virtual void EnableWindow(WindowHandle window, bool enable) = 0;
  virtual void DestroyWindow(WindowHandle window) = 0;
  // GetMessageA, TranslateMessage, DispatchMessageA until the quit message.
  virtual void RunMessageLoop() = 0;
  virtual void PostQuit(int exitCode) = 0;

  // SendMessageA(GetParent(button), WM_COMMAND, id, button): returns once the
  // parent has handled it.
  virtual void SendCommand(WindowHandle button, std::uintptr_t id) = 0;
  // GetWindowRect in screen coordinates; none when the window is gone.
  virtual std::optional<Rect> WindowRect(WindowHandle window) = 0;
  // GetCursorPos in screen coordinates.
  virtual Point CursorPosition() = 0;
  // InvalidateRect of the whole window, without erasing.
  virtual void Invalidate(WindowHandle window) = 0;
  virtual void CaptureMouse(WindowHandle window) = 0;
  virtual void ReleaseMouse() = 0;

  // Creates the art palette and selects it into the window's context as a
  // foreground palette, realised, keeping the palette it replaced. False
  // when it cannot be created. Paints realise it again while they draw.
  virtual bool SelectArtPalette(WindowHandle window, const PaletteEntries& palette) = 0;
  // Puts the kept palette back in the window's context, realises it and
  // deletes the art palette; nothing when none was selected.
  virtual void RestorePalette(WindowHandle window) = 0;
};

}  // namespace qs3
