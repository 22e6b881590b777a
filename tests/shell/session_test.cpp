// Whole command lines through the shell loop, compared byte for byte.
#include <gtest/gtest.h>

#include "model/messages.h"
#include "session_fixture.h"

namespace vellumkeep {
namespace {

class ShellSession : public SessionTest {};

TEST_F(ShellSession, AboutBlockOnceThenPromptPerLine) {
  logIn("alice01", User);
  feed("mode\nmode\n");
  runShell(state());
  std::string out = run_.out();
  std::string about = std::string(msg::kAboutTitle) + "\n" + msg::kAboutWebLabel +
                      msg::kWebAddress + "\n" + msg::kAboutMailLabel + msg::kMailAddress + " " +
                      msg::kAboutContact + "\n\n";
  std::string mode = "System\\alice01>\tunencrypted\n\tsimple\n\tstrong\n\n";
  EXPECT_EQ(about + mode + mode + "System\\alice01>", out);
}

TEST_F(ShellSession, EmptyAndBlankLinesAreUnknownCommands) {
  logIn("alice01", User);
  EXPECT_EQ(failure(msg::kUnknownCommand), run("").err);
  EXPECT_EQ(failure(msg::kUnknownCommand), run(" \t ").err);
  EXPECT_EQ(failure(msg::kUnknownCommand), run("Dir").err);
  EXPECT_EQ(failure(msg::kUnknownCommand), run("search x").err);
}

// A backslash passes the line check (BadInput.EveryByteInACommandLine); seach does not test
// its words, so it reaches the operation.
TEST_F(ShellSession, BackslashReachesSeach) {
  logIn("alice01", User);
  SessionOutput result = run("seach a\\b");
  EXPECT_EQ("", result.err);
  EXPECT_EQ("a\\b :\n\n", result.out);
}

TEST_F(ShellSession, NoOperatorMeansEveryCommandFails) {
  for (std::string line : {"dir", "mode", "user", "adddir mail", "setpassword abcdef"}) {
    EXPECT_EQ(failure(msg::kOperatorMissing), run(line).err) << line;
  }
}

TEST_F(ShellSession, ErrorsDoNotLeakIntoTheNextLine) {
  logIn("alice01", User);
  SessionOutput result = session("adddir a b\nadddir mail\n");
  EXPECT_EQ(failure(msg::kBadArguments), result.err);
  EXPECT_EQ("System\\alice01>System\\alice01>" + ok() + "System\\alice01>", result.out);
  ASSERT_EQ(1u, state().operatorAccount().groups.size());
  EXPECT_EQ("mail", state().operatorAccount().groups[0].name);
}

TEST_F(ShellSession, PermissionIsTestedAfterArgumentsAndBeforeQuestions) {
  logIn("alice01", User);
  EXPECT_EQ(failure(msg::kNameTooShort), run("addadmin ab").err);
  SessionOutput asked = run("addadmin", "bobby01\nsecret1\n");
  EXPECT_EQ(
      failure(msg::kNoPermission) + failure(msg::kUnknownCommand) + failure(msg::kUnknownCommand),
      asked.err);
  EXPECT_EQ(std::string::npos, asked.out.find(msg::kAskUserName));
}

TEST_F(ShellSession, RolesFollowTheMasks) {
  logIn("rooty01", SystemAdministrator);
  EXPECT_EQ(failure(msg::kNoPermission), run("dir").err);
  EXPECT_EQ(failure(msg::kNoPermission), run("adddir mail").err);
  EXPECT_EQ(failure(msg::kNoPermission), run("setmode simple").err);
  EXPECT_EQ("", run("user").err);
  EXPECT_EQ("", run("mode").err);
}

TEST_F(ShellSession, ModeListsTheModesAndRefusesArguments) {
  logIn("alice01", User);
  EXPECT_EQ("\tunencrypted\n\tsimple\n\tstrong\n\n", run("mode").out);
  EXPECT_EQ(failure(msg::kInvalidArgument), run("mode simple").err);
}

TEST_F(ShellSession, DirListsGroupsOrNamedGroupsWithAccounts) {
  logIn("alice01", User);
  EXPECT_EQ("alice01 :\n\n", run("dir").out);
  run("adddir mail");
  run("adddir bank");
  run("addpassword mail me@x.org pw1");
  run("addpassword mail you@x.org pw2");
  EXPECT_EQ("alice01 :\n\tmail\n\tbank\n\n", run("dir").out);
  EXPECT_EQ("mail :\n\tme@x.org\n\tyou@x.org\nbank :\nmail :\n\tme@x.org\n\tyou@x.org\n\n",
            run("dir mail bank mail").out);
  SessionOutput missing = run("dir mail nope");
  EXPECT_EQ("", missing.out);
  EXPECT_EQ(failure(msg::kGroupMissing), missing.err);
}

TEST_F(ShellSession, SeachFindsWholeAccountsPerWord) {
  logIn("alice01", User);
  run("adddir mail");
  run("adddir work");
  run("addpassword mail me pw1");
  run("addpassword work me pw2");
  run("addpassword work Me pw3");
  EXPECT_EQ("me :\n\tmail\n\twork\nm :\n\n", run("seach me m").out);
  EXPECT_EQ("ME :\nMe :\n\twork\n\n", run("seach ME Me").out);
  EXPECT_EQ(failure(msg::kBadQueryArguments), run("seach").err);
}

TEST_F(ShellSession, PasswordShowsOneEntryWithItsInfo) {
  logIn("alice01", User);
  run("adddir mail");
  run("addpassword mail me pw1 url x.org pin 1234 odd");
  EXPECT_EQ(failure(msg::kBadArguments), run("addpassword mail me2 pw1 url").err);
  run("addpassword mail me2 pw2 url x.org pin 1234");
  run("addpassword mail me3 pw3");
  EXPECT_EQ(std::string(msg::kEntryAccount) + "\tme2\n" + msg::kEntryPassword +
                "\tpw2\nurl:\tx.org\npin:\t1234\n\n",
            run("password mail me2").out);
  EXPECT_EQ(std::string(msg::kEntryAccount) + "\tme3\n" + msg::kEntryPassword + "\tpw3\n\n",
            run("password mail me3").out);
  EXPECT_EQ(failure(msg::kBadQueryArguments), run("password mail").err);
  EXPECT_EQ(failure(msg::kGroupMissing), run("password bank me2").err);
  EXPECT_EQ(failure(msg::kEntryMissing), run("password mail nobody").err);
}

TEST_F(ShellSession, UserListsUsersThreePerRowAndNoAdministrators) {
  logIn("rooty01", SystemAdministrator);
  state().registry.registerAccount(makeAccount("admin01", "secret1", Simple, Administrator));
  std::string rule(79, '-');
  std::string head = std::string("\n") + msg::kUserListHeading + "\n\n" + rule;
  EXPECT_EQ(head + "\n" + ok(), run("user").out);
  for (std::string name : {"user001", "user002", "user003", "a_name_of_25_bytes_exactl"}) {
    state().registry.registerAccount(makeAccount(name, "secret1", Simple, User));
  }
  std::string pad(18, ' ');
  EXPECT_EQ(head + "\nuser001" + pad + "user002" + pad + "user003" + pad +
                "\na_name_of_25_bytes_exactl\n" + ok(),
            run("user extra words").out);
}

TEST_F(ShellSession, AdddirAsksForTheGroupWhenNoneIsTyped) {
  logIn("alice01", User);
  SessionOutput result = run("adddir", "mail\n");
  EXPECT_EQ(std::string(msg::kAskGroup) + ok(), result.out);
  EXPECT_EQ(failure(msg::kIllegalCharacter), run("adddir", "a\\b\n").err);
  EXPECT_EQ(1u, state().operatorAccount().groups.size());
}

TEST_F(ShellSession, GroupIdsAreNeverReused) {
  UserAccount& alice = logIn("alice01", User);
  alice.lastGroupId = 10;
  run("adddir a");
  run("adddir b");
  EXPECT_EQ(failure(msg::kGroupExists), run("adddir a").err);
  run("deldir b", "y\n");
  run("adddir c");
  const UserAccount& account = state().operatorAccount();
  ASSERT_EQ(2u, account.groups.size());
  EXPECT_EQ(11, account.groups[0].id);
  EXPECT_EQ(14, account.groups[1].id);
  EXPECT_EQ(2, account.groupCount);
  EXPECT_EQ(14, account.lastGroupId);
}

TEST_F(ShellSession, AddpasswordDialogueBuildsTheInfo) {
  logIn("alice01", User);
  run("adddir mail");
  SessionOutput result = run("addpassword", "mail\nme\npw\nyes\nY\nurl\nx.org\nn\n");
  std::string more = std::string(msg::kAskMoreInfo) + "\n";
  EXPECT_EQ(std::string(msg::kAskTargetGroup) + msg::kAskUserName + msg::kAskPassword + more +
                more + msg::kAskInfoType + msg::kAskInfoContent + more + ok(),
            result.out);
  EXPECT_EQ(std::string(msg::kWrongAnswer) + "\n", result.err);
  EXPECT_EQ("url\nx.org", state().operatorAccount().groups[0].entries[0].info());
}

// An empty answer stands for a word that was not typed: it is refused as the missing word
// would be, at once, and nothing runs. (An empty group name could never be named again, and an
// empty type shifted the type/content pairs and lost a content.)
TEST_F(ShellSession, EmptyAnswersForWordsAreRefusedAtOnce) {
  logIn("rooty01", SystemAdministrator);
  logIn("alice01", User);
  run("adddir mail");
  const std::string more = std::string(msg::kAskMoreInfo) + "\n";
  const std::string entryStart =
      std::string(msg::kAskTargetGroup) + msg::kAskUserName + msg::kAskPassword + more;
  struct Case {
    const char* operatorName;
    const char* line;
    std::string answers;
    std::string questions;
    const char* message;
  } cases[] = {
      {"alice01", "adddir", "\n", msg::kAskGroup, msg::kBadArguments},
      {"alice01", "addpassword", "\n", msg::kAskTargetGroup, msg::kBadArguments},
      {"alice01", "addpassword", "mail\n\n", std::string(msg::kAskTargetGroup) + msg::kAskUserName,
       msg::kBadArguments},
      {"alice01", "addpassword", "mail\nme\n\n",
       std::string(msg::kAskTargetGroup) + msg::kAskUserName + msg::kAskPassword,
       msg::kBadArguments},
      {"alice01", "addpassword", "mail\nme\npw\nY\n\n", entryStart + msg::kAskInfoType,
       msg::kBadArguments},
      {"alice01", "addpassword", "mail\nme\npw\ny\nt1\n\n",
       entryStart + msg::kAskInfoType + msg::kAskInfoContent, msg::kBadArguments},
      {"alice01", "addpassword", "mail\nme\npw\nY\nt1\nc1\nY\n\n",
       entryStart + msg::kAskInfoType + msg::kAskInfoContent + more + msg::kAskInfoType,
       msg::kBadArguments},
      {"rooty01", "addadmin", "\n", msg::kAskUserName, msg::kNameTooShort},
      {"rooty01", "adduser", "bobby01\n\n", std::string(msg::kAskUserName) + msg::kAskPassword,
       msg::kPasswordTooShort},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line + (" / " + c.answers));
    state().operatorName = c.operatorName;
    SessionOutput result = run(c.line, c.answers);
    EXPECT_EQ(failure(c.message), result.err);
    EXPECT_EQ(c.questions, result.out);
  }
  state().operatorName = "alice01";
  ASSERT_EQ(1u, state().operatorAccount().groups.size());
  EXPECT_EQ("mail", state().operatorAccount().groups[0].name);
  EXPECT_TRUE(state().operatorAccount().groups[0].entries.empty());
  EXPECT_EQ((std::vector<std::string>{"rooty01", "alice01"}), state().registry.names);
}

TEST_F(ShellSession, AddpasswordChecksGroupsAndDuplicates) {
  logIn("alice01", User);
  EXPECT_EQ(failure(msg::kGroupMissing), run("addpassword mail me pw").err);
  run("adddir mail");
  run("adddir work");
  EXPECT_EQ(ok(), run("addpassword mail me pw").out);
  EXPECT_EQ(failure(msg::kEntryExists), run("addpassword mail me other").err);
  EXPECT_EQ(ok(), run("addpassword work me pw").out);
  EXPECT_EQ(failure(msg::kBadArguments), run("addpassword mail").err);
  EXPECT_EQ(failure(msg::kBadArguments), run("addpassword mail me").err);
}

TEST_F(ShellSession, DeletionsAskForConfirmation) {
  logIn("alice01", User);
  run("adddir mail");
  run("addpassword mail me pw");
  std::string question = std::string(msg::kConfirmDeleteEntry) + "\n";
  SessionOutput declined = run("delpassword mail me", "x\nn\n");
  EXPECT_EQ(question + msg::kAnswerAgain + question, declined.out);
  EXPECT_EQ(1u, state().operatorAccount().groups[0].entries.size());
  EXPECT_EQ(failure(msg::kEntryMissing), run("delpassword mail you", "y\n").err);
  EXPECT_EQ(question + ok(), run("delpassword mail me", "Y\n").out);
  EXPECT_EQ(0, state().operatorAccount().groups[0].entryCount);
  std::string groupQuestion =
      std::string(msg::kWarnDeleteGroup) + "\n" + msg::kConfirmDeleteGroup + "\n";
  SessionOutput noGroup = run("deldir", "Y \n\ny\n");
  EXPECT_EQ(groupQuestion + msg::kAnswerAgain + groupQuestion + msg::kAnswerAgain + groupQuestion,
            noGroup.out);
  EXPECT_EQ(failure(msg::kBadArguments), noGroup.err);
  EXPECT_EQ(failure(msg::kGroupMissing), run("deldir nope", "y\n").err);
}

TEST_F(ShellSession, EndOfInputInsideAQuestionCancelsTheCommand) {
  logIn("alice01", User);
  run("adddir mail");
  SessionOutput result = run("deldir mail");
  EXPECT_EQ("", result.err);
  EXPECT_EQ(1u, state().operatorAccount().groups.size());
  run("addpassword", "mail\nme\npw\n");
  EXPECT_TRUE(state().operatorAccount().groups[0].entries.empty());
}

TEST_F(ShellSession, SetpasswordTakesOnlyTheFirstWord) {
  logIn("rooty01", SystemAdministrator);
  EXPECT_EQ(failure(msg::kPasswordTooShort), run("setpassword").err);
  EXPECT_EQ(ok(), run("setpassword newpass1 ignored\\").out);
  EXPECT_EQ("newpass1", state().operatorAccount().password);
}

TEST_F(ShellSession, SetmodeChangesTheOperatorsMode) {
  logIn("alice01", User);
  EXPECT_EQ(failure(msg::kUnknownMode), run("setmode Simple").err);
  EXPECT_EQ(failure(msg::kBadArguments), run("setmode").err);
  EXPECT_EQ(ok(), run("setmode unencrypted").out);
  EXPECT_EQ(Unencrypted, state().operatorAccount().mode);
}

TEST_F(ShellSession, AccountCommandsCheckTheirArguments) {
  logIn("rooty01", SystemAdministrator);
  EXPECT_EQ(failure(msg::kMissingArgument), run("addadmin bobby01").err);
  EXPECT_EQ(failure(msg::kBadArguments), run("adduser bobby01 secret1").err);
  EXPECT_EQ(failure(msg::kUnknownAddMode), run("adduser bobby01 secret1 unencrypted").err);
  EXPECT_EQ(failure(msg::kUnknownAddMode), run("adduser bobby01 secret1 SIMPLE").err);
  EXPECT_EQ(failure(msg::kNameTaken), run("addadmin system secret1").err);
  EXPECT_EQ(failure(msg::kNameTaken), run("adduser system secret1 simple").err);
  EXPECT_EQ(failure(msg::kNameTooShort), run("adduser root secret1 simple").err);
  EXPECT_EQ(failure(msg::kIllegalCharacter), run("adduser ../x12345 secret1 simple").err);
}

TEST_F(ShellSession, AdduserAsksWhenNothingIsTyped) {
  logIn("rooty01", SystemAdministrator);
  SessionOutput result = run("adduser", "bobby01\nsecret1\nsimple\n");
  EXPECT_EQ(std::string(msg::kAskUserName) + msg::kAskPassword + msg::kAskMode + ok(), result.out);
  const UserAccount* bob = state().registry.findUser("bobby01");
  ASSERT_NE(nullptr, bob);
  EXPECT_EQ(Simple, bob->mode);
  EXPECT_EQ(User, bob->role);
  EXPECT_EQ(failure(msg::kNameTaken), run("addadmin bobby01 secret1").err);
}

// Files of a name that Config.ini does not list (a lost or hand-edited Config.ini) are
// someone's data: a new account of that name would overwrite them.
TEST_F(ShellSession, NewAccountsNeverTakeTheFilesOfAnUnlistedName) {
  logIn("rooty01", SystemAdministrator);
  writeFileDurably(fs_, files().dataFile("alice01"), "her data");
  writeFileDurably(fs_, files().passwordFile("bobby01"), "his password");
  for (const char* line : {"adduser alice01 secret1 simple", "addadmin alice01 secret1",
                           "adduser bobby01 secret1 simple", "addadmin bobby01 secret1"}) {
    EXPECT_EQ(failure(msg::kNameTaken), run(line).err) << line;
  }
  EXPECT_EQ("her data", contents(files().dataFile("alice01")));
  EXPECT_EQ("his password", contents(files().passwordFile("bobby01")));
  EXPECT_EQ(Presence::kAbsent, fs_.exists(files().passwordFile("alice01")));
  EXPECT_EQ(std::vector<std::string>{"rooty01"}, state().registry.names);
}

TEST_F(ShellSession, DeletingAccounts) {
  logIn("rooty01", SystemAdministrator);
  run("addadmin admin01 secret1");
  run("addadmin admin02 secret1");
  run("adduser bobby01 secret1 simple");
  std::string question = std::string(msg::kConfirmDeleteAdmin) + "\n";
  EXPECT_EQ(failure(msg::kCannotDeleteRoot), run("deladmin root", "y\n").err);
  EXPECT_EQ(failure(msg::kCannotDeleteSystem), run("deluser system", "y\n").err);
  EXPECT_EQ(failure(msg::kNoSuchUser), run("deluser nobody1", "y\n").err);
  // deladmin takes only administrators; deluser, for root, an account of either kind.
  SessionOutput user = run("deladmin bobby01", "y\n");
  EXPECT_EQ(question, user.out);
  EXPECT_EQ(failure(msg::kNotAdministrator), user.err);
  EXPECT_NE(nullptr, state().registry.findUser("bobby01"));
  EXPECT_TRUE(exists("bobby01", ".usr"));
  EXPECT_EQ(question + ok(), run("deladmin admin01", "y\n").out);
  for (const char* name : {"admin02", "bobby01"}) {
    SessionOutput deleted = run(std::string("deluser ") + name, "y\n");
    EXPECT_EQ("", deleted.err) << name;
    EXPECT_NE(std::string::npos, deleted.out.find(ok())) << name;
    EXPECT_FALSE(exists(name, ".usr")) << name;
  }
  EXPECT_EQ(nullptr, state().registry.findAccount("admin01"));
  EXPECT_EQ(nullptr, state().registry.findAccount("admin02"));
  EXPECT_EQ(nullptr, state().registry.findAccount("bobby01"));
  EXPECT_EQ(std::vector<std::string>{"rooty01"}, state().registry.names);
}

// An Administrator's deluser deletes users and its own account, and no other administrator.
TEST_F(ShellSession, AnAdministratorDeletesNoOtherAdministrator) {
  logIn("rooty01", SystemAdministrator);
  for (const char* line :
       {"addadmin admin01 secret1", "addadmin admin02 secret1", "adduser bobby01 secret1 simple"}) {
    ASSERT_EQ(ok(), run(line).out) << line;
  }
  state().operatorName = "admin01";
  const std::string question =
      std::string(msg::kWarnDeleteUser) + "\n" + msg::kConfirmDeleteUser + "\n";
  for (const char* name : {"admin02", "rooty01"}) {
    SessionOutput refused = run(std::string("deluser ") + name, "Y\n");
    EXPECT_EQ(question, refused.out) << name;
    EXPECT_EQ(failure(msg::kNoPermission), refused.err) << name;
    EXPECT_NE(nullptr, state().registry.findAdministrator(name)) << name;
  }
  EXPECT_TRUE(exists("admin02", ".usr"));
  EXPECT_TRUE(exists("admin02", ".usrpas"));
  EXPECT_EQ(question + ok(), run("deluser bobby01", "Y\n").out);
  EXPECT_EQ(question + ok(), run("deluser admin01", "Y\n").out);
  EXPECT_EQ((std::vector<std::string>{"rooty01", "admin02"}), state().registry.names);
}

TEST_F(ShellSession, AnAdministratorMayDeleteItself) {
  logIn("admin01", Administrator);
  run("deluser admin01", "y\n");
  EXPECT_EQ(failure(msg::kOperatorMissing), run("mode").err);
}

}  // namespace
}  // namespace vellumkeep
