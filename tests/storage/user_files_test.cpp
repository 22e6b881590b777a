#include "storage/user_files.h"

#include <filesystem>
#include <stdexcept>

#include <gtest/gtest.h>

#include "expect_error.h"
#include "file_helpers.h"
#include "model/messages.h"
#include "platform/posix_file_system.h"
#include "storage/account_text.h"
#include "storage/file_io.h"
#include "support/memory_file_system.h"
#include "support/test_keys.h"
#include "temp_folder.h"

namespace vellumkeep {
namespace {

class UserFilesTest : public ::testing::Test {
 protected:
  UserFilesTest() : files_(fs_) { files_.dataPath = folder_.path(); }

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
  const AccountKeys keys_ = AccountKeys::coded("alice01");
};

TEST_F(UserFilesTest, PasswordFileKeepsItsMeaningUnderFreshFiller) {
  files_.storePasswordFile(sampleAccount(Simple), keys_);
  std::string first = contentsOf(files_.passwordFile("alice01"));
  files_.storePasswordFile(sampleAccount(Simple), keys_);
  EXPECT_NE(first, contentsOf(files_.passwordFile("alice01")));
  PasswordRecord record = files_.loadPasswordFile("alice01");
  EXPECT_EQ(Simple, record.mode);
  EXPECT_EQ("alicepw1", record.password);
  EXPECT_THROW(files_.loadPasswordFile("nobody1"), std::domain_error);
}

TEST_F(UserFilesTest, DataFileIsCodedOrPlainByMode) {
  UserAccount account = sampleAccount(Simple);
  files_.saveAccount(account, keys_);
  std::string text = writeAccountText(account);
  std::string coded = contentsOf(files_.dataFile("alice01"));
  EXPECT_EQ(4 * text.size(), coded.size());
  EXPECT_EQ(std::string::npos, coded.find_first_not_of("0123456789"));
  UserAccount loaded;
  files_.loadAccountText(Simple, "alice01", keys_, loaded);
  EXPECT_EQ(text, writeAccountText(loaded));

  account.mode = Unencrypted;
  files_.saveAccount(account, keys_);
  text = writeAccountText(account);
  EXPECT_EQ(text, contentsOf(files_.dataFile("alice01")));
  files_.loadAccountText(Unencrypted, "alice01", keys_, loaded);
  EXPECT_EQ(text, writeAccountText(loaded));
  // The account text is written nowhere but the data file.
  std::vector<std::string> entries;
  ASSERT_TRUE(fs_.listFolder(folder_.path(), entries));
  EXPECT_EQ(std::vector<std::string>{"alice01.usr"}, entries);
  EXPECT_EQ(0600u, permissionsOf(files_.dataFile("alice01")) & 0777);
}

TEST_F(UserFilesTest, MissingDataFileIsCorruption) {
  UserAccount loaded;
  EXPECT_THROW(files_.loadAccountText(Simple, "alice01", keys_, loaded), std::domain_error);
}

TEST_F(UserFilesTest, CodingErrorWritesNothing) {
  UserAccount account = sampleAccount(Simple);
  files_.saveAccount(account, keys_);
  std::string before = contentsOf(files_.dataFile("alice01"));
  account.groups[0].name = "\xD6\xD0";
  EXPECT_THROW(files_.saveAccount(account, keys_), std::overflow_error);
  EXPECT_EQ(before, contentsOf(files_.dataFile("alice01")));
}

TEST_F(UserFilesTest, PairSaveReplacesBothFiles) {
  files_.saveAccount(sampleAccount(Simple), keys_);
  files_.storePasswordFile(sampleAccount(Simple), keys_);
  UserAccount changed = sampleAccount(Unencrypted);
  changed.password = "newpass1";
  files_.saveAccountAndPassword(changed, keys_);
  PasswordRecord record = files_.loadPasswordFile("alice01");
  EXPECT_EQ(Unencrypted, record.mode);
  EXPECT_EQ("newpass1", record.password);
  EXPECT_EQ(writeAccountText(changed), contentsOf(files_.dataFile("alice01")));
}

TEST_F(UserFilesTest, PairSaveFailureKeepsTheOldPair) {
  files_.saveAccount(sampleAccount(Simple), keys_);
  files_.storePasswordFile(sampleAccount(Simple), keys_);
  std::string oldData = contentsOf(files_.dataFile("alice01"));
  std::string oldPassword = contentsOf(files_.passwordFile("alice01"));
  // A folder where the new password file would go makes its write fail.
  std::filesystem::create_directory(files_.passwordFile("alice01") + ".pending");
  UserAccount changed = sampleAccount(Unencrypted);
  EXPECT_THROW(files_.saveAccountAndPassword(changed, keys_), std::runtime_error);
  EXPECT_EQ(oldData, contentsOf(files_.dataFile("alice01")));
  EXPECT_EQ(oldPassword, contentsOf(files_.passwordFile("alice01")));
  EXPECT_FALSE(fileExists(files_.dataFile("alice01") + ".pending"));
}

UserAccount smallStrongAccount() {
  UserAccount account = makeAccount("alice01", "alicepw1", Strong, User);
  account.groups.push_back(Group{1, 1, "mail", {{"me@x.org", "pw1", "url x.org"}}});
  account.groupCount = 1;
  account.lastGroupId = 1;
  return account;
}

// An account whose data file is sealed in many chunks (15,000 credentials, about a megabyte).
UserAccount largeStrongAccount() {
  UserAccount account = makeAccount("alice01", "alicepw1", Strong, User);
  for (int group = 0; group < 150; ++group) {
    Group added{group + 1, 100, "group" + std::to_string(group), {}};
    for (int entry = 0; entry < 100; ++entry) {
      const std::string number = std::to_string(group * 100 + entry);
      added.entries.push_back({"name" + number + "@mail.com", "pw" + number, "url site" + number});
    }
    account.groups.push_back(std::move(added));
  }
  account.groupCount = 150;
  account.lastGroupId = 150;
  return account;
}

// A save of a large account that fails at any step of the disk, between chunks sealed, is
// reported and leaves the old data file whole; without a failure the new one opens to the
// account. Every save seals in the memory the failed ones left.
TEST(UserFilesOnFaultyDisk, LargeStrongSaveFailingAtAnyStepKeepsTheOldFile) {
  MemoryFileSystem fs;
  UserFiles files(fs);
  const AccountKeys keys(quickKeys("alicepw1"));
  const UserAccount old = smallStrongAccount();
  const UserAccount large = largeStrongAccount();
  files.saveAccount(old, keys);
  const std::size_t before = fs.steps();
  files.saveAccount(large, keys);
  const std::size_t saveSteps = fs.steps() - before;
  ASSERT_GT(saveSteps, 6u);  // the file is written in several pieces
  UserAccount loaded;
  files.loadAccountText(Strong, "alice01", keys, loaded);
  EXPECT_EQ(writeAccountText(large), writeAccountText(loaded));

  for (std::size_t step = 1; step <= saveSteps; ++step) {
    files.saveAccount(old, keys);
    fs.failAt(fs.steps() + step);
    const std::string error =
        errorText<std::runtime_error>([&] { files.saveAccount(large, keys); });
    fs.heal();
    // The last steps (the rename's folder sync) come after the new file is in place.
    files.loadAccountText(Strong, "alice01", keys, loaded);
    const std::string text = writeAccountText(loaded);
    if (error == msg::kWriteFailed) {
      EXPECT_EQ(writeAccountText(old), text) << step;
    } else {
      EXPECT_EQ("(no error)", error) << step;
      EXPECT_EQ(writeAccountText(large), text) << step;
    }
  }
}

}  // namespace
}  // namespace vellumkeep
