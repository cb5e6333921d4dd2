#include "frontends/win32/win32_settings.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "settings/settings.h"

namespace qs3 {
namespace {

// GetPrivateProfileStringA returns the default both for a missing key and for
// a key whose value equals it, and a key line without '=' reads as missing.
// A default that starts with a line feed can never equal a stored value (a
// line feed always ends a line of the file), so seeing it means "missing".
// The marker ends in a letter because the reader strips trailing blanks from
// the default. Enumerating the section's keys instead would not match the
// reader's own rules (first match only, lines without '=').
constexpr char kAbsentMarker[] = "\nQS3:absent";

// Keeps a huge capacity from turning into a huge allocation; DataFolder asks for 512.
constexpr std::size_t kMaxReadCapacity = 64 * 1024;

constexpr char kUserFolderName[] = "QS3";

struct UserProfileLocation {
  std::string folder;
  std::string file;
};

// %APPDATA%\QS3\ORN3CFG.INI, read from the environment so that no shell
// library is needed; empty when APPDATA is unset or the path would not fit
// the ANSI functions' MAX_PATH.
UserProfileLocation LocateUserProfile() {
  char appData[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("APPDATA", appData, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  UserProfileLocation location;
  location.folder = std::string(appData, length) + "\\" + kUserFolderName;
  location.file = location.folder + "\\" + kSettingsFileName;
  if (location.file.size() >= MAX_PATH) return {};
  return location;
}

bool EnsureFolder(const std::string& folder) {
  if (folder.empty()) return true;
  return CreateDirectoryA(folder.c_str(), nullptr) != FALSE ||
         GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace

Win32ProfileStore::Win32ProfileStore(std::string fileName, bool writable,
                                     std::string folderToCreate)
    : fileName_(std::move(fileName)),
      writable_(writable),
      folderToCreate_(std::move(folderToCreate)) {}

std::optional<std::string> Win32ProfileStore::ReadString(const char* section, const char* key,
                                                         std::size_t capacity) {
  if (fileName_.empty() || section == nullptr || key == nullptr) return std::nullopt;
  // At least two bytes, so that the marker's line feed always arrives.
  std::string buffer(std::clamp<std::size_t>(capacity, 2, kMaxReadCapacity), '\0');
  const DWORD length =
      GetPrivateProfileStringA(section, key, kAbsentMarker, buffer.data(),
                               static_cast<DWORD>(buffer.size()), fileName_.c_str());
  buffer.resize(std::min<std::size_t>(length, buffer.size() - 1));
  if (buffer.find('\n') != std::string::npos) return std::nullopt;
  if (capacity == 0) return std::string();
  if (buffer.size() >= capacity) buffer.resize(capacity - 1);
  return buffer;
}

std::int32_t Win32ProfileStore::ReadInt(const char* section, const char* key,
                                        std::int32_t fallback) {
  if (fileName_.empty() || section == nullptr || key == nullptr) return fallback;
  // The UINT result carries the signed 32-bit value.
  return static_cast<std::int32_t>(
      GetPrivateProfileIntA(section, key, fallback, fileName_.c_str()));
}

bool Win32ProfileStore::WriteString(const char* section, const char* key, const char* value) {
  if (!writable_ || fileName_.empty() || section == nullptr || key == nullptr || value == nullptr) {
    return false;
  }
  if (!EnsureFolder(folderToCreate_)) return false;
  return WritePrivateProfileStringA(section, key, value, fileName_.c_str()) != FALSE;
}

bool Win32ByteFile::Open(const char* name) {
  Close();
  if (name == nullptr) return false;
  handle_ = _lopen(name, OF_READ);
  return handle_ != HFILE_ERROR;
}

std::optional<std::uint8_t> Win32ByteFile::ReadByte() {
  if (handle_ == HFILE_ERROR) return std::nullopt;
  unsigned char byte = 0;
  if (_lread(handle_, &byte, 1) != 1) return std::nullopt;
  return byte;
}

void Win32ByteFile::Close() {
  if (handle_ == HFILE_ERROR) return;
  _lclose(handle_);
  handle_ = HFILE_ERROR;
}

static_assert(HFILE_ERROR == -1, "Win32ByteFile's closed state is HFILE_ERROR");

Win32UserProfile::Win32UserProfile(std::string copyFile, std::string copyFolder)
    : windowsFolderFile_(kSettingsFileName, /*writable=*/true),
      copy_(copyFile, /*writable=*/true, std::move(copyFolder)),
      copyFileName_(std::move(copyFile)) {}

std::optional<std::string> Win32UserProfile::ReadString(const char* section, const char* key,
                                                        std::size_t capacity) {
  return copy_.ReadString(section, key, capacity);
}

std::int32_t Win32UserProfile::ReadInt(const char* section, const char* key,
                                       std::int32_t fallback) {
  return copy_.ReadInt(section, key, fallback);
}

bool Win32UserProfile::WriteString(const char* section, const char* key, const char* value) {
  if (!windowsFolderFile_.WriteString(section, key, value)) {
    return copy_.WriteString(section, key, value);
  }
  const bool copyExists = !copyFileName_.empty() &&
                          GetFileAttributesA(copyFileName_.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (copyExists) copy_.WriteString(section, key, value);
  return true;
}

Win32SettingsSystem::Win32SettingsSystem()
    : shared_(kSettingsFileName, /*writable=*/false), user_([] {
        UserProfileLocation location = LocateUserProfile();
        return Win32UserProfile(std::move(location.file), std::move(location.folder));
      }()) {}

std::string Win32SettingsSystem::DefaultDataFolder() {
  char windowsFolder[256] = {};
  const UINT length = GetWindowsDirectoryA(windowsFolder, sizeof windowsFolder);
  if (length == 0 || length >= sizeof windowsFolder) windowsFolder[0] = '\0';
  return DriveLetterDataFolder(windowsFolder);
}

}  // namespace qs3
