// help, exit, quit and genpassword through the shell loop.
#include "exec/session_operations.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "exec/password_generator.h"
#include "model/charsets.h"
#include "model/messages.h"
#include "session_fixture.h"

namespace vellumkeep {
namespace {

using Words = std::vector<std::string>;

class SessionOperations : public SessionTest {
 protected:
  // The command words of help's list, in the order shown.
  Words listedWords(const std::string& out) {
    Words words;
    std::istringstream lines(out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(msg::kHelpHeading, line);
    while (std::getline(lines, line) && line.rfind("  ", 0) == 0) {
      words.push_back(line.substr(2, line.find(' ', 2) - 2));
    }
    EXPECT_EQ(msg::kHelpFooter, line);
    return words;
  }
};

TEST_F(SessionOperations, HelpListsTheCommandsOfTheOperatorsRole) {
  struct Case {
    const char* name;
    int32_t role;
    Words words;
  } cases[] = {
      {"alice01", User, {"dir",         "seach",        "password",     "mode",
                         "adddir",      "addpassword",  "deldir",       "delpassword",
                         "setmode",     "help",         "exit",         "quit",
                         "genpassword", "copypassword", "editpassword", "movepassword",
                         "renamedir",   "find",         "otp",          "changepassword"}},
      {"admin01",
       Administrator,
       {"user", "mode", "adduser", "deluser", "setpassword", "help", "exit", "quit",
        "changepassword"}},
      {"rooty01",
       SystemAdministrator,
       {"user", "mode", "addadmin", "adduser", "deladmin", "deluser", "setpassword", "help", "exit",
        "quit", "changepassword"}},
  };
  for (const Case& c : cases) {
    logIn(c.name, c.role);
    SessionOutput result = run("help");
    EXPECT_EQ("", result.err) << c.name;
    EXPECT_EQ(c.words, listedWords(result.out)) << c.name;
  }
}

TEST_F(SessionOperations, HelpWithAWordShowsThatCommandInFull) {
  logIn("alice01", User);
  // Also a command the Operator may not use.
  EXPECT_EQ(std::string(msg::kHelpUsageLabel) + "deluser " + msg::kHelpDeluser.synopsis + "\n" +
                msg::kHelpDeluser.details + "\n" + msg::kHelpConfirmLabel + "\n  " +
                msg::kWarnDeleteUser + "\n  " + msg::kConfirmDeleteUser + "\n" +
                msg::kHelpRolesLabel + msg::kRoleSuperAdministrator + msg::kHelpRoleSeparator +
                msg::kRoleSystemAdministrator + msg::kHelpRoleSeparator + msg::kRoleAdministrator +
                "\n" + msg::kHelpExampleLabel + "deluser alice01\n\n",
            run("help deluser").out);
}

TEST_F(SessionOperations, HelpRefusesUnknownWordsAndSecondWords) {
  logIn("alice01", User);
  struct Case {
    const char* line;
    const char* message;
  } cases[] = {
      {"help Dir", msg::kUnknownCommand},
      {"help search", msg::kUnknownCommand},
      {"help dir seach", msg::kBadArguments},
  };
  for (const Case& c : cases) {
    SessionOutput result = run(c.line);
    EXPECT_EQ(failure(c.message), result.err) << c.line;
    EXPECT_EQ("", result.out) << c.line;
  }
}

TEST_F(SessionOperations, ExitAndQuitEndTheLoopAfterTheirLine) {
  for (const char* line : {"exit", "quit", "exit now", "quit\tnow"}) {
    state().endRequested = false;
    logIn("alice01", User);
    SessionOutput result = session(std::string(line) + "\nadddir mail\n");
    EXPECT_EQ("System\\alice01>\n", result.out) << line;
    EXPECT_EQ("", result.err) << line;
    EXPECT_TRUE(state().operatorAccount().groups.empty()) << line;
  }
}

// An administrator that deleted its own account can still end the session.
TEST_F(SessionOperations, ExitNeedsNoAccount) {
  logIn("admin01", Administrator);
  SessionOutput result = session("deluser admin01\ny\nhelp\nexit\nmode\n");
  EXPECT_EQ(failure(msg::kOperatorMissing), result.err);
  EXPECT_TRUE(state().endRequested);
}

// The password alone on its line, then the empty line.
std::string generated(const SessionOutput& result) {
  EXPECT_EQ("", result.err);
  EXPECT_GE(result.out.size(), 2u);
  EXPECT_EQ("\n\n", result.out.substr(result.out.size() - 2));
  return result.out.substr(0, result.out.size() - 2);
}

TEST_F(SessionOperations, GenpasswordShowsOnePasswordOfTheAskedLength) {
  logIn("alice01", User);
  struct Case {
    const char* line;
    size_t length;
  } cases[] = {{"genpassword", 20}, {"genpassword 8", 8}, {"genpassword 64", 64}};
  for (const Case& c : cases) {
    std::string password = generated(run(c.line));
    EXPECT_EQ(c.length, password.size()) << c.line;
    EXPECT_TRUE(consistsOf(password, kTextCharset)) << password;
    EXPECT_TRUE(holdsEveryKind(password)) << password;
  }
  EXPECT_NE(generated(run("genpassword")), generated(run("genpassword")));
}

TEST_F(SessionOperations, GenpasswordIsStoredNowhereAndAddpasswordTakesIt) {
  logIn("alice01", User);
  run("adddir mail");
  const std::string before = contents(files().dataPath + "alice01.usr");
  const std::string password = generated(run("genpassword 12"));
  EXPECT_EQ(before, contents(files().dataPath + "alice01.usr"));
  EXPECT_EQ(ok(), run("addpassword mail me " + password).out);
  EXPECT_EQ(
      std::string(msg::kEntryAccount) + "\tme\n" + msg::kEntryPassword + "\t" + password + "\n\n",
      run("password mail me").out);
}

TEST_F(SessionOperations, GenpasswordRefusals) {
  logIn("admin01", Administrator);
  logIn("alice01", User);
  struct Case {
    const char* operatorName;
    const char* line;
    const char* message;
  } cases[] = {
      {"alice01", "genpassword 7", msg::kBadGeneratedLength},
      {"alice01", "genpassword 65", msg::kBadGeneratedLength},
      {"alice01", "genpassword twenty", msg::kBadGeneratedLength},
      {"alice01", "genpassword a\\b", msg::kBadGeneratedLength},
      {"alice01", "genpassword 8 9", msg::kBadArguments},
      {"admin01", "genpassword", msg::kNoPermission},
  };
  for (const Case& c : cases) {
    state().operatorName = c.operatorName;
    SessionOutput result = run(c.line);
    EXPECT_EQ(failure(c.message), result.err) << c.line;
    EXPECT_EQ("", result.out) << c.line;
  }
}

}  // namespace
}  // namespace vellumkeep
