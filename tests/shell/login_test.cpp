#include "shell/login.h"

#include <gtest/gtest.h>

#include "model/messages.h"
#include "session_fixture.h"

namespace vellumkeep {
namespace {

class LoginTest : public InstalledSessionTest {};

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

}  // namespace
}  // namespace vellumkeep
