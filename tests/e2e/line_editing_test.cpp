// The program at a terminal with line editing: editing keys, history, hidden passwords,
// Ctrl-C and Ctrl-D at the prompt, in questions and at login, type-ahead and the idle lock. Keys
// are typed as a terminal sends them; what a command did is read from its output.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "e2e/installation.h"
#include "e2e/terminal_program.h"
#include "e2e/test_timeouts_program.h"
#include "model/messages.h"

namespace vellumkeep {
namespace {

constexpr char kEnter[] = "\r";
constexpr char kCtrlC[] = "\x03";
constexpr char kCtrlD[] = "\x04";
constexpr char kUp[] = "\x1b[A";
constexpr char kLeft[] = "\x1b[D";
constexpr char kCtrlU[] = "\x15";
constexpr char kCtrlY[] = "\x19";
constexpr char kClearScreenAndScrollback[] = "\x1b[H\x1b[2J\x1b[3J";
constexpr char kModeListing[] = "\tunencrypted\r\n\tsimple\r\n\tstrong\r\n";

// The prompt of `name`, as the terminal shows it.
std::string promptOf(const std::string& name) {
  return "System\\" + name + ">";
}

class LineEditing : public InstalledTest {
 protected:
  std::unique_ptr<TerminalProgram> start(const std::string& program = VELLUMKEEP_PROGRAM,
                                         std::vector<std::string> extraEnvironment = {},
                                         std::vector<std::string> args = {}) {
    TerminalOptions options;
    for (std::string& variable : extraEnvironment) options.environment.push_back(variable);
    auto running =
        std::make_unique<TerminalProgram>(program, installation_.folder(), options, args);
    EXPECT_TRUE(running->started());
    return running;
  }

  // Answers login's questions; true once the first prompt is shown and read.
  static bool logIn(TerminalProgram& program, const std::string& name,
                    const std::string& password) {
    if (!program.waitFor(msg::kLoginName)) return false;
    program.type(name + kEnter);
    if (!program.waitFor(msg::kLoginPassword)) return false;
    program.type(password + kEnter);
    return program.waitFor(promptOf(name)) && program.waitUntilReadingKeys();
  }

  // Types keys and Enter, and waits until `result` shows after them and keys are read again.
  static bool answer(TerminalProgram& program, const std::string& keys, const std::string& result) {
    size_t mark = program.screen().size();
    program.type(keys + kEnter);
    return program.waitForAfter(mark, result) && program.waitUntilReadingKeys();
  }

  // Types a command line of `name` (keys and Enter), and waits until `result` and then the
  // next prompt show: the editor reads keys again.
  static bool command(TerminalProgram& program, const std::string& keys, const std::string& result,
                      const std::string& name = "root") {
    size_t mark = program.screen().size();
    program.type(keys + kEnter);
    if (!program.waitForAfter(mark, result)) return false;
    return program.waitForAfter(mark + program.screenSince(mark).find(result) + result.size(),
                                promptOf(name)) &&
           program.waitUntilReadingKeys();
  }

  void addUser(const std::string& name, const std::string& password) {
    expectSuccesses("root", kRootPassword, {"adduser " + name + " " + password + " simple"});
  }
};

// Each row's keys must make the line "mode" (or "mode " with a blank).
TEST_F(LineEditing, EditingKeysChangeTheLine) {
  struct Case {
    const char* name;
    std::string keys;
  };
  const Case cases[] = {
      {"left arrow", std::string("moe") + kLeft + "d"},
      {"right arrow", std::string("mde") + kLeft + kLeft + "o\x1b[C\x1b[C"},
      {"Home", "ode\x1b[Hm"},
      {"End", "mo\x1b[H\x1b[Fde"},
      {"Ctrl-A", "ode\x01m"},
      {"Ctrl-E",
       "mo\x01\x05"
       "de"},
      {"Ctrl-K", std::string("modexyz") + kLeft + kLeft + kLeft + "\x0b"},
      {"Ctrl-U", "dir mail\x15mode"},
      {"Ctrl-W", "mode garbage\x17"},
      {"backspace",
       "modx\x7f"
       "e"},
      {"Delete", std::string("modxe") + kLeft + kLeft + "\x1b[3~"},
      {"Ctrl-L",
       "mo\x0c"
       "de"},  // the screen is cleared, the line kept
  };
  auto program = start();
  ASSERT_TRUE(logIn(*program, "root", kRootPassword));
  for (const Case& test : cases) {
    EXPECT_TRUE(command(*program, test.keys, kModeListing)) << test.name;
  }
  EXPECT_EQ(std::string::npos, program->screen().find(msg::kUnknownCommand));
  EXPECT_EQ(std::string::npos, program->screen().find(msg::kInvalidArgument));
}

TEST_F(LineEditing, HistoryRecallsCommandsButNeverAPasswordLine) {
  auto program = start();
  ASSERT_TRUE(logIn(*program, "root", kRootPassword));
  const std::string heading = msg::kUserListHeading;
  ASSERT_TRUE(command(*program, "mode", kModeListing));
  ASSERT_TRUE(command(*program, "user", heading));
  EXPECT_TRUE(command(*program, std::string(kUp) + kUp, kModeListing));  // mode again
  ASSERT_TRUE(command(*program, "setpassword abcdef1", msg::kSuccess));
  // The line before is the recalled mode; the password line was never kept.
  EXPECT_TRUE(command(*program, kUp, kModeListing));
  EXPECT_TRUE(command(*program, std::string(kUp) + kUp, heading));
  EXPECT_TRUE(command(*program, "\x12us", heading));  // Ctrl-R: the last line holding "us"
  EXPECT_EQ(1u, RunningProgram::countOf(program->screen(), msg::kSuccess) -
                    RunningProgram::countOf(program->screen(), heading));
  program->type(kCtrlD);
  ASSERT_TRUE(program->waitForExit().exited);
  EXPECT_EQ(0, installation_.run(joinLines({"root", "abcdef1"})).status);  // set once, kept
}

// A line that the history may not keep comes back by no key: not a mistyped command (it may
// hold a password anywhere), nor a killed line by Ctrl-Y.
TEST_F(LineEditing, NoKeyRecallsALineThatMayHoldAPassword) {
  auto program = start();
  ASSERT_TRUE(logIn(*program, "root", kRootPassword));
  ASSERT_TRUE(command(*program, "mode", kModeListing));
  ASSERT_TRUE(command(*program, "addusr kim0001 kimpass1 strong", msg::kUnknownCommand));
  EXPECT_TRUE(command(*program, kUp, kModeListing));  // the line before the mistyped one
  program->type(std::string("setpassword killme12") + kCtrlU + kCtrlY + kEnter);
  ASSERT_TRUE(command(*program, "mode", kModeListing));
  // changepassword's answers are neither shown nor kept: Up brings back its command line only.
  ASSERT_TRUE(answer(*program, "changepassword", msg::kAskCurrentPassword));
  ASSERT_TRUE(answer(*program, kRootPassword, msg::kAskNewPassword));
  ASSERT_TRUE(answer(*program, "newroot7", msg::kAskNewPasswordAgain));
  ASSERT_TRUE(command(*program, "newroot7", msg::kSuccess));
  ASSERT_TRUE(answer(*program, kUp, msg::kAskCurrentPassword));
  const size_t mark = program->screen().size();
  program->type(kCtrlD);  // cancels it
  ASSERT_TRUE(program->waitForAfter(mark, promptOf("root")) && program->waitUntilReadingKeys());
  program->type(kCtrlD);
  ASSERT_TRUE(program->waitForExit().exited);
  const std::string screen = program->screen();
  EXPECT_EQ(1u, RunningProgram::countOf(screen, "killme12"));  // as it was typed
  EXPECT_EQ(1u, RunningProgram::countOf(screen, "kimpass1"));
  EXPECT_EQ(0u, RunningProgram::countOf(screen, "newroot7") +
                    RunningProgram::countOf(screen, kRootPassword));
  EXPECT_EQ(1u, RunningProgram::countOf(screen, msg::kSuccess));  // changepassword's alone
  EXPECT_EQ(0, installation_.run(joinLines({"root", "newroot7"})).status);
}

// Keys typed after a wrong password, while the program checks it, are never echoed: the next
// attempt's password stays hidden.
TEST_F(LineEditing, KeysTypedAheadAfterAWrongPasswordAreNotEchoed) {
  auto program = start();
  ASSERT_TRUE(program->waitFor(msg::kLoginName));
  program->type(std::string("root") + kEnter);
  ASSERT_TRUE(program->waitFor(msg::kLoginPassword));
  ASSERT_TRUE(program->waitUntilReadingKeys());
  size_t mark = program->screen().size();
  program->type(std::string("wrongpw1") + kEnter);
  ASSERT_TRUE(program->waitForAfter(mark, "\r\n"));  // the answer was read
  program->type(std::string("root") + kEnter + kRootPassword + kEnter);
  ASSERT_TRUE(program->waitFor(promptOf("root")));
  EXPECT_EQ(1u, RunningProgram::countOf(program->screen(), msg::kLoginFailed));
  EXPECT_EQ(std::string::npos, program->screen().find(kRootPassword));
}

// The escape sequences of editing keys do not end up in a hidden answer.
TEST_F(LineEditing, EditingKeysInAHiddenAnswerAreIgnored) {
  addUser("alice01", "alicepw1");
  auto program = start();
  ASSERT_TRUE(logIn(*program, "alice01", "alicepw1"));
  ASSERT_TRUE(command(*program, "adddir mail", msg::kSuccess, "alice01"));
  ASSERT_TRUE(answer(*program, "addpassword", msg::kAskTargetGroup));
  ASSERT_TRUE(answer(*program, "mail", msg::kAskUserName));
  ASSERT_TRUE(answer(*program, "bob", msg::kAskPassword));
  ASSERT_TRUE(answer(*program, std::string("real1") + kLeft + kLeft + "Q", msg::kAskMoreInfo));
  ASSERT_TRUE(command(*program, "n", msg::kSuccess, "alice01"));
  EXPECT_TRUE(command(*program, "password mail bob", "real1Q\r\n", "alice01"));
  EXPECT_EQ(std::string::npos, program->screen().find(msg::kIllegalCharacter));
}

// A resize while a line is edited draws the line again from the start of its prompt, at the
// new width.
TEST_F(LineEditing, ResizeRedrawsTheLineAtTheNewWidth) {
  auto program = start();
  ASSERT_TRUE(logIn(*program, "root", kRootPassword));
  const std::string line = "seach abcdefghijklmnopqrstuvwxyz";
  program->type(line);
  ASSERT_TRUE(program->waitFor(line));
  size_t mark = program->screen().size();
  ASSERT_TRUE(program->resize(30, 30));
  // The prompt (12 columns) and 18 characters fill the first row of 30; the cursor is on the
  // second, one row up from where the prompt starts.
  const std::string firstRow = promptOf("root") + line.substr(0, 18);
  ASSERT_TRUE(program->waitForAfter(mark, "\r\x1b[1A\x1b[J" + firstRow));
  EXPECT_EQ(std::string::npos, program->screenSince(mark).find(firstRow + line.substr(18, 2)));
  EXPECT_TRUE(command(*program, "", msg::kNoPermission));
}

TEST_F(LineEditing, EndingTheProgramClearsTheScreenAndScrollback) {
  for (const std::string keys : {"exit\r", "quit\r", kCtrlD}) {
    SCOPED_TRACE(keys);
    auto program = start();
    ASSERT_TRUE(logIn(*program, "root", kRootPassword));
    ASSERT_TRUE(command(*program, "mode", kModeListing));
    program->type(keys);
    TerminalExit exit = program->waitForExit();
    EXPECT_TRUE(exit.exited);
    EXPECT_EQ(0, exit.status);
    EXPECT_TRUE(endsWith(program->screen(), kClearScreenAndScrollback));
  }
}

TEST_F(LineEditing, PasswordsAreNeverShown) {
  auto program = start();
  ASSERT_TRUE(logIn(*program, "root", kRootPassword));
  ASSERT_TRUE(answer(*program, "addadmin", msg::kAskUserName));
  ASSERT_TRUE(answer(*program, "admin01", msg::kAskPassword));
  ASSERT_TRUE(command(*program, "adminpw1", msg::kSuccess));
  EXPECT_EQ(std::string::npos, program->screen().find(kRootPassword));
  EXPECT_EQ(std::string::npos, program->screen().find("adminpw1"));
  EXPECT_EQ((std::vector<std::string>{"root", "admin01"}), installation_.listedNames());
}

// Ctrl-C or Ctrl-D in a question, also a hidden one: the command is not executed, and the
// next prompt follows on a line of its own.
TEST_F(LineEditing, KeyInAQuestionCancelsTheCommand) {
  struct Case {
    std::vector<std::string> lines;  // the last one is answered by the key
    std::string question;
  };
  const Case cases[] = {
      {{"deluser alice01"}, msg::kConfirmDeleteUser},
      {{"adduser"}, msg::kAskUserName},
      {{"addadmin", "admin01"}, msg::kAskPassword},
  };
  addUser("alice01", "alicepw1");
  auto program = start();
  ASSERT_TRUE(logIn(*program, "root", kRootPassword));
  for (const Case& test : cases) {
    for (const char* key : {kCtrlC, kCtrlD}) {
      SCOPED_TRACE(test.lines[0] + (key == kCtrlC ? " Ctrl-C" : " Ctrl-D"));
      for (const std::string& line : test.lines) program->type(line + kEnter);
      ASSERT_TRUE(program->waitForAfter(program->screen().rfind(promptOf("root")), test.question));
      ASSERT_TRUE(program->waitUntilReadingKeys());
      size_t mark = program->screen().size();
      program->type(key);
      EXPECT_TRUE(program->waitForAfter(mark, "\r\n" + promptOf("root")));
      ASSERT_TRUE(program->waitUntilReadingKeys());
    }
  }
  EXPECT_TRUE(command(*program, "user", "alice01"));
  EXPECT_EQ((std::vector<std::string>{"root", "alice01"}), installation_.listedNames());
}

TEST_F(LineEditing, CtrlCAtThePromptDiscardsTheLineAndCtrlDEndsTheProgram) {
  auto program = start();
  ASSERT_TRUE(logIn(*program, "root", kRootPassword));
  // As in a shell, ^C after the line marks it as discarded, also with the cursor inside it.
  size_t mark = program->screen().size();
  program->type(std::string("mode") + kCtrlC);
  ASSERT_TRUE(program->waitForAfter(mark, "mode^C\r\n" + promptOf("root")));
  ASSERT_TRUE(program->waitUntilReadingKeys());
  mark = program->screen().size();
  program->type(std::string("mode") + kLeft + kLeft + kCtrlC);
  ASSERT_TRUE(program->waitForAfter(mark, "de^C\r\n" + promptOf("root")));
  ASSERT_TRUE(program->waitUntilReadingKeys());
  program->type(kCtrlD);
  TerminalExit exit = program->waitForExit();
  EXPECT_TRUE(exit.exited);
  EXPECT_EQ(0, exit.status);
  EXPECT_EQ(std::string::npos, program->screen().find(kModeListing));
  // The line was ended before the screen was cleared.
  EXPECT_TRUE(endsWith(program->screen(), std::string("\r\n") + kClearScreenAndScrollback));
  EXPECT_TRUE(program->echoes());
}

TEST_F(LineEditing, KeysAtLoginEndTheProgram) {
  struct Case {
    std::string typed;
    const char* key;
    int status;
  };
  const Case cases[] = {
      {"", kCtrlC, 130},
      {"", kCtrlD, 1},
      {"ro", kCtrlC, 130},
      {std::string("root") + kEnter, kCtrlC, 130},
      {std::string("root") + kEnter, kCtrlD, 1},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.typed + (test.key == kCtrlC ? " Ctrl-C" : " Ctrl-D"));
    auto program = start();
    ASSERT_TRUE(program->waitFor(msg::kLoginName));
    program->type(test.typed);
    // Keys reach the program only while it reads: between reads Ctrl-C would be a signal.
    if (!test.typed.empty()) {
      ASSERT_TRUE(program->waitFor(test.typed.substr(0, 2)));
    }
    if (test.typed.size() > 2) {
      ASSERT_TRUE(program->waitFor(msg::kLoginPassword));
    }
    ASSERT_TRUE(program->waitUntilReadingKeys());
    program->type(test.key);
    TerminalExit exit = program->waitForExit();
    EXPECT_TRUE(exit.exited);
    EXPECT_EQ(test.status, exit.status);
    EXPECT_TRUE(program->echoes());
  }
}

TEST_F(LineEditing, TypedAheadLinesAreAllRead) {
  auto program = start();
  program->type(std::string("root\r") + kRootPassword + "\rmode\rmode\r");
  EXPECT_TRUE(program->waitFor(kModeListing, 2)) << program->screen();
}

// The program with test timeouts locks after the idle time given in its environment.
TEST_F(LineEditing, IdleTerminalLocksUntilThePasswordIsGiven) {
  addUser("alice01", "alicepw1");
  expectSuccesses("alice01", "alicepw1", {"adddir mail", "addpassword mail bob mailpw1"});
  auto program =
      start(testTimeoutsProgram(), {"VELLUMKEEP_TEST_IDLE_MS=2500"}, {kRunWithTestTimeouts});
  ASSERT_TRUE(logIn(*program, "alice01", "alicepw1"));
  ASSERT_TRUE(command(*program, "password mail bob", "mailpw1", "alice01"));
  size_t mark = program->screen().size();
  ASSERT_TRUE(program->waitForAfter(mark, msg::kSessionLocked));
  const std::string lock =
      std::string("\x1b[H\x1b[2J\x1b[3J") + msg::kSessionLocked + "\r\n" + msg::kLoginPassword;
  ASSERT_TRUE(program->waitForAfter(mark, lock));

  mark = program->screen().size();
  program->type(std::string("mailpw1") + kEnter);
  ASSERT_TRUE(
      program->waitForAfter(mark, std::string(msg::kLoginFailed) + "\r\n" + msg::kLoginPassword));
  EXPECT_EQ(std::string::npos, program->screenSince(mark).find("mailpw1"));  // hidden
  ASSERT_TRUE(answer(*program, "alicepw1", promptOf("alice01")));
  ASSERT_TRUE(command(*program, "mode", kModeListing, "alice01"));

  // Locked again; Ctrl-D at the lock ends the program.
  mark = program->screen().size();
  ASSERT_TRUE(program->waitForAfter(mark, lock));
  program->type(kCtrlD);
  TerminalExit exit = program->waitForExit();
  EXPECT_TRUE(exit.exited);
  EXPECT_EQ(0, exit.status);
}

TEST_F(LineEditing, InitStopsAtCtrlCAndChangesNothing) {
  TempFolder empty;
  TerminalProgram program(VELLUMKEEP_INIT_PROGRAM, empty.path());
  ASSERT_TRUE(program.waitFor(msg::kInitAskPassword));
  ASSERT_TRUE(program.waitUntilReadingKeys());
  program.type("abc");
  program.type(kCtrlC);
  TerminalExit exit = program.waitForExit();
  EXPECT_TRUE(exit.exited);
  EXPECT_EQ(130, exit.status);
  EXPECT_NE(std::string::npos, program.screen().find(msg::kInitCancelled));
  EXPECT_FALSE(std::filesystem::exists(empty.path() + "Config.ini"));
}

}  // namespace
}  // namespace vellumkeep
