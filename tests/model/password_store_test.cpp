#include "model/password_store.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "model/user_account.h"

namespace vellumkeep {
namespace {

std::vector<std::string> accounts(const Group& group) {
  std::vector<std::string> names;
  for (const PasswordEntry& entry : group.entries) names.emplace_back(entry.account());
  return names;
}

TEST(PasswordStoreTest, GroupsAreKeyedByExactName) {
  UserAccount account;
  insertGroup(account, Group{1, 0, "mail", {}});
  insertGroup(account, Group{2, 0, "Mail", {}});
  EXPECT_THROW(insertGroup(account, Group{3, 0, "mail", {}}), std::runtime_error);
  EXPECT_EQ(2, account.groupCount);
  EXPECT_EQ(2, findGroup(account, "Mail")->id);
  EXPECT_EQ(nullptr, findGroup(account, "mai"));
  removeGroup(account, "mail");
  EXPECT_THROW(removeGroup(account, "mail"), std::runtime_error);
  EXPECT_THROW(requireGroup(account, "mail"), std::runtime_error);
  EXPECT_EQ(1, account.groupCount);
}

TEST(PasswordStoreTest, RemovingAnEntryKeepsTheOrderOfTheRest) {
  Group group{1, 0, "mail", {}};
  for (std::string name : {"a", "b", "c"}) insertEntry(group, PasswordEntry{name, "pw", ""});
  EXPECT_THROW(insertEntry(group, PasswordEntry{"b", "other", ""}), std::runtime_error);
  removeEntry(group, "b");
  EXPECT_THROW(removeEntry(group, "b"), std::runtime_error);
  EXPECT_EQ((std::vector<std::string>{"a", "c"}), accounts(group));
  EXPECT_EQ(2, group.entryCount);
}

TEST(PasswordStoreTest, EntryFieldsKeepTheirBounds) {
  using namespace std::string_literals;
  const std::string cases[][3] = {{"", "", ""},
                                  {"a", "", ""},
                                  {"", "pw", ""},
                                  {"", "", "url x"},
                                  {"acct", "pw", "url x"},
                                  {"a\0b"s, "\0"s, "t c\0"s},
                                  {std::string(300, 'a'), std::string(79, 'p'), "info"}};
  for (const auto& fields : cases) {
    const PasswordEntry entry(fields[0], fields[1], fields[2]);
    const PasswordEntry copy = entry;
    for (const PasswordEntry* e : {&entry, &copy}) {
      EXPECT_EQ(fields[0], e->account());
      EXPECT_EQ(fields[1], e->password());
      EXPECT_EQ(fields[2], e->info());
    }
  }
}

TEST(PasswordStoreTest, SplitInfoPairsWordsAndDropsALoneLastWord) {
  EXPECT_TRUE(splitInfo("").empty());
  EXPECT_TRUE(splitInfo(" \n ").empty());
  auto fromLines = splitInfo("url\nx.org\npin\n1234\nodd");
  auto fromBlanks = splitInfo("url x.org  pin 1234 odd");
  ASSERT_EQ(2u, fromLines.size());
  ASSERT_EQ(2u, fromBlanks.size());
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(fromLines[i].type, fromBlanks[i].type);
    EXPECT_EQ(fromLines[i].content, fromBlanks[i].content);
  }
  EXPECT_EQ("pin", fromLines[1].type);
  EXPECT_EQ("1234", fromLines[1].content);
}

}  // namespace
}  // namespace vellumkeep
