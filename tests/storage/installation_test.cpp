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

namespace vellumkeep {
namespace {

class InstallationTest : public ::testing::Test {
 protected:
  InstallationTest() { fs_.makeFolder("inst"); }

  std::string refusal(const std::string& folder) {
    return errorText<std::runtime_error>([&] { checkNewInstallation(fs_, kConfig, folder); });
  }
  void put(const std::string& path) { writeFileDurably(fs_, path, "x"); }

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
