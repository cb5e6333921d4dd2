#include "shell/entry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/fake_config_windows.h"
#include "fakes/fake_host.h"
#include "fakes/fake_password_system.h"
#include "fakes/fake_resources.h"
#include "fakes/fake_settings_system.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_stage.h"

namespace qs3 {
namespace {

using fakes::CallLog;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

class RunSaverTest : public ::testing::Test {
 protected:
  RunSaverTest()
      : host(log),
        shell(log, host),
        passwords(log),
        stage(log),
        configWindows(log),
        resources(log),
        services{host, shell, passwords, settings, stage, configWindows, resources} {
    host.screen = {640, 480};
    host.clientSizes[1234] = {152, 112};
    host.foreground = 99;
    settings.signature.log = &log;
  }

  int Run(const char* commandLine, bool hasPreviousInstance = false) {
    return RunSaver(commandLine, hasPreviousInstance, services);
  }

  CallLog log;
  fakes::FakeHost host;
  fakes::FakeShell shell;
  fakes::FakePasswordSystem passwords;
  fakes::FakeSettingsSystem settings;
  fakes::FakeStage stage;
  fakes::FakeConfigWindows configWindows;
  fakes::FakeResourceSource resources;
  EntryServices services;
};

TEST_F(RunSaverTest, ARunningFullScreenSaverRefusesEveryMode) {
  host.topLevelTitles.insert("QS3_10");
  for (const char* line : {"/s", "/p 1234", "/c", "/a 1234", ""}) {
    log.Clear();
    EXPECT_EQ(Run(line), 0) << line;
    EXPECT_THAT(log.calls, ElementsAre("FindWindow QS3_10")) << line;
  }
}

TEST_F(RunSaverTest, ASecondPreviewEndsAtOnce) {
  host.topLevelTitles.insert("SSPREVIEW");
  EXPECT_EQ(Run("/p 1234"), 0);
  EXPECT_THAT(log.calls, ElementsAre("FindWindow QS3_10", "FindWindow SSPREVIEW"));
}

TEST_F(RunSaverTest, FullScreenRegistersCreatesShowsLoopsAndHides) {
  shell.duringLoop = [](SaverWindow& window) { window.OnInput(InputMessage::KeyDown); };
  EXPECT_EQ(Run("/s"), 0);
  EXPECT_TRUE(shell.loopEndedByQuit);
  SaverWindowParams expected;
  expected.className = "QS3_10";
  expected.exStyle = 0x8;
  expected.title = "QS3_10";
  expected.style = 0x80000000u | 0x10000000u;
  expected.size = {640, 480};
  EXPECT_EQ(shell.createdWith, expected);
  EXPECT_EQ(log.calls.front(), "FindWindow QS3_10");
  EXPECT_THAT(log.calls, Contains("RegisterClass"));
  EXPECT_EQ(log.calls.back(), "HideWindow");
}

TEST_F(RunSaverTest, PreviewIsAChildOfTheGivenWindowFillingItsClientArea) {
  shell.duringLoop = [](SaverWindow& window) { window.OnDestroy(); };
  EXPECT_EQ(Run("/p 1234"), 0);
  SaverWindowParams expected;
  expected.className = "QS3_10";
  expected.title = "SSPREVIEW";
  expected.style = 0x40000000u | 0x10000000u;
  expected.size = {152, 112};
  expected.parent = 1234;
  EXPECT_EQ(shell.createdWith, expected);
}

TEST_F(RunSaverTest, FailedRegistrationOrCreationEndsWithZero) {
  shell.registerFails = true;
  EXPECT_EQ(Run("/s"), 0);
  EXPECT_THAT(log.calls, Not(Contains("CreateWindow QS3_10")));

  shell.registerFails = false;
  shell.createFails = true;
  log.Clear();
  EXPECT_EQ(Run("/p 0"), 0);
  EXPECT_THAT(log.calls, Not(Contains("MessageLoop")));
}

TEST_F(RunSaverTest, APreviousInstanceSkipsTheRegistration) {
  shell.registerFails = true;
  shell.duringLoop = [](SaverWindow& window) { window.OnDestroy(); };
  EXPECT_EQ(Run("/s", true), 0);
  EXPECT_THAT(log.calls, Not(Contains("RegisterClass")));
  EXPECT_THAT(log.calls, Contains("MessageLoop"));
}

TEST_F(RunSaverTest, ConfigureShowsTheSettingsThenBringsTheParentForward) {
  configWindows.duringLoop = [](fakes::FakeConfigWindows& windows) { windows.Close(); };
  EXPECT_EQ(Run("/c:1234"), 0);
  EXPECT_THAT(log.calls, Contains("EnableWindow 99 off"));
  const std::vector<std::string> tail(log.calls.end() - 3, log.calls.end());
  EXPECT_THAT(tail, ElementsAre("EnableWindow 99 on", "Detach", "SetForegroundWindow 99"));
  EXPECT_THAT(log.calls, Not(Contains("RegisterClass")));

  log.Clear();
  EXPECT_EQ(Run(""), 0);
  EXPECT_THAT(log.calls, Contains("EnableWindow 0 off"));
  EXPECT_THAT(log.calls, Not(Contains("SetForegroundWindow 0")));
}

TEST_F(RunSaverTest, AFailedSettingsWindowStillEndsWithZero) {
  configWindows.failCreation.insert("QS3_10");
  EXPECT_EQ(Run("/c"), 0);
  EXPECT_THAT(log.calls, Not(Contains("EnableWindow 99 off")));
  EXPECT_EQ(log.calls.back(), "SetForegroundWindow 99");
}

TEST_F(RunSaverTest, ChangePasswordCallsTheHookWithTheParent) {
  passwords.modules = {"mpr.dll"};
  passwords.entries = {"PwdChangePasswordA"};
  EXPECT_EQ(Run("/a 1234"), 0);
  EXPECT_THAT(log.calls, Contains("Change SCRSAVE 1234 0 0"));
  log.Clear();
  passwords.modules.clear();
  EXPECT_EQ(Run("/a"), 0);
  EXPECT_THAT(log.calls, ElementsAre("FindWindow QS3_10", "Load mpr.dll"));
}

TEST(StartUpTest, ScaleFactorFollowsTheStage) {
  CallLog log;
  fakes::FakeHost host(log);
  host.screen = {800, 600};
  host.clientSizes[1234] = {152, 112};
  const auto preview = StartUp("/p 1234", host);
  ASSERT_TRUE(preview);
  EXPECT_EQ(preview->scaleFactor, 190);
  EXPECT_EQ(preview->screenSize, (Size{800, 600}));
  const auto full = StartUp("/s", host);
  ASSERT_TRUE(full);
  EXPECT_EQ(full->scaleFactor, 1000);
  EXPECT_EQ(full->stageSize, (Size{800, 600}));
}

}  // namespace
}  // namespace qs3
