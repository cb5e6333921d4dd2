// The one persisted setting (whether music plays) and the data folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "seam/settings_system.h"

namespace qs3 {

inline constexpr char kSettingsFileName[] = "ORN3CFG.INI";
inline constexpr char kSignatureFileName[] = "AFMSSV3C.SSS";
inline constexpr char kMusicSection[] = "QS3_10";
inline constexpr char kMusicKey[] = "WAV";
inline constexpr char kDataFolderSection[] = "QS3_DIR";
inline constexpr char kDataFolderKey[] = "QS3_DIR";
// DataFolder lives in a 512-byte field: at most 511 characters arrive.
inline constexpr std::size_t kDataFolderCapacity = 512;
inline constexpr std::int32_t kMusicDefault = 1;

// 99 bytes, two lines ended by a bare line feed.
inline constexpr std::string_view kSignatureText =
    "ASTRAL FORGE MORVALENKA SCREEN SAVER VOLUME THREE.\n"
    "FOUR BOWS ARE RAISED,AND THE HALL FALLS SILENT.\n";
static_assert(kSignatureText.size() == 99);

enum class SignatureResult : std::int32_t { Match = 0, NotOpened = 1, Mismatch = 2 };

struct Settings {
  // Music plays only when this is exactly 1.
  std::int32_t musicEnabled = 0;
  // Folder of the music file, without a trailing separator; at most 511 bytes.
  std::string dataFolder;
};

// Compares the signature file's first 99 bytes one at a time.
SignatureResult TestSignature(ByteFile& file);

// The Windows folder's first character followed by ":\OrnSaver3".
std::string DriveLetterDataFolder(std::string_view windowsFolder);

// Fills both fields; every call reads the signature and settings files anew.
// Each key comes from the user's copy of the settings file first, then from
// the shared one, then from its default.
void LoadSettings(SettingsSystem& system, Settings& settings);

// Writes MusicEnabled as "%d" to the user's copy of the settings file.
void SaveSettings(SettingsSystem& system, const Settings& settings);

}  // namespace qs3
