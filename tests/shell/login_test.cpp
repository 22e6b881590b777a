#include "shell/login.h"

#include <gtest/gtest.h>

#include "model/messages.h"
#include "session_fixture.h"

namespace vellumkeep {
namespace {

class LoginTest : public InstalledSessionTest {
 protected:
  SessionOutput logInAsRoot() { return logInWith(std::string("root\n") + kRootPassword + "\n"); }
};

TEST_F(LoginTest, LoginRewritesThePasswordFileWithNewFiller) {
  std::string before = fileOf("root", ".usrpas");
  logInAsRoot();
  EXPECT_NE(before, fileOf("root", ".usrpas"));
  restart();
  logInAsRoot();
  EXPECT_EQ("root", state().operatorName);
}

TEST_F(LoginTest, AdministratorsLoadEveryUserAndUsersOnlyThemselves) {
  logInAsRoot();
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
  logInAsRoot();
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
