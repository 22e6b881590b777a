// The program at a real terminal whose output may go to a pipe: the terminal's code page
// judged from the locale's name when the locale is not installed, type-ahead kept when echo
// is turned off, and the terminal's settings put back when a signal ends the program.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "e2e/installation.h"
#include "e2e/terminal_program.h"
#include "model/messages.h"

namespace vellumkeep {
namespace {

class TerminalFaults : public InstalledTest {};

// The locales named here are not installed on the test machines (only C.UTF-8 is); the
// program must judge the code set from the name and speak UTF-8.
TEST_F(TerminalFaults, Utf8LocaleNameThatIsNotInstalledStillMeansUtf8) {
  struct Case {
    std::vector<std::string> environment;
    bool utf8;
  };
  const Case cases[] = {
      {{"TERM=xterm", "LANG=en_US.UTF-8"}, true},
      {{"TERM=xterm", "LANG=zh_CN.UTF-8"}, true},
      {{"TERM=xterm", "LANG=C", "LC_CTYPE=zh_CN.utf8"}, true},
      {{"TERM=xterm", "LANG=en_US.UTF-8", "LC_ALL=zh_CN.GBK"}, false},
      {{"TERM=xterm", "LC_ALL=", "LANG=de_DE.UTF-8"}, true},
  };
  ConsoleTexts texts;
  for (const Case& test : cases) {
    SCOPED_TRACE(test.environment.back());
    TerminalProgram program(VELLUMKEEP_PROGRAM, installation_.folder(), {test.environment});
    ASSERT_TRUE(program.started());
    const std::string question = test.utf8 ? msg::kLoginName : texts.gbk(msg::kLoginName);
    EXPECT_TRUE(program.waitFor(question)) << program.screen();
    EXPECT_NE(std::string::npos,
              program.screen().find(test.utf8 ? msg::kWelcome : texts.gbk(msg::kWelcome)));
  }
}

// A name, a password and a command typed ahead at once: turning echo off for the password
// must not throw away the lines that wait behind the name.
TEST_F(TerminalFaults, TypeAheadSurvivesThePasswordQuestion) {
  TerminalOptions options;
  options.outputToPipe = true;
  TerminalProgram program(VELLUMKEEP_PROGRAM, installation_.folder(), options);
  ASSERT_TRUE(program.started());
  program.type(std::string("root\r") + kRootPassword + "\rmode\r");
  EXPECT_TRUE(
      program.waitFor("System\\root>\tunencrypted\n\tsimple\n\tstrong\n\nSystem\\root>", 1, true))
      << program.piped();
  program.type("\x04");  // Ctrl-D: the end of the input at a terminal without line editing
  TerminalExit exit = program.waitForExit();
  EXPECT_TRUE(exit.exited);
  EXPECT_EQ(0, exit.status);
}

// Ctrl-C while echo is off for the password ends the program by SIGINT; echo must be on again.
TEST_F(TerminalFaults, SignalDuringPasswordQuestionRestoresEcho) {
  TerminalOptions options;
  options.outputToPipe = true;
  TerminalProgram program(VELLUMKEEP_PROGRAM, installation_.folder(), options);
  ASSERT_TRUE(program.started());
  ASSERT_TRUE(program.echoes());
  program.type("root\r");
  ConsoleTexts texts;
  ASSERT_TRUE(program.waitFor(texts.gbk(msg::kLoginPassword), 1, true)) << program.piped();
  ASSERT_TRUE(program.waitUntilReadingKeys());
  program.type("\x03");
  TerminalExit exit = program.waitForExit();
  EXPECT_FALSE(exit.exited);
  EXPECT_EQ(SIGINT, exit.signal);
  EXPECT_TRUE(program.echoes());
}

}  // namespace
}  // namespace vellumkeep
