#include "shell/password_hooks.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/fake_password_system.h"

namespace qs3 {
namespace {

using fakes::CallLog;
using fakes::FakePasswordSystem;
using ::testing::ElementsAre;

constexpr WindowHandle kSaver = 77;

class PasswordHooksTest : public ::testing::Test {
 protected:
  PasswordHooksTest() : system(log) {}
  CallLog log;
  FakePasswordSystem system;
};

TEST_F(PasswordHooksTest, NoPasswordValueEndsWithoutLoadingAnything) {
  system.usePasswordValue = 0;
  system.modules = {"password.cpl"};
  system.entries = {"VerifyScreenSavePwd"};
  EXPECT_EQ(CheckPassword(system, kSaver), 1);
  EXPECT_THAT(log.calls, ElementsAre("ReadUsePassword"));
}

TEST_F(PasswordHooksTest, MissingModuleCountsAsNoPassword) {
  system.usePasswordValue = 1;
  EXPECT_EQ(CheckPassword(system, kSaver), 1);
  EXPECT_THAT(log.calls, ElementsAre("ReadUsePassword", "Load password.cpl"));
}

TEST_F(PasswordHooksTest, ModuleWithoutEntryIsFreedAndCountsAsNoPassword) {
  system.usePasswordValue = 0x31;  // a string "1" read as four bytes is nonzero too
  system.modules = {"password.cpl"};
  EXPECT_EQ(CheckPassword(system, kSaver), 1);
  EXPECT_THAT(log.calls, ElementsAre("ReadUsePassword", "Load password.cpl",
                                     "Find VerifyScreenSavePwd", "Free"));
  EXPECT_EQ(system.loadedNow, 0);
}

TEST_F(PasswordHooksTest, VerifyResultIsReturnedUnchangedAndTheModuleFreedEachTime) {
  system.usePasswordValue = 1;
  system.modules = {"password.cpl"};
  system.entries = {"VerifyScreenSavePwd"};
  for (const std::int32_t answer : {0, 1, 7}) {
    log.Clear();
    system.verifyResult = answer;
    EXPECT_EQ(CheckPassword(system, kSaver), answer);
    EXPECT_THAT(log.calls, ElementsAre("ReadUsePassword", "Load password.cpl",
                                       "Find VerifyScreenSavePwd", "Verify 77", "Free"));
    EXPECT_EQ(system.loadedNow, 0);
  }
}

TEST_F(PasswordHooksTest, ChangePasswordCallsTheEntryWithTheProvider) {
  system.modules = {"mpr.dll"};
  system.entries = {"PwdChangePasswordA"};
  RunPasswordChange(system, 1234);
  EXPECT_THAT(log.calls, ElementsAre("Load mpr.dll", "Find PwdChangePasswordA",
                                     "Change SCRSAVE 1234 0 0", "Free"));
}

TEST_F(PasswordHooksTest, ChangePasswordWithoutModuleOrEntryDoesNothing) {
  RunPasswordChange(system, 1234);
  EXPECT_THAT(log.calls, ElementsAre("Load mpr.dll"));
  log.Clear();
  system.modules = {"mpr.dll"};
  RunPasswordChange(system, 1234);
  EXPECT_THAT(log.calls, ElementsAre("Load mpr.dll", "Find PwdChangePasswordA", "Free"));
  EXPECT_EQ(system.loadedNow, 0);
}

}  // namespace
}  // namespace qs3
