#include "shell/command_line.h"

#include <gtest/gtest.h>

#include "fakes/fake_host.h"

namespace qs3 {
namespace {

using fakes::CallLog;
using fakes::FakeHost;

constexpr WindowHandle kForeground = 0x4242;

struct ParseCase {
  const char* commandLine;
  SaverMode mode;
  WindowHandle parent;
  Size stage;
  friend void PrintTo(const ParseCase& c, std::ostream* os) { *os << '"' << c.commandLine << '"'; }
};

class ParseCommandLineTest : public ::testing::TestWithParam<ParseCase> {
 protected:
  ParseCommandLineTest() : host(log) {
    host.screen = {800, 600};
    host.foreground = kForeground;
    host.clientSizes[1234] = {152, 112};
    host.clientSizes[234] = {100, 50};
    host.clientSizes[-1] = {10, 20};
  }
  CallLog log;
  FakeHost host;
};

TEST_P(ParseCommandLineTest, GivesModeParentAndStage) {
  const ParseCase& c = GetParam();
  const ParseResult result = ParseCommandLine(c.commandLine, host.screen, host);
  EXPECT_FALSE(result.endAtOnce);
  EXPECT_EQ(result.mode, c.mode);
  EXPECT_EQ(result.parentWindow, c.parent);
  EXPECT_EQ(result.stageSize, c.stage);
}

constexpr Size kScreen{800, 600};
constexpr Size kNone{0, 0};

INSTANTIATE_TEST_SUITE_P(
    Switches, ParseCommandLineTest,
    ::testing::Values(ParseCase{"", SaverMode::Configure, kNoWindow, kNone},
                      ParseCase{"   ", SaverMode::Configure, kNoWindow, kNone},
                      ParseCase{"/s", SaverMode::FullScreen, kNoWindow, kScreen},
                      ParseCase{"-S", SaverMode::FullScreen, kNoWindow, kScreen},
                      ParseCase{"/S", SaverMode::FullScreen, kNoWindow, kScreen},
                      ParseCase{"/p 1234", SaverMode::Preview, 1234, {152, 112}},
                      ParseCase{"/p:1234", SaverMode::Preview, 1234, {152, 112}},
                      ParseCase{"-P 1234", SaverMode::Preview, 1234, {152, 112}},
                      ParseCase{"/l 1234", SaverMode::Preview, 1234, {152, 112}},
                      ParseCase{"/L:1234", SaverMode::Preview, 1234, {152, 112}},
                      // The character behind the letter is skipped whatever it is.
                      ParseCase{"/p1234", SaverMode::Preview, 234, {100, 50}},
                      // No digits read as 0, which names no window.
                      ParseCase{"/p", SaverMode::Preview, 0, kNone},
                      ParseCase{"/p ", SaverMode::Preview, 0, kNone},
                      ParseCase{"/p  1234", SaverMode::Preview, 0, kNone},
                      ParseCase{"/p abc", SaverMode::Preview, 0, kNone},
                      // A handle that names no window leaves the stage empty.
                      ParseCase{"/p 999", SaverMode::Preview, 999, kNone},
                      // Unsigned 32-bit handles keep their bits and are sign-extended.
                      ParseCase{"/p 4294967295", SaverMode::Preview, -1, {10, 20}},
                      ParseCase{"/p -1", SaverMode::Preview, -1, {10, 20}},
                      ParseCase{"/c", SaverMode::Configure, kForeground, kNone},
                      ParseCase{"/c:1234", SaverMode::Configure, kForeground, kNone},
                      ParseCase{"-C", SaverMode::Configure, kForeground, kNone},
                      ParseCase{"/a 1234", SaverMode::ChangePassword, 1234, kNone},
                      ParseCase{"/A:77", SaverMode::ChangePassword, 77, kNone},
                      ParseCase{"/a", SaverMode::ChangePassword, 0, kNone},
                      // Not a switch letter: passed over, the scan goes on.
                      ParseCase{"/x /s", SaverMode::FullScreen, kNoWindow, kScreen},
                      ParseCase{"-/s", SaverMode::FullScreen, kNoWindow, kScreen},
                      ParseCase{"/", SaverMode::Configure, kNoWindow, kNone},
                      ParseCase{"s p c", SaverMode::Configure, kNoWindow, kNone},
                      // The last switch decides; the stage keeps what s or p set.
                      ParseCase{"/s /c", SaverMode::Configure, kForeground, kScreen},
                      ParseCase{"/c /s", SaverMode::FullScreen, kNoWindow, kScreen},
                      ParseCase{"/p 1234 /s", SaverMode::FullScreen, kNoWindow, kScreen},
                      ParseCase{"/s /p 1234", SaverMode::Preview, 1234, {152, 112}},
                      ParseCase{"/p 1234 /a 5", SaverMode::ChangePassword, 5, {152, 112}},
                      // The argument runs to the next blank; the scan resumes behind it.
                      ParseCase{"/p 1234/s", SaverMode::Preview, 1234, {152, 112}},
                      ParseCase{"/a 12 /s", SaverMode::FullScreen, kNoWindow, kScreen}));

TEST_F(ParseCommandLineTest, PreviewRefusedWhileAPreviewWindowExists) {
  host.topLevelTitles.insert("SSPREVIEW");
  for (const char* line : {"/p 1234", "/l 1234", "/s /p 1234"}) {
    EXPECT_TRUE(ParseCommandLine(line, host.screen, host).endAtOnce) << line;
  }
  // Other modes don't look for it.
  EXPECT_FALSE(ParseCommandLine("/s", host.screen, host).endAtOnce);
  EXPECT_FALSE(ParseCommandLine("/a 1", host.screen, host).endAtOnce);
}

struct HandleCase {
  const char* argument;
  WindowHandle handle;
  friend void PrintTo(const HandleCase& c, std::ostream* os) { *os << '"' << c.argument << '"'; }
};

class ReadWindowHandleTest : public ::testing::TestWithParam<HandleCase> {};

TEST_P(ReadWindowHandleTest, ReadsLikeStrtolWith32BitWrap) {
  EXPECT_EQ(ReadWindowHandle(GetParam().argument), GetParam().handle);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, ReadWindowHandleTest,
    ::testing::Values(HandleCase{"", 0}, HandleCase{"0", 0}, HandleCase{"1234", 1234},
                      HandleCase{"+12", 12}, HandleCase{"-12", -12}, HandleCase{"\t77", 77},
                      HandleCase{"12ab34", 12}, HandleCase{"-", 0}, HandleCase{"x1", 0},
                      HandleCase{"2147483647", 2147483647},
                      // Above 2^31 - 1 the 32 bits are kept, then sign-extended.
                      HandleCase{"2147483648", -2147483647 - 1},
                      HandleCase{"3000000000", static_cast<std::int32_t>(3000000000u)},
                      HandleCase{"4294967296", 0}, HandleCase{"4294967297", 1},
                      // Only the first 15 characters count.
                      HandleCase{"123456789012345",
                                 static_cast<std::int32_t>(123456789012345ull & 0xFFFFFFFFu)},
                      HandleCase{"1234567890123456789",
                                 static_cast<std::int32_t>(123456789012345ull & 0xFFFFFFFFu)},
                      HandleCase{"-4294967295", 1}));

struct ScaleCase {
  SaverMode mode;
  Size stage;
  Size screen;
  std::int32_t scale;
  friend void PrintTo(const ScaleCase& c, std::ostream* os) {
    *os << c.stage.width << 'x' << c.stage.height << " on " << c.screen.width << 'x'
        << c.screen.height;
  }
};

class ScaleFactorTest : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleFactorTest, TakesTheLargerPerMille) {
  const ScaleCase& c = GetParam();
  EXPECT_EQ(ComputeScaleFactor(c.mode, c.stage, c.screen), c.scale);
}

INSTANTIATE_TEST_SUITE_P(
    Stages, ScaleFactorTest,
    ::testing::Values(ScaleCase{SaverMode::Preview, {152, 112}, {640, 480}, 237},
                      ScaleCase{SaverMode::Preview, {152, 112}, {800, 600}, 190},
                      ScaleCase{SaverMode::Preview, {800, 600}, {800, 600}, 1000},
                      ScaleCase{SaverMode::FullScreen, {1, 1}, {800, 600}, 1000},
                      ScaleCase{SaverMode::Configure, {0, 0}, {800, 600}, 0},
                      // A zero screen axis cannot divide.
                      ScaleCase{SaverMode::Preview, {152, 112}, {0, 0}, 0},
                      ScaleCase{SaverMode::Preview, {-152, -112}, {800, 600}, -186}));

}  // namespace
}  // namespace qs3
