// The shell loop reading through a line editor, as at a terminal: the prompts and questions go
// to the editor, Ctrl-C and Ctrl-D at the prompt and in questions, the idle lock, and which
// lines the history keeps.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "model/messages.h"
#include "scripted_editor.h"
#include "session_fixture.h"
#include "shell/session_lock.h"
#include "test_pipe.h"

namespace vellumkeep {
namespace {

using Step = ScriptedEditor::Step;
using Lines = std::vector<std::string>;

constexpr char kPrompt[] = "System\\alice01>";
constexpr char kClearScreen[] = "\x1b[H\x1b[2J\x1b[3J";
const std::string kModes = "\tunencrypted\n\tsimple\n\tstrong\n\n";

class ShellEditor : public SessionTest {
 protected:
  ShellEditor() {
    run_.console().attachEditor(editor_);
    logIn("alice01", User);  // password "secret1"
  }

  // Runs the shell on `steps` and returns what it wrote after the about block.
  SessionOutput runScript(std::vector<Step> steps) {
    editor_.script(std::move(steps));
    feed("");
    runShell(state());
    std::string out = run_.out();
    out.erase(0, out.find("\n\n") + 2);
    return {out, run_.err()};
  }

  std::vector<std::string> groupNames() {
    std::vector<std::string> names;
    for (const Group& group : state().operatorAccount().groups) names.push_back(group.name);
    return names;
  }

  // What the lock writes before its first question.
  static std::string locked() { return kClearScreen + std::string(msg::kSessionLocked) + "\n"; }

  ScriptedEditor editor_;
};

TEST_F(ShellEditor, PromptsAndQuestionsAreShownByTheEditor) {
  SessionOutput result = runScript({Step::line("adddir"), Step::line("mail")});
  EXPECT_EQ(ok(), result.out);
  EXPECT_EQ("", result.err);
  EXPECT_EQ((Lines{kPrompt, msg::kAskGroup, kPrompt}), editor_.prompts);
  EXPECT_EQ(Lines{"mail"}, groupNames());
}

TEST_F(ShellEditor, CtrlCAtThePromptDiscardsTheLineAndCtrlDEnds) {
  SessionOutput result =
      runScript({Step::interrupt(), Step::line("mode"), Step::end(), Step::line("mode")});
  EXPECT_EQ(kModes, result.out);
  EXPECT_EQ("", result.err);
  EXPECT_EQ(Lines(3, kPrompt), editor_.prompts);  // the last line is never read
}

// Ctrl-C or Ctrl-D in any question: nothing of the command is executed, a new prompt follows.
TEST_F(ShellEditor, KeyInAQuestionCancelsTheCommand) {
  struct Case {
    std::vector<Step> command;
    std::string questions;  // the questions written with a line end
  };
  const std::string moreInfo = std::string(msg::kAskMoreInfo) + "\n";
  const Case cases[] = {
      {{Step::line("deldir mail")},
       std::string(msg::kWarnDeleteGroup) + "\n" + msg::kConfirmDeleteGroup + "\n"},
      {{Step::line("adddir")}, ""},
      {{Step::line("addpassword"), Step::line("mail"), Step::line("bob"), Step::line("pw")},
       moreInfo},
      {{Step::line("addpassword"), Step::line("mail"), Step::line("bob"), Step::line("pw"),
        Step::line("y"), Step::line("url")},
       moreInfo},
  };
  for (const Case& test : cases) {
    for (Step key : {Step::interrupt(), Step::end()}) {
      SCOPED_TRACE(test.command[0].text + (key.kind == Step::Kind::kEnd ? " Ctrl-D" : " Ctrl-C"));
      state().operatorAccount().groups.clear();
      runScript({Step::line("adddir mail")});
      std::vector<Step> steps = test.command;
      steps.push_back(key);
      steps.push_back(Step::line("mode"));
      SessionOutput result = runScript(steps);
      EXPECT_EQ(test.questions + kModes, result.out);
      EXPECT_EQ("", result.err);
      EXPECT_EQ(Lines{"mail"}, groupNames());
      EXPECT_TRUE(state().operatorAccount().groups[0].entries.empty());
    }
  }
}

// Only lines that name a command, and that its row says hold no password, are kept: a line of
// no command (a mistyped command word, illegal bytes) may hold a password in any word.
TEST_F(ShellEditor, HistoryKeepsCommandLinesWithoutPasswords) {
  runScript({Step::line("mode"), Step::line("adddir"), Step::line("mail"), Step::line(""),
             Step::line(" \t"), Step::line("setpassword abcdef1"), Step::line("addadmin"),
             Step::line("abc"), Step::line("adduser bob0001"), Step::line("addpassword mail bob"),
             Step::line("addpassword mail bob pw1"), Step::line("addpassword\tmail bob pw1 t c"),
             Step::line("editpassword mail bob pw2"), Step::line("editpassword mail nobody"),
             Step::line("dir mail"), Step::line("Dir"),
             Step::line("addusr kim0001 kimpass1 strong"), Step::line("setpasword abcdef1"),
             Step::line("dir m\xc3\xa4il"), Step::line("deldir mail"), Step::line("n")});
  EXPECT_EQ((Lines{"mode", "adddir", "addpassword mail bob", "editpassword mail nobody",
                   "dir mail", "deldir mail"}),
            editor_.remembered);
}

TEST_F(ShellEditor, IdleAtThePromptLocksUntilThePasswordIsGiven) {
  SessionOutput result =
      runScript({Step::line("adddir mail"), Step::idle(), Step::line("wrong"),
                 Step::line("secret1 "), Step::line("secret1"), Step::line("mode")});
  EXPECT_EQ(ok() + locked() + msg::kLoginFailed + "\n" + msg::kLoginFailed + "\n" + kModes,
            result.out);
  const std::string question = std::string("secret:") + msg::kLoginPassword;
  EXPECT_EQ((Lines{kPrompt, kPrompt, question, question, question, kPrompt, kPrompt}),
            editor_.prompts);
  EXPECT_EQ((std::vector<bool>{true, false}), editor_.idlePauses);
}

TEST_F(ShellEditor, IdleInAQuestionCancelsTheCommandAndLocks) {
  SessionOutput result =
      runScript({Step::line("adddir"), Step::idle(), Step::line("secret1"), Step::line("dir")});
  EXPECT_EQ(locked() + "alice01 :\n\n", result.out);
  EXPECT_EQ(Lines{}, groupNames());
}

TEST_F(ShellEditor, CtrlDAtTheLockEndsTheShellAndCtrlCEndsTheProgram) {
  runScript({Step::idle(), Step::end(), Step::line("mode")});
  EXPECT_EQ(2u, editor_.prompts.size());  // the prompt and the lock's question
  editor_.script({Step::idle(), Step::interrupt()});
  EXPECT_THROW(runShell(state()), InputCancelled);
}

TEST_F(ShellEditor, LockEmptiesAPendingClipboardCopy) {
  TestPipe terminal;
  Clipboard clipboard(terminal.write.get(), std::chrono::seconds(30));
  state().clipboard = &clipboard;
  clipboard.copy("mailpw1");
  terminal.take();
  runScript({Step::idle(), Step::end()});
  EXPECT_EQ(kClipboardClearSequence, terminal.take());
  EXPECT_FALSE(clipboard.due());
}

}  // namespace
}  // namespace vellumkeep
