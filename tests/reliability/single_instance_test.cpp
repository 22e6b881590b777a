// One process per installation: while a program holds the installation, a second one refuses
// at start and changes nothing; once the first has ended, however it ended, a new one starts.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "e2e/installation.h"
#include "model/messages.h"

namespace vellumkeep {
namespace {

class SingleInstance : public InstalledTest {
 protected:
  // Every file of the installation, its folder names included, with its contents.
  std::map<std::string, std::string> everything() const {
    std::map<std::string, std::string> contents;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_.path())) {
      const std::string relative = entry.path().string().substr(folder_.path().size());
      contents[relative] = entry.is_regular_file() ? installation_.read(relative) : "(folder)";
    }
    return contents;
  }

  // A second program whose input would log in and add a user must refuse and change nothing.
  void expectSecondRefused() {
    const std::map<std::string, std::string> before = everything();
    ProgramResult second =
        installation_.runAs("root", kRootPassword, {"adduser bob0001 bobpw001 simple"});
    EXPECT_EQ(1, second.status);
    EXPECT_EQ(texts_.line(msg::kInstallationBusy), second.err);
    EXPECT_EQ("", second.out);
    EXPECT_EQ(before, everything());
  }

  // A new program logs in as root and lists the users.
  void expectStartsAfterwards(const std::vector<std::string>& users) {
    ProgramResult next = installation_.runAs("root", kRootPassword, {"user"});
    EXPECT_EQ(0, next.status);
    EXPECT_EQ("", next.err);
    EXPECT_EQ(texts_.session("root", {texts_.userList(users)}), next.out);
  }
};

TEST_F(SingleInstance, SecondProcessIsRefusedWhileTheFirstRuns) {
  RunningProgram first(VELLUMKEEP_PROGRAM, installation_.folder());
  ASSERT_TRUE(first.waitForOutput(texts_.gbk(msg::kLoginName)));
  expectSecondRefused();  // the first has not logged in yet

  first.send(joinLines({"root", kRootPassword}));
  ASSERT_TRUE(first.waitForOutput(ConsoleTexts::prompt("root")));
  expectSecondRefused();

  // The first goes on undisturbed, and a new program starts once it has ended.
  first.send("adduser alice01 alicepw1 simple\n");
  ProgramResult ended = first.finish();
  EXPECT_EQ(0, ended.status);
  EXPECT_EQ("", ended.err);
  EXPECT_EQ(texts_.successes("root", 1), ended.out);
  expectStartsAfterwards({"alice01"});
}

TEST_F(SingleInstance, KilledHolderLeavesNoStaleLock) {
  RunningProgram first(VELLUMKEEP_PROGRAM, installation_.folder());
  first.send(joinLines({"root", kRootPassword, "adduser alice01 alicepw1 simple"}));
  ASSERT_TRUE(first.waitForOutput(texts_.ok()));
  expectSecondRefused();
  EXPECT_EQ(SIGKILL, first.kill().signal);
  expectStartsAfterwards({"alice01"});
}

TEST_F(SingleInstance, InstallationThatCannotBeLockedIsRefused) {
  std::filesystem::create_directory(installation_.path("Config.ini.lock"));
  const std::map<std::string, std::string> before = everything();
  ProgramResult result = installation_.runAs("root", kRootPassword, {"user"});
  EXPECT_EQ(1, result.status);
  EXPECT_EQ(texts_.line(msg::kInstallationUnlockable), result.err);
  EXPECT_EQ("", result.out);
  EXPECT_EQ(before, everything());
}

// A link in place of the lock file is refused: nothing is created or locked at its target.
TEST_F(SingleInstance, LockFileThatIsALinkIsRefused) {
  const std::string target = installation_.path("elsewhere.lock");
  std::filesystem::create_symlink(target, installation_.path("Config.ini.lock"));
  const std::map<std::string, std::string> before = everything();
  ProgramResult result = installation_.runAs("root", kRootPassword, {"user"});
  EXPECT_EQ(1, result.status);
  EXPECT_EQ(texts_.line(msg::kLockFileIsLink), result.err);
  EXPECT_EQ("", result.out);
  EXPECT_FALSE(std::filesystem::exists(target));
  EXPECT_EQ(before, everything());
}

}  // namespace
}  // namespace vellumkeep
