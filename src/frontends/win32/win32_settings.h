// The settings' OS services on Windows: the private-profile functions, the
// simple file functions for the signature file, and the Windows folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "seam/settings_system.h"

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

// The settings file the settings window saves into: "ORN3CFG.INI" in the
// Windows folder, where every earlier version kept it. A 64-bit program that
// may not write there gets no per-user redirection, so a refused write goes
// to the user's own copy, %APPDATA%\QS3\ORN3CFG.INI, instead of losing the
// choice. Reads come from that copy (the Windows folder's file is the shared
// one behind it); once the copy exists, every save updates it too, so it
// never holds an older value than the Windows folder's file.
class Win32UserProfile final : public ProfileStore {
 public:
  // The copy's file and the folder to create for it; an empty file name
  // leaves only the Windows folder's file.
  Win32UserProfile(std::string copyFile, std::string copyFolder);

  std::optional<std::string> ReadString(const char* section, const char* key,
                                        std::size_t capacity) override;
  std::int32_t ReadInt(const char* section, const char* key, std::int32_t fallback) override;
  bool WriteString(const char* section, const char* key, const char* value) override;

 private:
  Win32ProfileStore windowsFolderFile_;
  Win32ProfileStore copy_;
  std::string copyFileName_;
};

class Win32SettingsSystem final : public SettingsSystem {
 public:
  Win32SettingsSystem();

  std::string DefaultDataFolder() override;
  ProfileStore& SharedProfile() override { return shared_; }
  ProfileStore& UserProfile() override { return user_; }
  ByteFile& SignatureFile() override { return signature_; }

 private:
  Win32ProfileStore shared_;
  Win32UserProfile user_;
  Win32ByteFile signature_;
};

}  // namespace qs3
