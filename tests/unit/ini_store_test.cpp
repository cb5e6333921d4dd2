#include "settings/ini_store.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <optional>
#include <string>

#include "frontends/sdl/xdg_settings.h"

namespace qs3 {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// --- reading: one row per file content ---

struct ReadCase {
  const char* name;
  std::string text;
  std::optional<std::string> expected;  // of [S] K, capacity 512
};

TEST(IniReadStringTest, ResultsTable) {
  const ReadCase cases[] = {
      {"CR LF", "[S]\r\nK=v\r\n", "v"},
      {"LF", "[S]\nK=v\n", "v"},
      {"lone CR ends lines too", "[S]\rA=1\rK=v\r", "v"},
      {"no final line break", "[S]\nK=v", "v"},
      {"names ignore case", "[s]\nk=v\n", "v"},
      {"first of duplicate keys", "[S]\nK=first\nK=second\n", "first"},
      {"only the first section of a name", "[S]\nA=1\n[T]\nK=t\n[S]\nK=later\n", std::nullopt},
      {"first section's key wins", "[S]\nK=a\n[S]\nK=b\n", "a"},
      {"blanks around everything", " \t[S]\t \n  K \t=\t v v \t\n", "v v"},
      {"blanks inside the brackets", "[ S ]\nK=v\n", "v"},
      {"text after ']' ignored", "[S] trailing\nK=v\n", "v"},
      {"name up to the last ']'", "[S]x]\nK=v\n", std::nullopt},
      {"double quotes removed", "[S]\nK=\"q v\"\n", "q v"},
      {"single quotes removed", "[S]\nK='q'\n", "q"},
      {"quotes keep inner blanks", "[S]\nK=\" p \"\n", " p "},
      {"empty quotes", "[S]\nK=\"\"\n", ""},
      {"unmatched quotes kept", "[S]\nK=\"q'\n", "\"q'"},
      {"lone quote kept", "[S]\nK=\"\n", "\""},
      {"inner quotes kept", "[S]\nK=a\"b\"\n", "a\"b\""},
      {"empty value is present", "[S]\nK=\n", ""},
      {"blank value is present", "[S]\nK=  \t\n", ""},
      {"'=' inside the value", "[S]\nK=a=b\n", "a=b"},
      {"no comment syntax in values", "[S]\nK=v ; note\n", "v ; note"},
      {"commented key", "[S]\n;K=v\n", std::nullopt},
      {"hash is no comment", "[S]\n#K=v\nK=w\n", "w"},
      {"line without '=' reads as missing", "[S]\nK\n", std::nullopt},
      {"and hides a later value", "[S]\nK\nK=v\n", std::nullopt},
      {"missing ']' is an entry of the previous section", "[S]\n[T\nK=v\n", "v"},
      {"missing ']' starts no section", "[S\nK=v\n", std::nullopt},
      {"key before any section", "K=v\n[S]\n", std::nullopt},
      {"section missing", "[T]\nK=v\n", std::nullopt},
      {"key missing", "[S]\nA=v\n", std::nullopt},
      {"empty file", "", std::nullopt},
      {"UTF-8 byte order mark skipped", "\xEF\xBB\xBF[S]\nK=v\n", "v"},
      {"^Z is a blank", "[S]\nK=v\x1A\n", "v"},
      {"NUL ends a value", "[S]\nK=va\0lue\n"s, "va"},
      {"NUL ends a key name", "[S]\nK\0junk=v\n"s, "v"},
      {"binary junk around", "\xFF\x00\x01[\n]]\x80=\n[S]\n\xFE=\x7F\nK=v\n\x00\xFF"s, "v"},
      {"blank lines and blanks-only lines", "\n\n  \n[S]\n\n \t \nK=v\n\n", "v"},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IniReadString(c.text, "S", "K", 512), c.expected);
  }
}

TEST(IniReadStringTest, RequestedNamesAreTrimmed) {
  EXPECT_EQ(IniReadString("[S]\nK=v\n", "  S ", "\tK ", 512), "v");
}

TEST(IniReadStringTest, CapacityCutsToCapacityMinusOne) {
  const std::string value(600, 'x');
  const std::string text = "[S]\nK=" + value + "\n";
  EXPECT_EQ(IniReadString(text, "S", "K", 512), value.substr(0, 511));
  EXPECT_EQ(IniReadString("[S]\nK=" + value.substr(0, 511), "S", "K", 512), value.substr(0, 511));
  EXPECT_EQ(IniReadString(text, "S", "K", 1), "");
  EXPECT_EQ(IniReadString(text, "S", "K", 0), "");
  EXPECT_EQ(IniReadString("[S]\nK=\"abcd\"\n", "S", "K", 3), "ab");
}

// --- GetPrivateProfileIntA's conversion ---

struct IntCase {
  std::string value;  // as written after "K="
  std::int32_t expected;
};

TEST(IniReadIntTest, ConversionTable) {
  constexpr std::int32_t kFallback = 7;
  const IntCase cases[] = {
      {"0", 0},
      {"1", 1},
      {"2", 2},
      {"-1", -1},
      {"+5", 5},
      {"12abc", 12},
      {"abc", 0},
      {"", kFallback},
      {"\"\"", kFallback},
      {"\" 42\"", 42},
      {"'-3'", -3},
      {"0x10", 16},
      {"0xff", 255},
      {"0X10", 0},
      {"0o17", 15},
      {"0b101", 5},
      {"0b2", 0},
      {"--5", 0},
      {"- 5", 0},
      {"2147483647", 2147483647},
      {"2147483648", std::numeric_limits<std::int32_t>::min()},
      {"4294967295", -1},
      {"4294967296", 0},
      {"4294967297", 1},
      {"-4294967297", -1},
      {"99999999999", 1215752191},
      {"42A94967297", 42},
      {"B4294967297", 0},
      // The value passes through a 30-character buffer: 29 zeros, then the 1 is cut.
      {std::string(29, '0') + "1", 0},
      {std::string(28, '0') + "1", 1},
  };
  for (const IntCase& c : cases) {
    SCOPED_TRACE("K=" + c.value);
    EXPECT_EQ(IniReadInt("[S]\nK=" + c.value + "\n", "S", "K", kFallback), c.expected);
  }
}

TEST(IniReadIntTest, MissingKeyOrLineWithoutEqualsGivesFallback) {
  EXPECT_EQ(IniReadInt("", "S", "K", 1), 1);
  EXPECT_EQ(IniReadInt("[S]\nK\n", "S", "K", -9), -9);
}

TEST(ProfileValueToIntTest, SkipsControlCharactersAndSpacesFirst) {
  EXPECT_EQ(ProfileValueToInt("\x01\x1F 9"), 9);
  EXPECT_EQ(ProfileValueToInt("\xA0"
                              "9"),
            0);
}

// --- writing: one row per file before and after ---

struct WriteCase {
  const char* name;
  std::string before;
  std::string value;
  std::string after;  // [S] K set to value
};

TEST(IniWriteStringTest, ResultsTable) {
  const WriteCase cases[] = {
      {"replaces in place, CR LF kept", "[T]\r\nA=1\r\n[S]\r\nK=1\r\nB=2\r\n", "0",
       "[T]\r\nA=1\r\n[S]\r\nK=0\r\nB=2\r\n"},
      {"keeps blanks around the value", "[S]\n  K =  1  \n", "25", "[S]\n  K =  25  \n"},
      {"replaces the whole old value", "[S]\nK=\"1\" ; old\n", "0", "[S]\nK=0\n"},
      {"empty old value", "[S]\nK=\nX=1\n", "-5", "[S]\nK=-5\nX=1\n"},
      {"only the first duplicate", "[S]\nK=1\nK=2\n", "0", "[S]\nK=0\nK=2\n"},
      {"matches ignoring case", "[s]\nk=1\n", "0", "[s]\nk=0\n"},
      {"line without '=' gets one", "[S]\n K \n", "0", "[S]\n K=0 \n"},
      {"key added after the section's last line", "[S]\nA=1\n;c\n\n[T]\nB=2\n", "0",
       "[S]\nA=1\n;c\nK=0\n\n[T]\nB=2\n"},
      {"key added to the first of duplicate sections", "[S]\nA=1\n[S]\nK=1\n", "0",
       "[S]\nA=1\nK=0\n[S]\nK=1\n"},
      {"key added to an empty section", "[S]\r\n[T]\r\n", "0", "[S]\r\nK=0\r\n[T]\r\n"},
      {"key added at the end without final break", "[S]\r\nA=1", "0", "[S]\r\nA=1\r\nK=0\r\n"},
      {"section appended, LF file", "[T]\nB=2\n", "0", "[T]\nB=2\n[S]\nK=0\n"},
      {"section appended after a line break", "[T]\r\nB=2", "1", "[T]\r\nB=2\r\n[S]\r\nK=1\r\n"},
      {"new file", "", "0", "[S]\r\nK=0\r\n"},
      {"byte order mark kept", "\xEF\xBB\xBF", "0", "\xEF\xBB\xBF[S]\r\nK=0\r\n"},
      {"leading blanks of the value dropped", "", "  3", "[S]\r\nK=3\r\n"},
      {"junk lines kept byte for byte", "\xFF\x01junk\r\n[S]\r\n\x80\x81\r\nK=1\r\n\x7F"s, "0",
       "\xFF\x01junk\r\n[S]\r\n\x80\x81\r\nK=0\r\n\x7F"s},
  };
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IniWriteString(c.before, "S", "K", c.value), c.after);
  }
}

TEST(IniWriteStringTest, RefusesWhatCouldNotBeReadBack) {
  EXPECT_FALSE(IniWriteString("", "S", "K", "a\nb"));
  EXPECT_FALSE(IniWriteString("", "S", "K", "a\rb"));
  EXPECT_FALSE(IniWriteString("", "S", "K=", "1"));
  EXPECT_FALSE(IniWriteString("", "S", "[K]", "1"));
  EXPECT_FALSE(IniWriteString("", "S", " ", "1"));
  EXPECT_FALSE(IniWriteString("", "", "K", "1"));
  EXPECT_FALSE(IniWriteString("", "S\nT", "K", "1"));
  EXPECT_EQ(IniWriteString("", " S\n", "K", "1"), "[S]\r\nK=1\r\n") << "outer blanks trimmed";
  EXPECT_FALSE(IniWriteString("", "S", "K", "a\0b"s));
}

TEST(IniWriteStringTest, WrittenValueReadsBackAndOtherEntriesStay) {
  const std::string before = "[QS3_DIR]\r\nQS3_DIR=C:\\Music\r\n[qs3_10]\r\nwav=1\r\nX=\"q\"\r\n";
  const auto after = IniWriteString(before, "QS3_10", "WAV", "0");
  ASSERT_TRUE(after);
  EXPECT_EQ(IniReadInt(*after, "QS3_10", "WAV", 1), 0);
  EXPECT_EQ(IniReadString(*after, "QS3_DIR", "QS3_DIR", 512), "C:\\Music");
  EXPECT_EQ(IniReadString(*after, "QS3_10", "X", 512), "q");
}

// --- files ---

class TempFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    folder_ = fs::temp_directory_path() /
              ("qs3-" + std::string(info->name()) + "-" + std::to_string(ticks));
    fs::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  static void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
  }
  static std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::size_t EntriesIn(const fs::path& folder) const {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
  }

  fs::path folder_;
};

using IniFileStoreTest = TempFolder;

TEST_F(IniFileStoreTest, MissingFileReadsAsMissing) {
  IniFileStore store(folder_ / "none" / "ORN3CFG.INI");
  EXPECT_EQ(store.ReadString("QS3_DIR", "QS3_DIR", 512), std::nullopt);
  EXPECT_EQ(store.ReadInt("QS3_10", "WAV", 1), 1);
}

TEST_F(IniFileStoreTest, WriteCreatesFolderAndFile) {
  const fs::path path = folder_ / "a" / "b" / "ORN3CFG.INI";
  IniFileStore store(path);
  ASSERT_TRUE(store.WriteString("QS3_10", "WAV", "0"));
  EXPECT_EQ(ReadFile(path), "[QS3_10]\r\nWAV=0\r\n");
  EXPECT_EQ(store.ReadInt("QS3_10", "WAV", 1), 0);
  EXPECT_EQ(EntriesIn(path.parent_path()), 1u) << "no temporary file left behind";
}

TEST_F(IniFileStoreTest, WriteKeepsEveryOtherLine) {
  const fs::path path = folder_ / "ORN3CFG.INI";
  const std::string before =
      "; saver settings\n[QS3_DIR]\nQS3_DIR = \"D:\\Music\"  \n\n[QS3_10]\nWAV=1\njunk\xFF\n";
  WriteFile(path, before);
  IniFileStore store(path);
  ASSERT_TRUE(store.WriteString("QS3_10", "WAV", "-5"));
  EXPECT_EQ(
      ReadFile(path),
      "; saver settings\n[QS3_DIR]\nQS3_DIR = \"D:\\Music\"  \n\n[QS3_10]\nWAV=-5\njunk\xFF\n");
  EXPECT_EQ(store.ReadString("QS3_DIR", "QS3_DIR", 512), "D:\\Music");
  EXPECT_EQ(EntriesIn(folder_), 1u);
}

TEST_F(IniFileStoreTest, FailedWritesReturnFalse) {
  const fs::path blocker = folder_ / "file";
  WriteFile(blocker, "x");
  IniFileStore underFile(blocker / "ORN3CFG.INI");
  EXPECT_FALSE(underFile.WriteString("QS3_10", "WAV", "0"));
  EXPECT_EQ(ReadFile(blocker), "x");

  IniFileStore onFolder(folder_);
  EXPECT_FALSE(onFolder.WriteString("QS3_10", "WAV", "0"));
  EXPECT_EQ(onFolder.ReadString("QS3_10", "WAV", 16), std::nullopt);
}

TEST_F(IniFileStoreTest, FileBeyondTheReadCapIsReadInPartAndNeverRewritten) {
  const fs::path path = folder_ / "ORN3CFG.INI";
  std::string text = "[QS3_10]\nWAV=0\n";
  text.append(kMaxIniFileBytes, '\xAB');
  text += "\n[QS3_DIR]\nQS3_DIR=beyond\n";
  WriteFile(path, text);
  IniFileStore store(path);
  EXPECT_EQ(store.ReadInt("QS3_10", "WAV", 1), 0);
  EXPECT_EQ(store.ReadString("QS3_DIR", "QS3_DIR", 512), std::nullopt);
  EXPECT_FALSE(store.WriteString("QS3_10", "WAV", "1"));
  EXPECT_EQ(fs::file_size(path), text.size());
}

// --- the Linux and macOS system ---

TEST(XdgLocationsTest, FromEnvironment) {
  struct Case {
    const char* name;
    std::map<std::string, std::string> environment;
    const char* user;
    const char* shared;
    const char* data;
  };
  const Case cases[] = {
      {"defaults under HOME",
       {{"HOME", "/home/u"}},
       "/home/u/.config/qs3/ORN3CFG.INI",
       "/etc/xdg/qs3/ORN3CFG.INI",
       "/home/u/.local/share/OrnSaver3"},
      {"XDG variables",
       {{"HOME", "/home/u"},
        {"XDG_CONFIG_HOME", "/cfg"},
        {"XDG_CONFIG_DIRS", "/etc/a:/etc/b"},
        {"XDG_DATA_HOME", "/data"}},
       "/cfg/qs3/ORN3CFG.INI",
       "/etc/a/qs3/ORN3CFG.INI",
       "/data/OrnSaver3"},
      {"relative and empty values ignored",
       {{"HOME", "/home/u"},
        {"XDG_CONFIG_HOME", "rel"},
        {"XDG_CONFIG_DIRS", ":rel:/etc/c"},
        {"XDG_DATA_HOME", ""}},
       "/home/u/.config/qs3/ORN3CFG.INI",
       "/etc/c/qs3/ORN3CFG.INI",
       "/home/u/.local/share/OrnSaver3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const XdgLocations locations = XdgLocationsFrom([&](const char* name) -> const char* {
      const auto found = c.environment.find(name);
      return found == c.environment.end() ? nullptr : found->second.c_str();
    });
    EXPECT_EQ(locations.userProfile, fs::path(c.user));
    EXPECT_EQ(locations.sharedProfile, fs::path(c.shared));
    EXPECT_EQ(locations.defaultDataFolder, c.data);
  }
}

using StreamByteFileTest = TempFolder;

TEST_F(StreamByteFileTest, ReadsBytesThenStops) {
  WriteFile(folder_ / "AFMSSV3C.SSS", "A\xFF");
  StreamByteFile file(folder_);
  ASSERT_TRUE(file.Open("AFMSSV3C.SSS"));
  EXPECT_EQ(file.ReadByte(), std::uint8_t{'A'});
  EXPECT_EQ(file.ReadByte(), std::uint8_t{0xFF});
  EXPECT_EQ(file.ReadByte(), std::nullopt);
  file.Close();
  EXPECT_EQ(file.ReadByte(), std::nullopt);
  EXPECT_FALSE(file.Open("missing.sss"));
  fs::create_directory(folder_ / "folder.sss");
  EXPECT_FALSE(file.Open("folder.sss"));
}

TEST_F(StreamByteFileTest, SettingsSystemSavesToTheUserFileOnly) {
  XdgLocations locations{folder_ / "user" / "qs3" / "ORN3CFG.INI",
                         folder_ / "shared" / "qs3" / "ORN3CFG.INI", "/data/OrnSaver3"};
  fs::create_directories(locations.sharedProfile.parent_path());
  WriteFile(locations.sharedProfile, "[QS3_10]\nWAV=0\n");
  XdgSettingsSystem system(locations);
  EXPECT_EQ(system.SharedProfile().ReadInt("QS3_10", "WAV", 1), 0);
  ASSERT_TRUE(system.UserProfile().WriteString("QS3_10", "WAV", "2"));
  EXPECT_EQ(ReadFile(locations.userProfile), "[QS3_10]\r\nWAV=2\r\n");
  EXPECT_EQ(ReadFile(locations.sharedProfile), "[QS3_10]\nWAV=0\n");
  EXPECT_EQ(system.DefaultDataFolder(), "/data/OrnSaver3");
}

}  // namespace
}  // namespace qs3
