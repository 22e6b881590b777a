#include "model/account_registry.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "expect_error.h"
#include "model/messages.h"

namespace vellumkeep {
namespace {

using Names = std::vector<std::string>;

std::string removalError(AccountRegistry& registry, const std::string& name) {
  return errorText<std::runtime_error>([&] { registry.removeAccount(name); });
}

TEST(AccountRegistryTest, FilesAccountsByRole) {
  AccountRegistry registry;
  registry.registerAccount(makeAccount("root", "secret1", Simple, SystemAdministrator));
  registry.registerAccount(makeAccount("admin01", "secret1", Simple, Administrator));
  registry.registerAccount(makeAccount("user001", "secret1", Simple, User));
  registry.loadAccountFromScratch(makeAccount("system", "secret1", Simple, SuperAdministrator));
  EXPECT_EQ((Names{"root", "admin01", "user001"}), registry.names);
  ASSERT_EQ(2u, registry.administrators.size());
  ASSERT_EQ(1u, registry.users.size());
  EXPECT_EQ(nullptr, registry.findAccount("system"));
  EXPECT_EQ(nullptr, registry.findAccount("User001"));
  EXPECT_EQ(&registry.users[0], registry.findAccount("user001"));
  EXPECT_EQ(&registry.administrators[1], registry.findAccount("admin01"));
  EXPECT_EQ(&registry.administrators[0], &registry.operatorAccount("root"));
}

TEST(AccountRegistryTest, OperatorMissingBeforeLogin) {
  AccountRegistry registry;
  EXPECT_THROW(registry.operatorAccount(kSystemName), std::runtime_error);
}

TEST(AccountRegistryTest, ListedButUnloadedNamesAreTaken) {
  AccountRegistry registry;
  registry.names = {"damaged1"};
  EXPECT_TRUE(registry.isNameTaken("damaged1"));
  EXPECT_FALSE(registry.isNameTaken("Damaged1"));
  EXPECT_EQ(msg::kNoSuchUser, removalError(registry, "damaged1"));
  EXPECT_EQ(Names{"damaged1"}, registry.names);
}

TEST(AccountRegistryTest, DamagedNamesAreFoundOnlyForRemoval) {
  AccountRegistry registry;
  registry.names = {"damaged1", "user001"};
  registry.markDamaged("damaged1");
  registry.markDamaged("damaged1");
  EXPECT_EQ(Names{"damaged1"}, registry.damaged);
  EXPECT_EQ(nullptr, registry.findAccount("damaged1"));
  EXPECT_EQ("(no error)", removalError(registry, "damaged1"));
  EXPECT_EQ(Names{"user001"}, registry.names);
  EXPECT_EQ(Names{}, registry.damaged);
}

TEST(AccountRegistryTest, RemovalKeepsOrderAndRefusesReservedNames) {
  AccountRegistry registry;
  for (std::string name : {"user001", "user002", "user003"}) {
    registry.registerAccount(makeAccount(name, "secret1", Simple, User));
  }
  registry.registerAccount(makeAccount("root", "secret1", Simple, SystemAdministrator));
  EXPECT_EQ(msg::kCannotDeleteRoot, removalError(registry, "root"));
  EXPECT_EQ(msg::kCannotDeleteSystem, removalError(registry, "system"));
  EXPECT_EQ("(no error)", removalError(registry, "user002"));
  EXPECT_EQ((Names{"user001", "user003", "root"}), registry.names);
  ASSERT_EQ(2u, registry.users.size());
  EXPECT_EQ("user003", registry.users[1].name);
}

TEST(AccountRegistryTest, ScratchCopiesTheWholeAccount) {
  AccountRegistry registry;
  UserAccount account = makeAccount("user001", "secret1", Unencrypted, User);
  account.groups.push_back(Group{3, 1, "mail", {{"me", "pw", "url x"}}});
  account.groupCount = 1;
  registry.registerAccount(account);
  UserAccount scratch;
  registry.copyAccountToScratch("user001", scratch);
  EXPECT_EQ("mail", scratch.groups.at(0).name);
  EXPECT_EQ("url x", scratch.groups.at(0).entries.at(0).info());
  EXPECT_EQ(Unencrypted, scratch.mode);
}

}  // namespace
}  // namespace vellumkeep
