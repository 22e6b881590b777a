#include "shell/login.h"

#include <gtest/gtest.h>

#include "model/messages.h"
#include "session_fixture.h"

namespace vellumkeep {
namespace {

class LoginTest : public InstalledSessionTest {};

const std::string kAttempt = std::string("\n") + msg::kLoginName + msg::kLoginPassword;
const std::string kRefused = std::string(msg::kLoginFailed) + "\n";

TEST_F(LoginTest, BannerThenAttemptsUntilThePasswordIsRight) {
  SessionOutput result =
      logInWith("root\nwrong11\nnobody\nrootpw1\nroot \nrootpw1\nroot\nrootpw1\n");
  std::string rule(79, '-');
  std::string banner = rule + "\n|" + std::string(27, ' ') + msg::kWelcome + std::string(32, ' ') +
                       "|\n|" + std::string(29, ' ') + msg::kWebAddress +
                       std::string(48 - std::string(msg::kWebAddress).size(), ' ') + "|\n" + rule +
                       "\n";
  EXPECT_EQ(banner + kAttempt + kRefused + kAttempt + kRefused + kAttempt + kRefused + kAttempt,
            result.out);
  EXPECT_EQ("", result.err);
  EXPECT_EQ("root", state().operatorName);
  EXPECT_FALSE(exists("root", ".tmp"));
}

TEST_F(LoginTest, InputEndingBeforeALoginIsReported) {
  EXPECT_THROW(logInWith("root\nwrong11\n"), InputExhausted);
}

TEST_F(LoginTest, LoginRewritesThePasswordFileWithNewFiller) {
  std::string before = fileOf("root", ".usrpas");
  logInWith("root\nrootpw1\n");
  EXPECT_NE(before, fileOf("root", ".usrpas"));
  restart();
  logInWith("root\nrootpw1\n");
  EXPECT_EQ("root", state().operatorName);
}

TEST_F(LoginTest, AdministratorsLoadEveryUserAndUsersOnlyThemselves) {
  logInWith("root\nrootpw1\n");
  run("addadmin admin01 adminpw1");
  run("adduser alice01 alicepw1 simple");
  restart();
  logInWith("admin01\nadminpw1\n");
  EXPECT_NE(nullptr, state().registry.findAccount("root"));
  EXPECT_NE(nullptr, state().registry.findAccount("alice01"));
  restart();
  logInWith("alice01\nalicepw1\n");
  EXPECT_EQ(nullptr, state().registry.findAccount("root"));
  EXPECT_EQ(1u, state().registry.users.size());
}

TEST_F(LoginTest, DamagedUserIsReportedAndItsWorkingFilesRemoved) {
  logInWith("root\nrootpw1\n");
  run("adduser alice01 alicepw1 simple");
  run("adduser bobby01 bobbypw1 simple");
  restart();
  removeFile(state().files.passwordFile("alice01"));
  writeFilePrivately(state().files.workingFile("bobby01"), "left over");
  SessionOutput result = logInWith("alice01\nalicepw1\nbobby01\nbobbypw1\n");
  EXPECT_EQ(std::string(msg::kCorruptUserData) + "\n", result.err);
  EXPECT_EQ("bobby01", state().operatorName);
  EXPECT_FALSE(exists("bobby01", ".tmp"));
}

TEST_F(LoginTest, DamagedOtherUserStopsLoadingButNotTheLogin) {
  logInWith("root\nrootpw1\n");
  run("adduser alice01 alicepw1 simple");
  run("adduser bobby01 bobbypw1 simple");
  restart();
  writeFilePrivately(state().files.dataFile("alice01"), "0001");
  std::string rootPasswordFile = fileOf("root", ".usrpas");
  SessionOutput result = logInWith("root\nrootpw1\n");
  EXPECT_EQ(std::string(msg::kCorruptUserData) + "\n", result.err);
  EXPECT_EQ("root", state().operatorName);
  EXPECT_EQ(nullptr, state().registry.findAccount("bobby01"));
  EXPECT_EQ(rootPasswordFile, fileOf("root", ".usrpas"));
  // The listed but unloaded users cannot be overwritten.
  EXPECT_EQ(std::string(msg::kNameTaken) + "\n\n", run("adduser bobby01 other11 simple").err);
  EXPECT_EQ(std::string(msg::kNameTaken) + "\n\n", run("adduser alice01 other11 simple").err);
}

}  // namespace
}  // namespace vellumkeep
