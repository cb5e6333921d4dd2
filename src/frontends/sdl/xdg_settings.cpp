#include "frontends/sdl/xdg_settings.h"

#include <cstdlib>
#include <string_view>

#include "settings/settings.h"

namespace qs3 {
namespace {

namespace fs = std::filesystem;

constexpr char kAppFolder[] = "qs3";
constexpr char kDataFolderName[] = "OrnSaver3";

std::optional<fs::path> AbsoluteValue(const EnvironmentLookup& environment, const char* name) {
  const char* value = environment(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  fs::path path(value);
  if (!path.is_absolute()) return std::nullopt;
  return path;
}

// Without HOME the folders fall back to paths relative to the current
// directory rather than failing.
fs::path Home(const EnvironmentLookup& environment) {
  const char* home = environment("HOME");
  return (home != nullptr && *home != '\0') ? fs::path(home) : fs::path(".");
}

fs::path BaseFolder(const EnvironmentLookup& environment, const char* name,
                    const fs::path& fallbackUnderHome) {
  if (auto path = AbsoluteValue(environment, name)) return *path;
  return Home(environment) / fallbackUnderHome;
}

// The first absolute entry of the colon-separated XDG_CONFIG_DIRS.
fs::path FirstSharedConfigFolder(const EnvironmentLookup& environment) {
  const char* list = environment("XDG_CONFIG_DIRS");
  std::string_view rest = list != nullptr ? list : "";
  while (!rest.empty()) {
    const std::size_t colon = rest.find(':');
    const fs::path entry(rest.substr(0, colon));
    if (entry.is_absolute()) return entry;
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
  }
  return "/etc/xdg";
}

}  // namespace

XdgLocations XdgLocationsFrom(const EnvironmentLookup& environment) {
  XdgLocations locations;
  locations.userProfile =
      BaseFolder(environment, "XDG_CONFIG_HOME", ".config") / kAppFolder / kSettingsFileName;
  locations.sharedProfile = FirstSharedConfigFolder(environment) / kAppFolder / kSettingsFileName;
  locations.defaultDataFolder =
      (BaseFolder(environment, "XDG_DATA_HOME", fs::path(".local") / "share") / kDataFolderName)
          .string();
  return locations;
}

bool StreamByteFile::Open(const char* name) {
  Close();
  if (name == nullptr) return false;
  const fs::path path = folder_.empty() ? fs::path(name) : folder_ / name;
  std::error_code error;
  // Only a regular file counts: a folder or a pipe must not open or block.
  if (!fs::is_regular_file(path, error)) return false;
  stream_.open(path, std::ios::binary);
  return stream_.is_open();
}

std::optional<std::uint8_t> StreamByteFile::ReadByte() {
  if (!stream_.is_open()) return std::nullopt;
  char byte = 0;
  if (!stream_.get(byte)) return std::nullopt;
  return static_cast<std::uint8_t>(byte);
}

void StreamByteFile::Close() {
  if (stream_.is_open()) stream_.close();
  stream_.clear();
}

XdgSettingsSystem::XdgSettingsSystem()
    : XdgSettingsSystem(XdgLocationsFrom([](const char* name) { return std::getenv(name); })) {}

XdgSettingsSystem::XdgSettingsSystem(const XdgLocations& locations)
    : defaultDataFolder_(locations.defaultDataFolder),
      shared_(locations.sharedProfile),
      user_(locations.userProfile) {}

}  // namespace qs3
