#include "settings/ini_store.h"

#include <chrono>
#include <fstream>
#include <system_error>
#include <utility>

namespace qs3 {

using namespace std::string_view_literals;

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kCrLf = "\r\n";

// The profile reader's blanks: tab, line feed, vertical tab, form feed,
// carriage return, space, and ^Z (a DOS end-of-file mark found in old files).
bool IsBlank(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte >= 0x09 && byte <= 0x0D) || byte == 0x1A || byte == 0x20;
}

bool IsLineBreak(char c) {
  return c == '\r' || c == '\n';
}

std::string_view TrimStart(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view TrimEnd(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view Trim(std::string_view s) {
  return TrimEnd(TrimStart(s));
}

// The reader keeps names and values as C strings, so a NUL byte ends them.
std::string_view UpToNul(std::string_view s) {
  return s.substr(0, s.find('\0'));
}

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

// Where `part`, a view into `text`, starts.
std::size_t OffsetIn(std::string_view text, std::string_view part) {
  return static_cast<std::size_t>(part.data() - text.data());
}

// A line ends at a carriage return, a line feed or a CR LF pair; a UTF-8 byte
// order mark at the start of the file is skipped, as the reader does.
class LineReader {
 public:
  struct Line {
    std::string_view content;  // without the line break
    std::size_t end;           // offset just after the line break
    bool hasBreak;
  };

  explicit LineReader(std::string_view text)
      : text_(text), pos_(text.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0) {}

  std::optional<Line> Next() {
    if (pos_ >= text_.size()) return std::nullopt;
    const std::size_t begin = pos_;
    while (pos_ < text_.size() && !IsLineBreak(text_[pos_])) ++pos_;
    const std::string_view content = text_.substr(begin, pos_ - begin);
    const bool hasBreak = pos_ < text_.size();
    if (hasBreak) pos_ += text_.substr(pos_).starts_with(kCrLf) ? 2 : 1;
    return Line{content, pos_, hasBreak};
  }

 private:
  std::string_view text_;
  std::size_t pos_;
};

enum class LineKind { Blank, Section, Entry };

struct ParsedLine {
  LineKind kind = LineKind::Blank;
  std::string_view trimmed;               // the line without surrounding blanks
  std::string_view name;                  // section or key name as compared
  std::optional<std::string_view> value;  // entries: the raw value; none without '='
};

// "[name]" (up to the last ']', blanks inside trimmed) is a section header;
// anything else that isn't blank is an entry, "key=value" or a bare "key".
ParsedLine ParseLine(std::string_view content) {
  ParsedLine parsed;
  parsed.trimmed = Trim(content);
  if (parsed.trimmed.empty()) return parsed;
  const std::size_t close = parsed.trimmed.rfind(']');
  if (parsed.trimmed.front() == '[' && close != std::string_view::npos) {
    parsed.kind = LineKind::Section;
    parsed.name = UpToNul(Trim(parsed.trimmed.substr(1, close - 1)));
    return parsed;
  }
  parsed.kind = LineKind::Entry;
  const std::size_t equals = parsed.trimmed.find('=');
  if (equals == std::string_view::npos) {
    parsed.name = UpToNul(parsed.trimmed);
    return parsed;
  }
  parsed.name = UpToNul(TrimEnd(parsed.trimmed.substr(0, equals)));
  parsed.value = TrimStart(parsed.trimmed.substr(equals + 1));
  return parsed;
}

// Where a key is, or where it would go. Only the first section with the
// requested name is searched; later sections of the same name are ignored.
struct KeyPlace {
  bool sectionFound = false;
  std::size_t sectionTail = 0;  // just after the section's last non-blank line
  bool tailHasBreak = true;     // whether that line ends with a line break
  std::optional<ParsedLine> key;
};

KeyPlace Locate(std::string_view text, std::string_view section, std::string_view key) {
  KeyPlace place;
  LineReader reader(text);
  for (auto line = reader.Next(); line; line = reader.Next()) {
    const ParsedLine parsed = ParseLine(line->content);
    if (parsed.kind == LineKind::Blank) continue;
    if (parsed.kind == LineKind::Section) {
      if (place.sectionFound) break;
      place.sectionFound = EqualsIgnoreCase(parsed.name, section);
    } else if (!place.sectionFound) {
      continue;
    } else if (EqualsIgnoreCase(parsed.name, key)) {
      place.key = parsed;
      break;
    }
    place.sectionTail = line->end;
    place.tailHasBreak = line->hasBreak;
  }
  return place;
}

// One pair of matching quotes around the whole value is removed.
std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  return -1;
}

// The line break new lines get: the file's own when its first one is a bare
// LF, otherwise CR LF as the Windows writer uses.
std::string_view LineBreakOf(std::string_view text) {
  const std::size_t at = text.find_first_of("\r\n");
  if (at != std::string_view::npos && text[at] == '\n') return "\n";
  return kCrLf;
}

bool HasLineBreakOrNul(std::string_view s) {
  return s.find_first_of("\r\n\0"sv) != s.npos;
}

bool IsWritableSection(std::string_view section) {
  return !section.empty() && !HasLineBreakOrNul(section);
}

// A key with '=' would be cut at it; one starting with '[' could read as a
// section header.
bool IsWritableKey(std::string_view key) {
  return !key.empty() && key.front() != '[' && key.find('=') == key.npos && !HasLineBreakOrNul(key);
}

std::string EntryLine(std::string_view key, std::string_view value) {
  std::string line(key);
  line += '=';
  line += value;
  return line;
}

std::string ReplaceEntry(std::string_view text, const ParsedLine& entry, std::string_view value) {
  std::string result(text);
  if (entry.value) {
    result.replace(OffsetIn(text, *entry.value), entry.value->size(), value);
  } else {
    const std::size_t nameEnd = OffsetIn(text, entry.trimmed) + entry.trimmed.size();
    // Two inserts rather than "=" + value: GCC 12 at -O3 misreads the latter
    // as an overlapping copy (-Wrestrict).
    result.insert(nameEnd, value);
    result.insert(nameEnd, 1, '=');
  }
  return result;
}

std::string AddEntryToSection(std::string_view text, const KeyPlace& place, std::string_view key,
                              std::string_view value) {
  const std::string_view lineBreak = LineBreakOf(text);
  std::string addition = place.tailHasBreak ? "" : std::string(lineBreak);
  addition += EntryLine(key, value);
  addition += lineBreak;
  std::string result(text);
  result.insert(place.sectionTail, addition);
  return result;
}

std::string AppendSection(std::string_view text, std::string_view section, std::string_view key,
                          std::string_view value) {
  const std::string_view lineBreak = LineBreakOf(text);
  std::string result(text);
  const bool onlyBom = text == kUtf8Bom;
  if (!text.empty() && !onlyBom && !IsLineBreak(text.back())) result += lineBreak;
  result += '[';
  result += section;
  result += ']';
  result += lineBreak;
  result += EntryLine(key, value);
  result += lineBreak;
  return result;
}

// --- files ---

enum class FileState { Missing, Read, TooLarge, Unreadable };

struct LoadedFile {
  FileState state = FileState::Missing;
  std::string text;
};

LoadedFile LoadCapped(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) return {FileState::Missing, {}};
  if (!fs::is_regular_file(status)) return {FileState::Unreadable, {}};
  std::ifstream in(path, std::ios::binary);
  if (!in) return {FileState::Unreadable, {}};
  LoadedFile file{FileState::Read, {}};
  constexpr std::size_t kChunk = 64 * 1024;
  char chunk[kChunk];
  while (file.text.size() <= kMaxIniFileBytes && in.read(chunk, kChunk).gcount() > 0) {
    file.text.append(chunk, static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad()) return {FileState::Unreadable, {}};
  if (file.text.size() > kMaxIniFileBytes) {
    file.text.resize(kMaxIniFileBytes);
    file.state = FileState::TooLarge;
  }
  return file;
}

std::string UniqueSuffix() {
  static unsigned counter = 0;
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  return ".tmp" + std::to_string(ticks) + "-" + std::to_string(++counter);
}

// A symbolic link keeps pointing at the file it named.
fs::path WriteTarget(const fs::path& path) {
  std::error_code error;
  if (!fs::is_symlink(fs::symlink_status(path, error))) return path;
  fs::path target = fs::canonical(path, error);
  return error ? path : target;
}

bool WriteWhole(const fs::path& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  return !out.fail();
}

// The new content goes to a temporary file beside the target, which a rename
// then puts in place: readers see the old file or the new one, never a part.
bool ReplaceFileAtomically(const fs::path& target, std::string_view text) {
  std::error_code error;
  const fs::path folder = target.parent_path();
  if (!folder.empty()) {
    fs::create_directories(folder, error);
    if (error) return false;
  }
  fs::path temporary = target;
  temporary += UniqueSuffix();
  if (!WriteWhole(temporary, text)) {
    fs::remove(temporary, error);
    return false;
  }
  const fs::file_status old = fs::status(target, error);
  if (fs::exists(old)) fs::permissions(temporary, old.permissions(), error);
  fs::rename(temporary, target, error);
  if (error) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> IniReadString(std::string_view text, std::string_view section,
                                         std::string_view key, std::size_t capacity) {
  const KeyPlace place = Locate(text, Trim(section), Trim(key));
  if (!place.key || !place.key->value) return std::nullopt;
  const std::string_view value = Unquote(UpToNul(*place.key->value));
  return std::string(value.substr(0, capacity == 0 ? 0 : capacity - 1));
}

std::int32_t IniReadInt(std::string_view text, std::string_view section, std::string_view key,
                        std::int32_t fallback) {
  const auto value = IniReadString(text, section, key, kProfileIntCapacity);
  if (!value || value->empty()) return fallback;
  return ProfileValueToInt(*value);
}

std::int32_t ProfileValueToInt(std::string_view value) {
  std::size_t i = 0;
  while (i < value.size() && static_cast<unsigned char>(value[i]) <= ' ') ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
  int base = 10;
  if (value.size() - i >= 2 && value[i] == '0') {
    const char prefix = value[i + 1];
    base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 10;
    if (base != 10) i += 2;
  }
  std::uint32_t total = 0;
  for (; i < value.size(); ++i) {
    const int digit = DigitValue(value[i]);
    if (digit < 0 || digit >= base) break;
    total = total * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
  }
  if (negative) total = 0u - total;
  return static_cast<std::int32_t>(total);
}

std::optional<std::string> IniWriteString(std::string_view text, std::string_view section,
                                          std::string_view key, std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  value = TrimStart(value);
  if (!IsWritableSection(section) || !IsWritableKey(key) || HasLineBreakOrNul(value)) {
    return std::nullopt;
  }
  const KeyPlace place = Locate(text, section, key);
  if (place.key) return ReplaceEntry(text, *place.key, value);
  if (place.sectionFound) return AddEntryToSection(text, place, key, value);
  return AppendSection(text, section, key, value);
}

std::optional<std::string> IniFileStore::ReadString(const char* section, const char* key,
                                                    std::size_t capacity) {
  if (section == nullptr || key == nullptr) return std::nullopt;
  return IniReadString(LoadCapped(path_).text, section, key, capacity);
}

std::int32_t IniFileStore::ReadInt(const char* section, const char* key, std::int32_t fallback) {
  if (section == nullptr || key == nullptr) return fallback;
  return IniReadInt(LoadCapped(path_).text, section, key, fallback);
}

bool IniFileStore::WriteString(const char* section, const char* key, const char* value) {
  if (section == nullptr || key == nullptr || value == nullptr) return false;
  const LoadedFile file = LoadCapped(path_);
  // Rewriting a file read only in part, or not at all, would lose its rest.
  if (file.state == FileState::TooLarge || file.state == FileState::Unreadable) return false;
  const auto updated = IniWriteString(file.text, section, key, value);
  if (!updated) return false;
  if (file.state == FileState::Read && *updated == file.text) return true;
  return ReplaceFileAtomically(WriteTarget(path_), *updated);
}

}  // namespace qs3
