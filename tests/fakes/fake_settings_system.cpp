#include "fakes/fake_settings_system.h"

#include <algorithm>
#include <cctype>

#include "settings/ini_store.h"

namespace qs3::fakes {

std::string FakeProfileStore::KeyOf(const std::string& section, const std::string& key) {
  std::string folded = section + '\n' + key;
  std::transform(folded.begin(), folded.end(), folded.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return folded;
}

void FakeProfileStore::Set(const std::string& section, const std::string& key,
                           const std::string& value) {
  values_[KeyOf(section, key)] = value;
}

std::optional<std::string> FakeProfileStore::Get(const std::string& section,
                                                 const std::string& key) const {
  const auto found = values_.find(KeyOf(section, key));
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

std::size_t FakeProfileStore::CountCalls(Call::Kind kind, const std::string& key) const {
  return static_cast<std::size_t>(std::count_if(
      calls_.begin(), calls_.end(), [&](const Call& c) { return c.kind == kind && c.key == key; }));
}

std::optional<std::string> FakeProfileStore::ReadString(const char* section, const char* key,
                                                        std::size_t capacity) {
  calls_.push_back({Call::Kind::ReadString, section, key, capacity, 0, {}});
  std::optional<std::string> value = Get(section, key);
  if (value) value->resize(std::min(value->size(), capacity == 0 ? 0 : capacity - 1));
  return value;
}

std::int32_t FakeProfileStore::ReadInt(const char* section, const char* key,
                                       std::int32_t fallback) {
  calls_.push_back({Call::Kind::ReadInt, section, key, 0, fallback, {}});
  const std::optional<std::string> value = Get(section, key);
  if (!value || value->empty()) return fallback;
  return ProfileValueToInt(value->substr(0, kProfileIntCapacity - 1));
}

bool FakeProfileStore::WriteString(const char* section, const char* key, const char* value) {
  calls_.push_back({Call::Kind::WriteString, section, key, 0, 0, value});
  if (failWrites_) return false;
  Set(section, key, value);
  return true;
}

bool FakeByteFile::Open(const char* name) {
  openedNames_.emplace_back(name);
  if (log != nullptr) log->Add(std::string("Open ") + name);
  if (!content_) return false;
  open_ = true;
  position_ = 0;
  return true;
}

std::optional<std::uint8_t> FakeByteFile::ReadByte() {
  ++reads_;
  if (!open_ || position_ >= content_->size()) return std::nullopt;
  return static_cast<std::uint8_t>((*content_)[position_++]);
}

void FakeByteFile::Close() {
  ++closes_;
  open_ = false;
}

}  // namespace qs3::fakes
