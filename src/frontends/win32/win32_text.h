// The saver's own texts are Shift-JIS bytes. Handed to the ANSI functions
// they read right only where the system code page is 932; converted from
// code page 932 they read right on every system.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace qs3::win32 {

inline constexpr UINT kShiftJisCodePage = 932;

// None when the text is not valid Shift-JIS or the code page is missing.
inline std::optional<std::wstring> WideFromShiftJis(const char* text) {
  if (text == nullptr) return std::nullopt;
  const int length =
      MultiByteToWideChar(kShiftJisCodePage, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (MultiByteToWideChar(kShiftJisCodePage, MB_ERR_INVALID_CHARS, text, -1, wide.data(), length) !=
      length) {
    return std::nullopt;
  }
  wide.pop_back();  // the terminating zero
  return wide;
}

}  // namespace qs3::win32
