// The file effects of the changing commands, seen through a reload as after a restart.
#include "storage/working_files.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "model/messages.h"
#include "session_fixture.h"
#include "storage/account_text.h"
#include "storage/config_file.h"

namespace vellumkeep {
namespace {

const std::string kOk = std::string(msg::kSuccess) + "\n\n";

class WorkingFilesTest : public InstalledSessionTest {
 protected:
  // Root adds alice01; then alice01 is the Operator.
  void logInAsAlice() {
    logInWith("root\nrootpw1\n");
    ASSERT_EQ(kOk, run("adduser alice01 alicepw1 simple").out);
    restart();
    logInWith("alice01\nalicepw1\n");
    ASSERT_EQ("alice01", state().operatorName);
  }

  // Alice's account as the next login loads it.
  UserAccount reloadAlice() {
    restart();
    logInWith("alice01\nalicepw1\n");
    return *state().registry.findAccount("alice01");
  }

  std::vector<std::string> listedNames() {
    std::string dataPath;
    std::vector<std::string> names;
    readConfig(state().configPath, dataPath, names);
    return names;
  }
};

TEST_F(WorkingFilesTest, EveryChangeReachesTheDataFileAtOnce) {
  logInAsAlice();
  run("adddir mail");
  run("adddir bank");
  run("addpassword mail me@x.org pw~!@#$ url x.org");
  run("deldir bank", "y\n");
  EXPECT_FALSE(exists("alice01", ".tmp"));
  UserAccount before = state().operatorAccount();
  UserAccount after = reloadAlice();
  EXPECT_EQ(writeAccountText(before), writeAccountText(after));
  EXPECT_EQ(2, after.lastGroupId);
  EXPECT_EQ("url x.org", after.groups.at(0).entries.at(0).info);
}

TEST_F(WorkingFilesTest, SetmodeRewritesBothFilesInTheNewMode) {
  logInAsAlice();
  run("adddir mail");
  EXPECT_EQ(kOk, run("setmode unencrypted").out);
  std::string text = writeAccountText(state().operatorAccount());
  EXPECT_EQ(text, fileOf("alice01", ".usr"));
  EXPECT_EQ(Unencrypted, reloadAlice().mode);
  EXPECT_EQ(kOk, run("setmode simple").out);
  EXPECT_EQ(4 * text.size(), fileOf("alice01", ".usr").size());
  UserAccount reloaded = reloadAlice();
  EXPECT_EQ(Simple, reloaded.mode);
  EXPECT_EQ("mail", reloaded.groups.at(0).name);
  EXPECT_FALSE(exists("alice01", ".usr.pending"));
  EXPECT_FALSE(exists("alice01", ".usrpas.pending"));
}

TEST_F(WorkingFilesTest, SetpasswordChangesTheLoginPassword) {
  logInWith("root\nrootpw1\n");
  EXPECT_EQ(kOk, run("setpassword newroot1~!@#").out);
  restart();
  SessionOutput refused = logInWith("root\nrootpw1\nroot\nnewroot1~!@#\n");
  EXPECT_NE(std::string::npos, refused.out.find(msg::kLoginFailed));
  EXPECT_EQ("root", state().operatorName);
}

TEST_F(WorkingFilesTest, AccountsComeAndGoWithTheirFilesAndConfigLines) {
  logInWith("root\nrootpw1\n");
  run("addadmin admin01 adminpw1");
  run("adduser alice01 alicepw1 simple");
  EXPECT_EQ((std::vector<std::string>{"root", "admin01", "alice01"}), listedNames());
  EXPECT_TRUE(exists("alice01", ".usr"));
  EXPECT_FALSE(exists("alice01", ".tmp"));
  // Root's own saves are still coded with root's key after handling alice01's files.
  EXPECT_EQ(kOk, run("setpassword newroot1~!@#").out);
  run("deluser admin01", "y\n");
  EXPECT_EQ((std::vector<std::string>{"root", "alice01"}), listedNames());
  EXPECT_FALSE(exists("admin01", ".usr"));
  EXPECT_FALSE(exists("admin01", ".usrpas"));
  restart();
  logInWith("root\nnewroot1~!@#\n");
  EXPECT_EQ("root", state().operatorName);
  EXPECT_NE(nullptr, state().registry.findAccount("alice01"));
}

TEST_F(WorkingFilesTest, AFailedWriteIsReportedAndKeepsTheOldFile) {
  logInAsAlice();
  run("adddir mail");
  std::string before = fileOf("alice01", ".usr");
  // A folder in the place of the new data file makes its write fail.
  std::filesystem::create_directory(state().files.dataFile("alice01") + ".new");
  SessionOutput result = run("adddir bank");
  EXPECT_EQ(std::string(msg::kWriteFailed) + "\n\n", result.err);
  EXPECT_EQ("", result.out);
  EXPECT_EQ(before, fileOf("alice01", ".usr"));
  EXPECT_FALSE(exists("alice01", ".tmp"));
}

TEST_F(WorkingFilesTest, AFailedNewAccountLeavesNoPlainText) {
  logInWith("root\nrootpw1\n");
  std::filesystem::create_directory(state().files.dataFile("alice01") + ".new");
  EXPECT_EQ(std::string(msg::kWriteFailed) + "\n\n", run("adduser alice01 alicepw1 simple").err);
  EXPECT_FALSE(exists("alice01", ".tmp"));
  EXPECT_EQ(std::vector<std::string>{"root"}, listedNames());
}

}  // namespace
}  // namespace vellumkeep
