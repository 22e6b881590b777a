#include "storage/installation.h"

#include <sys/stat.h>

#include <stdexcept>

#include <gtest/gtest.h>

#include "expect_error.h"
#include "model/messages.h"
#include "storage/config_file.h"
#include "storage/file_io.h"
#include "temp_folder.h"

namespace vellumkeep {
namespace {

std::string errorOf(const std::string& config, const std::string& data, const std::string& pw) {
  return errorText<std::runtime_error>([&] { createInstallation(config, data, pw); });
}

TEST(InstallationTest, CreatesConfigAndRootFiles) {
  TempFolder folder;
  std::string config = folder.path() + "Config.ini";
  std::string data = normalizeDataFolder(folder.path() + "data");
  ASSERT_EQ("(no error)", errorOf(config, data, "rootpw1"));
  std::string dataPath;
  std::vector<std::string> names;
  readConfig(config, dataPath, names);
  EXPECT_EQ(data, dataPath);
  EXPECT_EQ(std::vector<std::string>{"root"}, names);
  struct stat status {};
  ASSERT_EQ(0, ::stat(data.c_str(), &status));
  EXPECT_EQ(0700u, status.st_mode & 0777);
  EXPECT_TRUE(fileExists(data + "root.usr"));
  EXPECT_TRUE(fileExists(data + "root.usrpas"));
  EXPECT_FALSE(fileExists(data + "root.tmp"));
  EXPECT_EQ(msg::kInitConfigExists, errorOf(config, data, "rootpw1"));
}

TEST(InstallationTest, RefusesBadPasswordsWritingNothing) {
  TempFolder folder;
  std::string config = folder.path() + "Config.ini";
  EXPECT_EQ(msg::kPasswordTooShort, errorOf(config, folder.path() + "data/", "short"));
  EXPECT_EQ(msg::kIllegalCharacter, errorOf(config, folder.path() + "data/", "bad pass"));
  EXPECT_FALSE(fileExists(config));
  EXPECT_FALSE(fileExists(folder.path() + "data"));
  EXPECT_EQ("data/", normalizeDataFolder("data"));
  EXPECT_EQ("data/", normalizeDataFolder("data/"));
}

}  // namespace
}  // namespace vellumkeep
