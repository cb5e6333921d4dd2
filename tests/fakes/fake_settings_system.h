// In-memory stand-ins for the settings' OS services: settings files as maps,
// a signature file as bytes, every call recorded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fakes/call_log.h"
#include "seam/settings_system.h"

namespace qs3::fakes {

// A settings file as the reader sees it: each value already trimmed and
// unquoted. Names compare case-insensitively. ReadString honours the
// capacity; ReadInt converts as GetPrivateProfileIntA does.
class FakeProfileStore final : public ProfileStore {
 public:
  struct Call {
    enum class Kind { ReadString, ReadInt, WriteString } kind;
    std::string section;
    std::string key;
    std::size_t capacity = 0;   // ReadString
    std::int32_t fallback = 0;  // ReadInt
    std::string value;          // WriteString
  };

  void Set(const std::string& section, const std::string& key, const std::string& value);
  std::optional<std::string> Get(const std::string& section, const std::string& key) const;
  // While set, WriteString changes nothing and returns false.
  void FailWrites(bool fail) { failWrites_ = fail; }

  const std::vector<Call>& calls() const { return calls_; }
  std::size_t CountCalls(Call::Kind kind, const std::string& key) const;

  std::optional<std::string> ReadString(const char* section, const char* key,
                                        std::size_t capacity) override;
  std::int32_t ReadInt(const char* section, const char* key, std::int32_t fallback) override;
  bool WriteString(const char* section, const char* key, const char* value) override;

 private:
  static std::string KeyOf(const std::string& section, const std::string& key);

  std::map<std::string, std::string> values_;
  bool failWrites_ = false;
  std::vector<Call> calls_;
};

// The signature file: its bytes, or none when it can't be opened.
class FakeByteFile final : public ByteFile {
 public:
  void SetContent(std::string bytes) { content_ = std::move(bytes); }
  void SetMissing() { content_.reset(); }
  // Where opens are also recorded, for order checks across fakes.
  CallLog* log = nullptr;

  bool Open(const char* name) override;
  std::optional<std::uint8_t> ReadByte() override;
  void Close() override;

  const std::vector<std::string>& openedNames() const { return openedNames_; }
  int reads() const { return reads_; }
  int closes() const { return closes_; }
  bool isOpen() const { return open_; }

 private:
  std::optional<std::string> content_;
  std::size_t position_ = 0;
  bool open_ = false;
  std::vector<std::string> openedNames_;
  int reads_ = 0;
  int closes_ = 0;
};

class FakeSettingsSystem final : public SettingsSystem {
 public:
  FakeProfileStore shared;
  FakeProfileStore user;
  FakeByteFile signature;
  std::string defaultDataFolder = "C:\\OrnSaver3";
  int defaultDataFolderCalls = 0;

  std::string DefaultDataFolder() override {
    ++defaultDataFolderCalls;
    return defaultDataFolder;
  }
  ProfileStore& SharedProfile() override { return shared; }
  ProfileStore& UserProfile() override { return user; }
  ByteFile& SignatureFile() override { return signature; }
};

}  // namespace qs3::fakes
