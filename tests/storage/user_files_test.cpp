#include "storage/user_files.h"

#include <filesystem>
#include <stdexcept>

#include <gtest/gtest.h>

#include "file_helpers.h"
#include "model/messages.h"
#include "storage/account_text.h"
#include "storage/file_io.h"
#include "platform/posix_file_system.h"
#include "temp_folder.h"

namespace vellumkeep {
namespace {

class UserFilesTest : public ::testing::Test {
 protected:
  UserFilesTest() : files_(fs_) {
    files_.dataPath = folder_.path();
    files_.keyCodeTable("alice01");
  }

  UserAccount sampleAccount(int32_t mode) {
    UserAccount account = makeAccount("alice01", "alicepw1", mode, User);
    account.groups.push_back(Group{1, 1, "mail", {{"me@x.org", "pw~:;<", "url\nx.org"}}});
    account.groupCount = 1;
    account.lastGroupId = 1;
    return account;
  }

  TempFolder folder_;
  PosixFileSystem fs_;
  UserFiles files_;
};

TEST_F(UserFilesTest, PasswordFileKeepsItsMeaningUnderFreshFiller) {
  files_.storePasswordFile("alice01", Simple, "alicepw1");
  std::string first = contentsOf(files_.passwordFile("alice01"));
  files_.storePasswordFile("alice01", Simple, "alicepw1");
  EXPECT_NE(first, contentsOf(files_.passwordFile("alice01")));
  PasswordRecord record = files_.loadPasswordFile("alice01");
  EXPECT_EQ(Simple, record.mode);
  EXPECT_EQ("alicepw1", record.password);
  EXPECT_THROW(files_.loadPasswordFile("nobody1"), std::domain_error);
}

TEST_F(UserFilesTest, DataFileIsCodedOrPlainByMode) {
  UserAccount account = sampleAccount(Simple);
  files_.saveAccount(account, nullptr);
  std::string text = writeAccountText(account);
  std::string coded = contentsOf(files_.dataFile("alice01"));
  EXPECT_EQ(4 * text.size(), coded.size());
  EXPECT_EQ(std::string::npos, coded.find_first_not_of("0123456789"));
  UserAccount loaded;
  files_.loadAccountText(Simple, "alice01", nullptr, loaded);
  EXPECT_EQ(text, writeAccountText(loaded));

  account.mode = Unencrypted;
  files_.saveAccount(account, nullptr);
  text = writeAccountText(account);
  EXPECT_EQ(text, contentsOf(files_.dataFile("alice01")));
  files_.loadAccountText(Unencrypted, "alice01", nullptr, loaded);
  EXPECT_EQ(text, writeAccountText(loaded));
  // The account text is written nowhere but the data file.
  std::vector<std::string> entries;
  ASSERT_TRUE(fs_.listFolder(folder_.path(), entries));
  EXPECT_EQ(std::vector<std::string>{"alice01.usr"}, entries);
  EXPECT_EQ(0600u, permissionsOf(files_.dataFile("alice01")) & 0777);
}

TEST_F(UserFilesTest, MissingDataFileIsCorruption) {
  UserAccount loaded;
  EXPECT_THROW(files_.loadAccountText(Simple, "alice01", nullptr, loaded), std::domain_error);
}

TEST_F(UserFilesTest, CodingErrorWritesNothing) {
  UserAccount account = sampleAccount(Simple);
  files_.saveAccount(account, nullptr);
  std::string before = contentsOf(files_.dataFile("alice01"));
  account.groups[0].name = "\xD6\xD0";
  EXPECT_THROW(files_.saveAccount(account, nullptr), std::overflow_error);
  EXPECT_EQ(before, contentsOf(files_.dataFile("alice01")));
}

TEST_F(UserFilesTest, PairSaveReplacesBothFiles) {
  files_.saveAccount(sampleAccount(Simple), nullptr);
  files_.storePasswordFile("alice01", Simple, "alicepw1");
  UserAccount changed = sampleAccount(Unencrypted);
  changed.password = "newpass1";
  files_.saveAccountAndPassword(changed, nullptr);
  PasswordRecord record = files_.loadPasswordFile("alice01");
  EXPECT_EQ(Unencrypted, record.mode);
  EXPECT_EQ("newpass1", record.password);
  EXPECT_EQ(writeAccountText(changed), contentsOf(files_.dataFile("alice01")));
}

TEST_F(UserFilesTest, PairSaveFailureKeepsTheOldPair) {
  files_.saveAccount(sampleAccount(Simple), nullptr);
  files_.storePasswordFile("alice01", Simple, "alicepw1");
  std::string oldData = contentsOf(files_.dataFile("alice01"));
  std::string oldPassword = contentsOf(files_.passwordFile("alice01"));
  // A folder where the new password file would go makes its write fail.
  std::filesystem::create_directory(files_.passwordFile("alice01") + ".pending");
  UserAccount changed = sampleAccount(Unencrypted);
  EXPECT_THROW(files_.saveAccountAndPassword(changed, nullptr), std::runtime_error);
  EXPECT_EQ(oldData, contentsOf(files_.dataFile("alice01")));
  EXPECT_EQ(oldPassword, contentsOf(files_.passwordFile("alice01")));
  EXPECT_FALSE(fileExists(files_.dataFile("alice01") + ".pending"));
}

}  // namespace
}  // namespace vellumkeep
