// A settings system whose user profile answers from a map: enough to drive
// the saver window through LoadSettings with chosen values.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>

#include "fakes/call_log.h"
#include "platform/settings_system.h"

namespace qs3::fakes {

class MapProfile final : public ProfileStore {
 public:
  std::map<std::pair<std::string, std::string>, std::string> values;

  std::optional<std::string> ReadString(const char* section, const char* key,
                                        std::size_t capacity) override {
    const auto found = values.find({section, key});
    if (found == values.end()) return std::nullopt;
    return found->second.substr(0, capacity == 0 ? 0 : capacity - 1);
  }
  std::int32_t ReadInt(const char* section, const char* key, std::int32_t fallback) override {
    const auto found = values.find({section, key});
    return found == values.end() ? fallback : std::stoi(found->second);
  }
  bool WriteString(const char* section, const char* key, const char* value) override {
    values[{section, key}] = value;
    return true;
  }
};

class NoFile final : public ByteFile {
 public:
  bool Open(const char*) override { return false; }
  std::optional<std::uint8_t> ReadByte() override { return std::nullopt; }
  void Close() override {}
};

class ScriptedSettings final : public SettingsSystem {
 public:
  explicit ScriptedSettings(CallLog& log) : log_(log) {}
  MapProfile user;
  MapProfile shared;
  std::string defaultFolder = "C:\\OrnSaver3";

  void SetMusic(const std::string& value) { user.values[{"QS3_10", "WAV"}] = value; }
  void SetDataFolder(const std::string& value) { user.values[{"QS3_DIR", "QS3_DIR"}] = value; }

  std::string DefaultDataFolder() override { return defaultFolder; }
  ProfileStore& SharedProfile() override { return shared; }
  ProfileStore& UserProfile() override { return user; }
  ByteFile& SignatureFile() override {
    log_.Add("LoadSettings");  // the signature file is the first thing it reads
    return noFile_;
  }

 private:
  CallLog& log_;
  NoFile noFile_;
};

}  // namespace qs3::fakes
