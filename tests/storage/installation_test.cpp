// A new installation and the way back for one that lost its Config.ini, on a file system in
// memory.
#include "storage/installation.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "expect_error.h"
#include "model/messages.h"
#include "model/user_account.h"
#include "storage/config_file.h"
#include "storage/file_io.h"
#include "support/memory_file_system.h"
#include "support/program_run.h"

namespace vellumkeep {
namespace {

class InstallationTest : public ::testing::Test {
 protected:
  InstallationTest() { fs_.makeFolder("inst"); }

  std::string refusal(const std::string& folder) {
    return errorText<std::runtime_error>([&] { checkNewInstallation(fs_, kConfig, folder); });
  }
  void put(const std::string& path) { writeFileDurably(fs_, path, "x"); }
  // A start on the installation, as the program makes it, and root's login.
  static bool rootLogsIn(MemoryFileSystem& fs, const std::string& password) {
    ProgramRun run(fs, kConfig);
    run.startUp();
    return run.logInAs("root", password);
  }

  static constexpr char kConfig[] = "inst/Config.ini";
  MemoryFileSystem fs_;
};

TEST_F(InstallationTest, RefusedBeforeAnyQuestion) {
  EXPECT_EQ("(no error)", refusal("inst/data/"));
  EXPECT_EQ("(no error)", refusal(""));  // the current folder: Config.ini can say so
  EXPECT_EQ(msg::kInitFolderUnfit, refusal("inst/da\"ta/"));
  EXPECT_EQ(msg::kInitFolderUnfit, refusal("inst/da\nta/"));
  EXPECT_EQ(std::string(msg::kInitFolderFailed) + "no/data/", refusal("no/data/"));
  fs_.makeFolder("inst/data");
  put("inst/data/root.usrpas");
  EXPECT_EQ(msg::kInitRootFilesExist, refusal("inst/data/"));
  put(kConfig);
  EXPECT_EQ(msg::kInitConfigExists, refusal("inst/other/"));
}

// Files already in the data folder: the program's own are no obstacle, anything else is.
TEST_F(InstallationTest, RefusesADataFolderWithFilesNotItsOwn) {
  struct Case {
    std::vector<std::string> files;  // in inst/data/
    std::string refusal;
  };
  const std::string foreign = msg::kInitForeignFile;
  const Case cases[] = {
      {{"alice01.usr", "alice01.usrpas", "bob0001.usr.new", "carol01.usrpas.removed",
        "dave001.usr.pending", "eve0001.tmp", "Config.ini.lock"},
       "(no error)"},
      {{"alice01.usr", "notes.txt"}, foreign + "notes.txt"},
      {{"report1.tmp.bak"}, foreign + "report1.tmp.bak"},
      {{"photo.usr.new"}, foreign + "photo.usr.new"},  // "photo" is no user name
  };
  for (const Case& c : cases) {
    MemoryFileSystem fs(fs_);
    fs.makeFolder("inst/data");
    fs.makeFolder("inst/data/inner");  // a folder is no file
    for (const std::string& file : c.files) writeFileDurably(fs, "inst/data/" + file, "x");
    const std::string error = errorText<std::runtime_error>(
        [&] { createInstallation(fs, kConfig, "inst/data/", "rootpw1", Simple); });
    EXPECT_EQ(c.refusal, error) << c.files.back();
    EXPECT_EQ(Presence::kPresent == fs.exists(kConfig), c.refusal == "(no error)");
  }
}

// A kill, or a power cut, at any step of the creation: a new vellumkeep-init starts over, or
// --recover finishes it, and root logs in.
TEST_F(InstallationTest, AKillAtAnyStepOfTheCreationLeavesAWayOn) {
  MemoryFileSystem measured(fs_);
  createInstallation(measured, kConfig, "inst/data/", "rootpw1", Simple);
  const std::size_t steps = measured.steps() - fs_.steps();
  for (std::size_t step = 1; step <= steps; ++step) {
    for (const auto cut : {MemoryFileSystem::Cut::kKill, MemoryFileSystem::Cut::kPowerCut}) {
      SCOPED_TRACE(std::to_string(step) + (cut == MemoryFileSystem::Cut::kKill ? " kill" : ""));
      MemoryFileSystem killed(fs_);
      killed.failFrom(killed.steps() + step);
      errorText<std::runtime_error>(
          [&] { createInstallation(killed, kConfig, "inst/data/", "rootpw1", Simple); });
      killed.endRun(cut);
      if (killed.exists(kConfig) == Presence::kPresent) {
        EXPECT_TRUE(rootLogsIn(killed, "rootpw1"));
        continue;
      }
      MemoryFileSystem recovered(killed);
      const std::string refusal = errorText<std::runtime_error>(
          [&] { recoverInstallation(recovered, kConfig, "inst/data/"); });
      if (refusal == "(no error)") {
        EXPECT_TRUE(rootLogsIn(recovered, "rootpw1"));
      } else {
        EXPECT_EQ(msg::kInitNothingToRecover, refusal);
      }
      const std::string again = errorText<std::runtime_error>(
          [&] { createInstallation(killed, kConfig, "inst/data/", "rootpw2", Simple); });
      if (again == "(no error)") {
        EXPECT_TRUE(rootLogsIn(killed, "rootpw2"));
      } else {
        // Root's whole files: --recover takes them up, as the refusal says.
        EXPECT_EQ(msg::kInitRootFilesExist, again);
        EXPECT_EQ("(no error)", refusal);
      }
    }
  }
}

TEST_F(InstallationTest, CreatesRootAndConfigOrNothing) {
  createInstallation(fs_, kConfig, "inst/data/", "rootpw1", Simple);
  std::string dataPath;
  std::vector<std::string> names;
  readConfig(fs_, kConfig, dataPath, names);
  EXPECT_EQ("inst/data/", dataPath);
  EXPECT_EQ(std::vector<std::string>{"root"}, names);
  EXPECT_EQ(Presence::kPresent, fs_.exists("inst/data/root.usr"));

  MemoryFileSystem other;
  const std::string error = errorText<std::runtime_error>(
      [&] { createInstallation(other, "Config.ini", "missing/data/", "rootpw1", Simple); });
  EXPECT_EQ(std::string(msg::kInitFolderFailed) + "missing/data/", error);
  EXPECT_TRUE(other.files().empty());
}

TEST_F(InstallationTest, RecoverListsEveryWholeUserWithAValidName) {
  createInstallation(fs_, kConfig, "inst/data/", "rootpw1", Simple);
  for (const char* name : {"alice01", "bob0001", "ab"}) {
    put("inst/data/" + std::string(name) + ".usr");
    put("inst/data/" + std::string(name) + ".usrpas");
  }
  put("inst/data/carol01.usr");  // no password file: not a whole user
  EXPECT_EQ(msg::kInitConfigExists, errorText<std::runtime_error>(
                                        [&] { recoverInstallation(fs_, kConfig, "inst/data/"); }));
  fs_.removeFile(kConfig);
  const std::vector<std::string> expected{"root", "alice01", "bob0001"};
  EXPECT_EQ(expected, recoverInstallation(fs_, kConfig, "inst/data/"));
  std::string dataPath;
  std::vector<std::string> names;
  readConfig(fs_, kConfig, dataPath, names);
  EXPECT_EQ(expected, names);
  EXPECT_EQ("inst/data/", dataPath);

  fs_.removeFile(kConfig);
  EXPECT_EQ(msg::kInitNothingToRecover,
            errorText<std::runtime_error>([&] { recoverInstallation(fs_, kConfig, "inst/"); }));
  EXPECT_EQ(Presence::kAbsent, fs_.exists(kConfig));
}

}  // namespace
}  // namespace vellumkeep
