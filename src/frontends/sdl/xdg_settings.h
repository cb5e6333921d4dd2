// The settings' OS services on Linux and macOS: the settings file kept in the
// XDG base directories, the signature file read through the standard library.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "seam/settings_system.h"
#include "settings/ini_store.h"

namespace qs3 {

// Where the settings live, worked out from the environment:
// - user's file:   ${XDG_CONFIG_HOME:-~/.config}/qs3/ORN3CFG.INI
// - shared file:   <first of ${XDG_CONFIG_DIRS:-/etc/xdg}>/qs3/ORN3CFG.INI
// - default data:  ${XDG_DATA_HOME:-~/.local/share}/OrnSaver3
// Relative or empty XDG values are ignored, as the XDG specification asks.
struct XdgLocations {
  std::filesystem::path userProfile;
  std::filesystem::path sharedProfile;
  std::string defaultDataFolder;
};

// Returns the variable's value or null when it is not set.
using EnvironmentLookup = std::function<const char*(const char* name)>;

XdgLocations XdgLocationsFrom(const EnvironmentLookup& environment);

// A file read one byte at a time through std::ifstream. A bare name is looked
// up in `folder`, by default the current directory.
class StreamByteFile final : public ByteFile {
 public:
  explicit StreamByteFile(std::filesystem::path folder = {}) : folder_(std::move(folder)) {}

  bool Open(const char* name) override;
  std::optional<std::uint8_t> ReadByte() override;
  void Close() override;

 private:
  std::filesystem::path folder_;
  std::ifstream stream_;
};

class XdgSettingsSystem final : public SettingsSystem {
 public:
  // Reads the environment through std::getenv.
  XdgSettingsSystem();
  explicit XdgSettingsSystem(const XdgLocations& locations);

  std::string DefaultDataFolder() override { return defaultDataFolder_; }
  ProfileStore& SharedProfile() override { return shared_; }
  ProfileStore& UserProfile() override { return user_; }
  ByteFile& SignatureFile() override { return signature_; }

 private:
  std::string defaultDataFolder_;
  IniFileStore shared_;
  IniFileStore user_;
  StreamByteFile signature_;
};

}  // namespace qs3
