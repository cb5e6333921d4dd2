#include "settings/settings.h"

#include <optional>

namespace qs3 {
namespace {

// The folder "QS3" beside a valid signature file, kept relative.
constexpr char kSignatureDataFolder[] = ".\\QS3";

// Only presence matters when probing the user's file for the music key.
constexpr std::size_t kPresenceProbeCapacity = 16;

// DataFolder lives in a 512-byte field: whatever the source, at most 511
// characters arrive.
std::string FitDataFolder(std::string folder) {
  if (folder.size() >= kDataFolderCapacity) folder.resize(kDataFolderCapacity - 1);
  return folder;
}

// The user's copy first, then the shared file, then the default. A key that
// is present but empty counts as present.
std::string ReadDataFolder(SettingsSystem& system) {
  for (ProfileStore* store : {&system.UserProfile(), &system.SharedProfile()}) {
    if (auto folder = store->ReadString(kDataFolderSection, kDataFolderKey, kDataFolderCapacity)) {
      return FitDataFolder(std::move(*folder));
    }
  }
  return FitDataFolder(system.DefaultDataFolder());
}

// The integer reader can't tell a missing key from one holding the default,
// so the user's file is asked for the text first.
std::int32_t ReadMusicSwitch(SettingsSystem& system) {
  ProfileStore& user = system.UserProfile();
  if (user.ReadString(kMusicSection, kMusicKey, kPresenceProbeCapacity)) {
    return user.ReadInt(kMusicSection, kMusicKey, kMusicDefault);
  }
  return system.SharedProfile().ReadInt(kMusicSection, kMusicKey, kMusicDefault);
}

}  // namespace

SignatureResult TestSignature(ByteFile& file) {
  if (!file.Open(kSignatureFileName)) return SignatureResult::NotOpened;
  SignatureResult result = SignatureResult::Match;
  for (const char expected : kSignatureText) {
    const std::optional<std::uint8_t> byte = file.ReadByte();
    if (!byte || *byte != static_cast<std::uint8_t>(expected)) {
      result = SignatureResult::Mismatch;
      break;
    }
  }
  file.Close();
  return result;
}

// "%C:\OrnSaver3": a NUL first character ends the formatted text at once, so
// an empty folder name gives an empty result.
std::string DriveLetterDataFolder(std::string_view windowsFolder) {
  if (windowsFolder.empty() || windowsFolder.front() == '\0') return {};
  std::string folder(1, windowsFolder.front());
  folder += ":\\OrnSaver3";
  return folder;
}

void LoadSettings(SettingsSystem& system, Settings& settings) {
  if (TestSignature(system.SignatureFile()) == SignatureResult::Match) {
    settings.dataFolder = kSignatureDataFolder;
  } else {
    settings.dataFolder = ReadDataFolder(system);
  }
  settings.musicEnabled = ReadMusicSwitch(system);
}

void SaveSettings(SettingsSystem& system, const Settings& settings) {
  // std::to_string of an int formats exactly as "%d". A failed write is not
  // reported: the file keeps its old content and the caller carries on.
  const std::string text = std::to_string(settings.musicEnabled);
  system.UserProfile().WriteString(kMusicSection, kMusicKey, text.c_str());
}

}  // namespace qs3
