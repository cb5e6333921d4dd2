#include "settings/settings.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "fakes/fake_settings_system.h"

namespace qs3 {
namespace {

using fakes::FakeProfileStore;
using fakes::FakeSettingsSystem;
using Kind = FakeProfileStore::Call::Kind;

const std::string kSignature(kSignatureText);

std::string WithCrLf(const std::string& text) {
  std::string converted;
  for (char c : text) {
    if (c == '\n') converted += '\r';
    converted += c;
  }
  return converted;
}

// --- the signature test ---

struct SignatureCase {
  const char* name;
  std::optional<std::string> content;  // none: the file can't be opened
  SignatureResult result;
  int reads;
  int closes;
};

TEST(SignatureTest, ResultReadsAndCloseForEachFile) {
  std::string lastByteWrong = kSignature;
  lastByteWrong.back() = 'X';
  std::string highBitFirst = kSignature;
  highBitFirst[0] = static_cast<char>('A' | 0x80);
  const SignatureCase cases[] = {
      {"exact 99 bytes", kSignature, SignatureResult::Match, 99, 1},
      {"trailing bytes ignored", kSignature + "MORE\n", SignatureResult::Match, 99, 1},
      {"CR LF: carriage return at 50", WithCrLf(kSignature), SignatureResult::Mismatch, 51, 1},
      {"empty", std::string(), SignatureResult::Mismatch, 1, 1},
      {"98 bytes", kSignature.substr(0, 98), SignatureResult::Mismatch, 99, 1},
      {"last byte differs", lastByteWrong, SignatureResult::Mismatch, 99, 1},
      {"first byte with high bit", highBitFirst, SignatureResult::Mismatch, 1, 1},
      {"missing", std::nullopt, SignatureResult::NotOpened, 0, 0},
  };
  for (const SignatureCase& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::FakeByteFile file;
    if (c.content) file.SetContent(*c.content);
    EXPECT_EQ(TestSignature(file), c.result);
    EXPECT_EQ(file.reads(), c.reads);
    EXPECT_EQ(file.closes(), c.closes);
    ASSERT_EQ(file.openedNames().size(), 1u);
    EXPECT_EQ(file.openedNames()[0], "AFMSSV3C.SSS");
    EXPECT_FALSE(file.isOpen());
  }
}

TEST(SignatureTest, CrLfMismatchStopsAtTheCarriageReturn) {
  const std::string crlf = WithCrLf(kSignature);
  ASSERT_EQ(crlf[50], '\r');
  fakes::FakeByteFile file;
  file.SetContent(crlf);
  EXPECT_EQ(TestSignature(file), SignatureResult::Mismatch);
  EXPECT_EQ(file.reads(), 51) << "positions 0 to 50 read, none after the difference";
}

TEST(DriveLetterDataFolderTest, FirstCharacterPassesThroughUnchanged) {
  EXPECT_EQ(DriveLetterDataFolder("C:\\WINDOWS"), "C:\\OrnSaver3");
  EXPECT_EQ(DriveLetterDataFolder("d:\\winnt"), "d:\\OrnSaver3");
  EXPECT_EQ(DriveLetterDataFolder(std::string("\0x", 2)), "");
  EXPECT_EQ(DriveLetterDataFolder(""), "");
}

// --- LoadSettings: the data folder ---

TEST(LoadSettingsTest, NothingPresentGivesBothDefaults) {
  FakeSettingsSystem system;
  Settings settings;
  LoadSettings(system, settings);
  EXPECT_EQ(settings.dataFolder, "C:\\OrnSaver3");
  EXPECT_EQ(settings.musicEnabled, 1);
}

TEST(LoadSettingsTest, MatchingSignatureDecidesTheFolderButNotTheMusic) {
  FakeSettingsSystem system;
  system.signature.SetContent(kSignature);
  system.user.Set("QS3_DIR", "QS3_DIR", "D:\\User");
  system.shared.Set("QS3_DIR", "QS3_DIR", "E:\\Shared");
  system.shared.Set("QS3_10", "WAV", "0");
  Settings settings;
  LoadSettings(system, settings);
  EXPECT_EQ(settings.dataFolder, ".\\QS3");
  EXPECT_EQ(settings.musicEnabled, 0);
  EXPECT_EQ(system.user.CountCalls(Kind::ReadString, "QS3_DIR"), 0u);
  EXPECT_EQ(system.shared.CountCalls(Kind::ReadString, "QS3_DIR"), 0u);
  EXPECT_EQ(system.defaultDataFolderCalls, 0);
}

TEST(LoadSettingsTest, MatchingSignatureWithoutWavKeyPlaysMusic) {
  FakeSettingsSystem system;
  system.signature.SetContent(kSignature + "trailing");
  Settings settings;
  LoadSettings(system, settings);
  EXPECT_EQ(settings.dataFolder, ".\\QS3");
  EXPECT_EQ(settings.musicEnabled, 1);
}

TEST(LoadSettingsTest, MismatchOrMissingSignatureTakesTheSettingsFile) {
  const std::optional<std::string> signatures[] = {std::nullopt, WithCrLf(kSignature), "",
                                                   kSignature.substr(0, 98)};
  for (const auto& signature : signatures) {
    SCOPED_TRACE(signature ? "size " + std::to_string(signature->size()) : "missing");
    FakeSettingsSystem system;
    if (signature) system.signature.SetContent(*signature);
    system.shared.Set("QS3_DIR", "QS3_DIR", "E:\\Shared");
    Settings settings;
    LoadSettings(system, settings);
    EXPECT_EQ(settings.dataFolder, "E:\\Shared");
  }
}

struct FolderCase {
  const char* name;
  std::optional<std::string> user;
  std::optional<std::string> shared;
  std::string expected;
};

TEST(LoadSettingsTest, DataFolderComesFromUserThenSharedThenDefault) {
  const FolderCase cases[] = {
      {"user wins", "D:\\User", "E:\\Shared", "D:\\User"},
      {"shared when user lacks it", std::nullopt, "E:\\Shared", "E:\\Shared"},
      {"default when both lack it", std::nullopt, std::nullopt, "C:\\OrnSaver3"},
      {"user's empty value counts", "", "E:\\Shared", ""},
      {"shared's empty value counts", std::nullopt, "", ""},
      {"used verbatim", " X:\\with space\\ ", std::nullopt, " X:\\with space\\ "},
  };
  for (const FolderCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSettingsSystem system;
    if (c.user) system.user.Set("QS3_DIR", "QS3_DIR", *c.user);
    if (c.shared) system.shared.Set("QS3_DIR", "QS3_DIR", *c.shared);
    Settings settings;
    LoadSettings(system, settings);
    EXPECT_EQ(settings.dataFolder, c.expected);
  }
}

TEST(LoadSettingsTest, DataFolderIsReadWithA512ByteBuffer) {
  FakeSettingsSystem system;
  Settings settings;
  LoadSettings(system, settings);
  for (const FakeProfileStore* store : {&system.user, &system.shared}) {
    ASSERT_EQ(store->CountCalls(Kind::ReadString, "QS3_DIR"), 1u);
    for (const auto& call : store->calls()) {
      if (call.key == "QS3_DIR") {
        EXPECT_EQ(call.section, "QS3_DIR");
        EXPECT_EQ(call.capacity, 512u);
      }
    }
  }
}

struct LengthCase {
  std::size_t stored;
  std::size_t arrives;
};

TEST(LoadSettingsTest, AtMost511CharactersOfTheDataFolderArrive) {
  const LengthCase cases[] = {{0, 0}, {511, 511}, {512, 511}, {600, 511}};
  for (const LengthCase& c : cases) {
    SCOPED_TRACE("stored " + std::to_string(c.stored));
    std::string folder(c.stored, 'x');
    for (std::size_t i = 0; i < folder.size(); ++i) folder[i] = static_cast<char>('a' + i % 26);
    for (int where = 0; where < 3; ++where) {
      FakeSettingsSystem system;
      if (where == 0) system.user.Set("QS3_DIR", "QS3_DIR", folder);
      if (where == 1) system.shared.Set("QS3_DIR", "QS3_DIR", folder);
      if (where == 2) system.defaultDataFolder = folder;
      Settings settings;
      LoadSettings(system, settings);
      EXPECT_EQ(settings.dataFolder, folder.substr(0, c.arrives)) << "source " << where;
    }
  }
}

// --- LoadSettings: the music switch ---

struct MusicCase {
  const char* name;
  std::optional<std::string> user;
  std::optional<std::string> shared;
  std::int32_t expected;
};

TEST(LoadSettingsTest, MusicSwitchValues) {
  const MusicCase cases[] = {
      {"0", std::nullopt, "0", 0},
      {"1", std::nullopt, "1", 1},
      {"2 stays 2", std::nullopt, "2", 2},
      {"-1", std::nullopt, "-1", -1},
      {"missing", std::nullopt, std::nullopt, 1},
      {"junk", std::nullopt, "junk", 0},
      {"digits then junk", std::nullopt, "12abc", 12},
      {"empty value", std::nullopt, "", 1},
      {"beyond 32 bits wraps", std::nullopt, "4294967297", 1},
      {"user wins", "0", "1", 0},
      {"user wins over missing shared", "2", std::nullopt, 2},
      {"user's junk still wins", "junk", "1", 0},
      {"user's empty value counts as present", "", "0", 1},
  };
  for (const MusicCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSettingsSystem system;
    if (c.user) system.user.Set("QS3_10", "WAV", *c.user);
    if (c.shared) system.shared.Set("QS3_10", "WAV", *c.shared);
    Settings settings;
    LoadSettings(system, settings);
    EXPECT_EQ(settings.musicEnabled, c.expected);
  }
}

TEST(LoadSettingsTest, SharedMusicSwitchIsReadWithDefault1OnlyWhenUserLacksIt) {
  FakeSettingsSystem system;
  system.user.Set("QS3_10", "WAV", "0");
  Settings settings;
  LoadSettings(system, settings);
  EXPECT_EQ(system.shared.CountCalls(Kind::ReadInt, "WAV"), 0u);

  FakeSettingsSystem other;
  LoadSettings(other, settings);
  ASSERT_EQ(other.shared.CountCalls(Kind::ReadInt, "WAV"), 1u);
  const auto& call = other.shared.calls().back();
  EXPECT_EQ(call.section, "QS3_10");
  EXPECT_EQ(call.fallback, 1);
}

TEST(LoadSettingsTest, EveryCallReadsTheFilesAnew) {
  FakeSettingsSystem system;
  Settings settings;
  LoadSettings(system, settings);
  system.shared.Set("QS3_10", "WAV", "0");
  system.shared.Set("QS3_DIR", "QS3_DIR", "E:\\Later");
  LoadSettings(system, settings);
  EXPECT_EQ(settings.musicEnabled, 0);
  EXPECT_EQ(settings.dataFolder, "E:\\Later");
  EXPECT_EQ(system.signature.openedNames().size(), 2u);
}

// --- SaveSettings ---

TEST(SaveSettingsTest, WritesDecimalToTheUserFileOnly) {
  const std::pair<std::int32_t, const char*> cases[] = {
      {0, "0"}, {1, "1"}, {-5, "-5"}, {2147483647, "2147483647"}, {-2147483647 - 1, "-2147483648"}};
  for (const auto& [value, text] : cases) {
    SCOPED_TRACE(text);
    FakeSettingsSystem system;
    system.user.Set("QS3_DIR", "QS3_DIR", "D:\\Keep");
    Settings settings;
    settings.musicEnabled = value;
    SaveSettings(system, settings);
    ASSERT_EQ(system.user.calls().size(), 1u);
    const auto& call = system.user.calls()[0];
    EXPECT_EQ(call.kind, Kind::WriteString);
    EXPECT_EQ(call.section, "QS3_10");
    EXPECT_EQ(call.key, "WAV");
    EXPECT_EQ(call.value, text);
    EXPECT_TRUE(system.shared.calls().empty());
    EXPECT_EQ(system.user.Get("QS3_DIR", "QS3_DIR"), "D:\\Keep");
  }
}

TEST(SaveSettingsTest, FailedWriteIsSilentAndChangesNothing) {
  FakeSettingsSystem system;
  system.user.Set("QS3_10", "WAV", "1");
  system.user.FailWrites(true);
  Settings settings;
  settings.musicEnabled = 0;
  settings.dataFolder = "D:\\Music";
  SaveSettings(system, settings);
  EXPECT_EQ(system.user.CountCalls(Kind::WriteString, "WAV"), 1u);
  EXPECT_EQ(system.user.Get("QS3_10", "WAV"), "1");
  EXPECT_EQ(settings.musicEnabled, 0);
  EXPECT_EQ(settings.dataFolder, "D:\\Music");
}

TEST(SaveSettingsTest, SavedValueWinsOverTheSharedFileOnTheNextLoad) {
  FakeSettingsSystem system;
  system.shared.Set("QS3_10", "WAV", "1");
  Settings settings;
  settings.musicEnabled = 0;
  SaveSettings(system, settings);
  Settings loaded;
  LoadSettings(system, loaded);
  EXPECT_EQ(loaded.musicEnabled, 0);
}

}  // namespace
}  // namespace qs3
