// Conversions between Win32 handles and the core's integer handles.
#pragma once

#include <windows.h>

#include "seam/types.h"

namespace qs3::win32 {

inline HWND ToHwnd(WindowHandle window) {
  return reinterpret_cast<HWND>(window);
}
inline WindowHandle FromHwnd(HWND window) {
  return reinterpret_cast<WindowHandle>(window);
}

}  // namespace qs3::win32
