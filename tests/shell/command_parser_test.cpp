#include "shell/command_parser.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "expect_error.h"
#include "model/messages.h"
#include "session_fixture.h"

namespace vellumkeep {
namespace {

class CommandParserTest : public SessionTest {
 protected:
  // Parses `line` with `answers` as the console input; returns the code.
  CommandCode parse(const std::string& line, const std::string& answers = "") {
    feed(answers);
    state().argumentStack.clear();
    return parseCommand(state(), line);
  }

  // The texts pushed, each checked for tag 1.
  std::vector<std::string> pushed() const {
    for (const ArgumentEntry& entry : state().argumentStack) EXPECT_EQ(1, entry.tag);
    return argumentTexts();
  }

  std::string error(const std::string& line, const std::string& answers = "") {
    return errorText<std::runtime_error>([&] { parse(line, answers); });
  }
};

using Words = std::vector<std::string>;

TEST_F(CommandParserTest, CodesAndPushedEntries) {
  logIn("rooty01", SystemAdministrator);
  logIn("alice01", User);
  struct Case {
    const char* operatorName;
    std::string line;
    CommandCode code;
    Words entries;
  } cases[] = {
      {"alice01", "dir", 0, {"dir"}},
      {"alice01", "dir a\\b c", 0, {"dir", "a\\b", "c"}},
      {"alice01", "seach x", 1, {"seach", "x"}},
      {"alice01", "password g a", 2, {"password", "g", "a"}},
      {"rooty01", "user a\\ b", 3, {"user"}},
      {"alice01", "mode x", 4, {"mode", "x"}},
      {"rooty01", "addadmin bobby01", 5, {"addadmin", "bobby01"}},
      {"rooty01", "adduser bobby01 secret1 x\\y", 6, {"adduser", "bobby01", "secret1", "x\\y"}},
      {"alice01", "adddir a b", 7, {"adddir", "a", "b"}},
      {"alice01", "addpassword g a p", 8, {"addpassword", "g", "a", "p", ""}},
      {"alice01",
       "addpassword g a p t1 c1 t2 c2",
       8,
       {"addpassword", "g", "a", "p", "t1\nc1\nt2\nc2"}},
      {"alice01", "setmode x y", 13, {"setmode", "x", "y"}},
      {"rooty01", "setpassword abcdef more", 14, {"setpassword", "abcdef"}},
  };
  for (const Case& c : cases) {
    state().operatorName = c.operatorName;
    EXPECT_EQ(c.code, parse(c.line)) << c.line;
    EXPECT_EQ(c.entries, pushed()) << c.line;
  }
}

TEST_F(CommandParserTest, SetmodeIsForUsersOnly) {
  logIn("rooty01", SystemAdministrator);
  EXPECT_EQ(msg::kNoPermission, error("setmode simple"));
}

TEST_F(CommandParserTest, RefusalsCarryTheirMessages) {
  logIn("alice01", User);
  struct Case {
    std::string line;
    const char* message;
  } cases[] = {
      {"DIR", msg::kUnknownCommand},
      {"", msg::kUnknownCommand},
      {"adduser ab", msg::kNameTooShort},
      {"adduser abcdefghijklm", msg::kNameTooLong},
      {"adduser abcdef\\", msg::kIllegalCharacter},
      {"adduser bobby01 short", msg::kPasswordTooShort},
      {"adduser bobby01 secret1", msg::kNoPermission},
      {"setpassword", msg::kPasswordTooShort},
      {"setpassword abcdefghijklm", msg::kPasswordTooLong},
      {"addpassword g", msg::kBadArguments},
      {"addpassword g a", msg::kBadArguments},
      {"addpassword g a p t", msg::kBadArguments},
      {"addpassword g a p\\", msg::kIllegalCharacter},
      {"addpassword g a p t c\\", msg::kIllegalCharacter},
      {"setmode a\\", msg::kIllegalCharacter},
      {"deluser x\\", msg::kIllegalCharacter},
  };
  for (const Case& c : cases) EXPECT_EQ(c.message, error(c.line)) << c.line;
}

TEST_F(CommandParserTest, AskedAccountAnswersFollowTheRules) {
  logIn("rooty01", SystemAdministrator);
  EXPECT_EQ(msg::kNameTooShort, error("addadmin", "bob\n"));
  EXPECT_EQ(msg::kPasswordTooLong, error("addadmin", "bobby01\nabcdefghijklm\n"));
  EXPECT_EQ(6, parse("adduser", "bobby01\nsecret1\nany mode\n"));
  EXPECT_EQ((Words{"adduser", "bobby01", "secret1", "any mode"}), pushed());
}

TEST_F(CommandParserTest, InteractiveEntryRefusesEmptyAnswers) {
  logIn("alice01", User);
  EXPECT_EQ(msg::kBadArguments, error("addpassword", "\n\n\ny\n\n\nN\n"));
  EXPECT_EQ(Words{"addpassword"}, pushed());
  EXPECT_EQ(8, parse("addpassword", "g\na\np\ny\nt\nc\nN\n"));
  EXPECT_EQ((Words{"addpassword", "g", "a", "p", "t\nc"}), pushed());
  EXPECT_EQ(msg::kIllegalCharacter, error("addpassword", "g\na b\n"));
}

TEST_F(CommandParserTest, ConfirmationDecidesTheCode) {
  logIn("alice01", User);
  EXPECT_EQ(kDeclined, parse("deldir mail", "n\n"));
  EXPECT_EQ(11, parse("deldir mail", "Y\n"));
  EXPECT_THROW(parse("deldir mail", "yes\n"), InputExhausted);
  EXPECT_EQ(12, parse("delpassword g a", "y\n"));
  EXPECT_EQ((Words{"delpassword", "g", "a"}), pushed());
}

}  // namespace
}  // namespace vellumkeep
