// Shows the core's frames in a window through GDI: the AnimPalette becomes a
// logical palette realised on the desktop (and in the window for each copy),
// and each changed rectangle goes to the window with SetDIBitsToDevice.
#pragma once

#include <windows.h>

#include "frontends/win32/win32_gdi.h"
#include "seam/frame_presenter.h"

namespace qs3::win32 {

class Win32Presenter final : public FramePresenter {
 public:
  Win32Presenter() = default;
  Win32Presenter(const Win32Presenter&) = delete;
  Win32Presenter& operator=(const Win32Presenter&) = delete;
  // The desktop never keeps a palette that is about to be deleted.
  ~Win32Presenter() override;

  bool SelectAnimPalette(DeviceContext desktop, const PaletteEntries& palette) override;
  void RestoreDesktopPalette() override;
  void Present(WindowHandle window, const FrameView& frame, std::span<const Rect> changed) override;

 private:
  UniquePalette animPalette_;
  // The desktop's palette before ours; a system object, not ours to delete.
  HPALETTE previousDesktopPalette_ = nullptr;
};

}  // namespace qs3::win32
