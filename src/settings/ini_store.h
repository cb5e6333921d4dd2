// A portable settings (INI) file with the observable behaviour of the Win32
// private-profile functions: GetPrivateProfileStringA, GetPrivateProfileIntA
// and WritePrivateProfileStringA. The text logic works on strings so that
// tests and the fuzzer can drive it without files; IniFileStore adds the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "seam/settings_system.h"

namespace qs3 {

// At most this many bytes of a settings file are read. The real file holds two
// short entries; the cap keeps a huge or hostile file from exhausting memory.
// A file larger than this is read up to the cap and never rewritten.
inline constexpr std::size_t kMaxIniFileBytes = 4u * 1024u * 1024u;

// GetPrivateProfileIntA reads the value through a 30-character buffer.
inline constexpr std::size_t kProfileIntCapacity = 30;

// The value of `key` in the first section named `section`, as
// GetPrivateProfileStringA returns it: surrounding blanks trimmed, one pair of
// matching quotes (" or ') removed, cut to capacity - 1 characters. None when
// the section or key is missing or the key's line has no '='.
std::optional<std::string> IniReadString(std::string_view text, std::string_view section,
                                         std::string_view key, std::size_t capacity);

// GetPrivateProfileIntA: `fallback` when the value is missing or empty,
// otherwise ProfileValueToInt of the value.
std::int32_t IniReadInt(std::string_view text, std::string_view section, std::string_view key,
                        std::int32_t fallback);

// The conversion GetPrivateProfileIntA applies: leading characters up to and
// including ' ' skipped, one '+' or '-', a "0x", "0o" or "0b" prefix switching
// to base 16, 8 or 2, then digits up to the first one that doesn't fit the
// base, accumulated with 32-bit wrap-around. No digits give 0.
std::int32_t ProfileValueToInt(std::string_view value);

// The text after WritePrivateProfileStringA(section, key, value): the first
// matching key's value is replaced in place; a missing key is added after the
// last line of the first matching section; a missing section is appended at
// the end with the key. Every other byte stays as it was. None when a name or
// the value could not be read back (empty names, line breaks, NUL, '=' in the
// key, a key starting with '[').
std::optional<std::string> IniWriteString(std::string_view text, std::string_view section,
                                          std::string_view key, std::string_view value);

// One settings file on disk. A missing or unreadable file reads as empty.
// Writes go to a temporary file in the same folder which then replaces the
// file, so a failed write leaves the previous content whole.
class IniFileStore final : public ProfileStore {
 public:
  explicit IniFileStore(std::filesystem::path path) : path_(std::move(path)) {}

  std::optional<std::string> ReadString(const char* section, const char* key,
                                        std::size_t capacity) override;
  std::int32_t ReadInt(const char* section, const char* key, std::int32_t fallback) override;
  bool WriteString(const char* section, const char* key, const char* value) override;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace qs3
