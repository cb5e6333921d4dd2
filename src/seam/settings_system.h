// What the settings expect of the OS: private-profile (INI) files, the
// signature file read a byte at a time, and the Windows folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qs3 {

// One INI file with the private-profile semantics: section and key names
// compared case-insensitively, the first match wins.
class ProfileStore {
 public:
  virtual ~ProfileStore() = default;

  // GetPrivateProfileStringA with a buffer of `capacity` bytes (so at most
  // capacity - 1 characters arrive); none when the file, section or key is missing.
  virtual std::optional<std::string> ReadString(const char* section, const char* key,
                                                std::size_t capacity) = 0;
  // GetPrivateProfileIntA.
  virtual std::int32_t ReadInt(const char* section, const char* key, std::int32_t fallback) = 0;
  // WritePrivateProfileStringA: creates file, section and key where missing,
  // replaces the value in place and keeps every other line. False on failure.
  virtual bool WriteString(const char* section, const char* key, const char* value) = 0;
};

// _lopen / _lread of one byte / _lclose on a file named relative to the
// current directory.
class ByteFile {
 public:
  virtual ~ByteFile() = default;
  virtual bool Open(const char* name) = 0;
  virtual std::optional<std::uint8_t> ReadByte() = 0;
  virtual void Close() = 0;
};

class SettingsSystem {
 public:
  virtual ~SettingsSystem() = default;
  // The data folder used when neither the signature file nor the settings
  // file names one. On Windows: the Windows folder's drive letter followed by
  // ":\OrnSaver3" (see DriveLetterDataFolder); elsewhere a folder of the
  // user's data home.
  virtual std::string DefaultDataFolder() = 0;
  // The settings file every user shares (on Windows the one in the Windows
  // folder): read only through this store.
  virtual ProfileStore& SharedProfile() = 0;
  // The settings file SaveSettings writes: read first. On Windows it writes
  // the Windows folder's file where that may be written, else a per-user copy.
  virtual ProfileStore& UserProfile() = 0;
  virtual ByteFile& SignatureFile() = 0;
};

}  // namespace qs3
