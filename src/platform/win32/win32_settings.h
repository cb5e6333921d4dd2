// The settings' OS services on Windows: the private-profile functions, the
// simple file functions for the signature file, and the Windows folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/settings_system.h"

namespace qs3 {

// One settings file through GetPrivateProfileStringA / GetPrivateProfileIntA /
// WritePrivateProfileStringA. A bare file name lives in the Windows folder.
class Win32ProfileStore final : public ProfileStore {
 public:
  // An empty `fileName` stands for a file that can't exist: reads miss and
  // writes fail. A non-empty `folderToCreate` is created before each write.
  Win32ProfileStore(std::string fileName, bool writable, std::string folderToCreate = {});

  std::optional<std::string> ReadString(const char* section, const char* key,
                                        std::size_t capacity) override;
  std::int32_t ReadInt(const char* section, const char* key, std::int32_t fallback) override;
  bool WriteString(const char* section, const char* key, const char* value) override;

 private:
  std::string fileName_;
  bool writable_;
  std::string folderToCreate_;
};

// _lopen / _lread / _lclose; the handle is closed at the latest on destruction.
class Win32ByteFile final : public ByteFile {
 public:
  Win32ByteFile() = default;
  Win32ByteFile(const Win32ByteFile&) = delete;
  Win32ByteFile& operator=(const Win32ByteFile&) = delete;
  ~Win32ByteFile() override { Close(); }

  bool Open(const char* name) override;
  std::optional<std::uint8_t> ReadByte() override;
  void Close() override;

 private:
  static constexpr int kClosed = -1;  // HFILE_ERROR
  int handle_ = kClosed;              // an HFILE
};

// The shared file is "ORN3CFG.INI" in the Windows folder, only ever read. Each
// user's own copy is %APPDATA%\QS3\ORN3CFG.INI: a 64-bit program may not write
// to the Windows folder and gets no per-user redirection there, so saving
// into the shared file would silently lose the user's choice.
class Win32SettingsSystem final : public SettingsSystem {
 public:
  Win32SettingsSystem();

  std::string DefaultDataFolder() override;
  ProfileStore& SharedProfile() override { return shared_; }
  ProfileStore& UserProfile() override { return user_; }
  ByteFile& SignatureFile() override { return signature_; }

 private:
  Win32ProfileStore shared_;
  Win32ProfileStore user_;
  Win32ByteFile signature_;
};

}  // namespace qs3
