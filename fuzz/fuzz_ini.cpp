// Any bytes as a settings file: reading never crashes, and a write changes
// exactly the entry it names. A write must read back as written, leave every
// other entry's value as it was, and a second identical write must change
// nothing.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "settings/ini_store.h"

namespace {

struct Entry {
  const char* section;
  const char* key;
};

// The saver's two entries plus names that the mutations can easily hit.
constexpr std::array<Entry, 5> kEntries = {{
    {"QS3_10", "WAV"},
    {"QS3_DIR", "QS3_DIR"},
    {"S", "K"},
    {"S", "x"},
    {"T", "K"},
}};

constexpr std::size_t kCapacity = 512;

void Check(bool condition) {
  if (!condition) std::abort();
}

// A value that survives the reader unchanged: no blanks at its ends, no quotes.
std::string ValueFrom(std::string_view text) {
  unsigned sum = 0;
  for (const char c : text) sum = sum * 31u + static_cast<unsigned char>(c);
  return std::to_string(static_cast<std::int32_t>(sum));
}

// Every other line stays byte for byte: what the write removed, between the
// longest common start and end of the two texts, holds no line break.
bool EditStaysWithinOneLine(std::string_view before, std::string_view after) {
  std::size_t prefix = 0;
  while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix]) {
    ++prefix;
  }
  std::size_t suffix = 0;
  while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
         before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
    ++suffix;
  }
  const std::string_view removed = before.substr(prefix, before.size() - prefix - suffix);
  return removed.find_first_of("\r\n") == std::string_view::npos;
}

void CheckWrite(std::string_view text, std::size_t target, const std::string& value) {
  std::array<std::optional<std::string>, kEntries.size()> before;
  for (std::size_t i = 0; i < kEntries.size(); ++i) {
    before[i] = qs3::IniReadString(text, kEntries[i].section, kEntries[i].key, kCapacity);
  }
  const Entry& entry = kEntries[target];
  const auto after = qs3::IniWriteString(text, entry.section, entry.key, value);
  Check(after.has_value());
  Check(qs3::IniReadString(*after, entry.section, entry.key, kCapacity) == value);
  Check(qs3::IniReadInt(*after, entry.section, entry.key, 1) == std::stoi(value));
  for (std::size_t i = 0; i < kEntries.size(); ++i) {
    if (i == target) continue;
    Check(qs3::IniReadString(*after, kEntries[i].section, kEntries[i].key, kCapacity) == before[i]);
  }
  Check(qs3::IniWriteString(*after, entry.section, entry.key, value) == *after);
  Check(EditStaysWithinOneLine(text, *after));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const Entry& entry : kEntries) {
    const auto value = qs3::IniReadString(text, entry.section, entry.key, kCapacity);
    Check(!value || value->size() < kCapacity);
    (void)qs3::IniReadInt(text, entry.section, entry.key, 1);
  }
  const std::string value = ValueFrom(text);
  for (std::size_t target = 0; target < kEntries.size(); ++target) {
    CheckWrite(text, target, value);
  }
  return 0;
}
