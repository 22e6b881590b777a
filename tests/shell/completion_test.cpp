#include "shell/completion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/command_table.h"
#include "session_fixture.h"

namespace vellumkeep {
namespace {

using Words = std::vector<std::string>;

struct Case {
  std::string before;  // the line up to the cursor
  Words candidates;
};

class Completion : public SessionTest {
 protected:
  // A user whose store holds mail (bob, bill), money (bob) and bank (empty).
  void logInUser() {
    UserAccount& alice = logIn("alice01", User);
    insertGroup(alice, Group{1, 0, "mail", {}});
    insertGroup(alice, Group{2, 0, "money", {}});
    insertGroup(alice, Group{3, 0, "bank", {}});
    addEntry(alice, "mail", "bob");
    addEntry(alice, "mail", "bill");
    addEntry(alice, "money", "bob");
  }

  void addEntry(UserAccount& account, const std::string& group, const std::string& name) {
    Group* found = findGroup(account, group);
    insertEntry(*found, PasswordEntry(name, "pw", ""));
    found->entryCount = static_cast<int32_t>(found->entries.size());
  }

  void expectCases(const std::vector<Case>& cases) {
    for (const Case& test : cases) {
      EXPECT_EQ(test.candidates, completeWord(state(), test.before)) << '"' << test.before << '"';
    }
  }
};

TEST_F(Completion, CommandWordsOfTheOperatorsRole) {
  logInUser();
  expectCases({
      {"", Words{"dir",          "seach",     "password",    "mode",         "adddir",
                 "addpassword",  "deldir",    "delpassword", "setmode",      "help",
                 "exit",         "quit",      "genpassword", "copypassword", "editpassword",
                 "movepassword", "renamedir", "find",        "otp",          "changepassword"}},
      {"add", {"adddir", "addpassword"}},
      {"  de", {"deldir", "delpassword"}},
      {"mo", {"mode", "movepassword"}},
      {"user", {}},  // not a user's command
      {"x", {}},
      {"Dir", {}},
  });
  logIn("rooty01", SystemAdministrator);
  expectCases({
      {"", Words{"user", "mode", "addadmin", "adduser", "deladmin", "deluser", "setpassword",
                 "help", "exit", "quit", "changepassword"}},
      {"d", {"deladmin", "deluser"}},
  });
}

TEST_F(Completion, ArgumentsFromTheStore) {
  logInUser();
  expectCases({
      {"dir ", {"mail", "money", "bank"}},
      {"dir m", {"mail", "money"}},
      {"dir mail mo", {"money"}},  // dir takes any number of groups
      {"deldir\tb", {"bank"}},
      {"deldir bank ", {}},
      {"password ", {"mail", "money", "bank"}},
      {"password mail ", {"bob", "bill"}},
      {"password mail bi", {"bill"}},
      {"password money ", {"bob"}},
      {"password bank ", {}},
      {"password nothing ", {}},
      {"password mail bob ", {}},
      {"delpassword  mail  b", {"bob", "bill"}},
      {"copypassword money b", {"bob"}},
      {"addpassword ma", {"mail"}},
      {"addpassword mail ", {}},  // a new account
      {"seach ", {"bob", "bill"}},
      {"seach bob b", {"bob", "bill"}},
      {"setmode ", {"unencrypted", "simple", "strong"}},
      {"setmode s", {"simple", "strong"}},
      {"setmode u", {"unencrypted"}},
      {"help co", {"copypassword"}},
      {"mode ", {}},
      {"adddir ", {}},
      {"deluser ", {}},  // not a user's command
      {"nothing ", {}},
  });
}

TEST_F(Completion, ArgumentsOfTheEverydayCommands) {
  logInUser();
  expectCases({
      {"ed", {"editpassword"}},
      {"editpassword m", {"mail", "money"}},
      {"editpassword mail ", {"bob", "bill"}},
      {"editpassword mail bob ", {}},  // the new password
      {"movepassword ", {"mail", "money", "bank"}},
      {"movepassword money ", {"bob"}},
      {"movepassword money bob ", {"mail", "money", "bank"}},
      {"movepassword money bob b", {"bank"}},
      {"renamedir ", {"mail", "money", "bank"}},
      {"renamedir bank ", {}},  // the new name
      {"find ", {}},
      {"otp mo", {"money"}},
      {"otp mail b", {"bob", "bill"}},
      {"help ren", {"renamedir"}},
  });
}

TEST_F(Completion, UserNamesForAdministrators) {
  state().registry.registerAccount(makeAccount("root", "rootpw1", Simple, SystemAdministrator));
  state().registry.registerAccount(makeAccount("admin01", "adminpw1", Simple, Administrator));
  state().registry.registerAccount(makeAccount("alice01", "alicepw1", Simple, User));
  state().registry.registerAccount(makeAccount("albert1", "albertp1", Simple, User));
  state().operatorName = "root";
  expectCases({
      {"deluser ", {"alice01", "albert1"}},
      {"deluser al", {"alice01", "albert1"}},
      {"deluser alb", {"albert1"}},
      {"deladmin ", {"admin01"}},
      {"adduser bob0001 bobpw001 ", {"simple", "strong"}},
      {"addadmin adm0001 admpw001 s", {"simple", "strong"}},
      {"changepassword ", {"strong"}},
      {"adduser bob0001 ", {}},
      {"dir ", {}},  // not root's command
  });
}

TEST_F(Completion, NothingWithoutAnOperator) {
  EXPECT_EQ(Words{}, completeWord(state(), ""));
  EXPECT_EQ(Words{}, completeWord(state(), "dir "));
}

}  // namespace
}  // namespace vellumkeep
