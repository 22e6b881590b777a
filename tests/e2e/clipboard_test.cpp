// copypassword and Tab completion at a terminal: the password goes to the clipboard in an
// OSC 52 sequence and is emptied again after the (shortened) time and at exit; through tmux with
// set-clipboard on it lands in tmux's paste buffer.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "e2e/installation.h"
#include "e2e/terminal_program.h"
#include "e2e/test_timeouts_program.h"
#include "model/messages.h"
#include "platform/clipboard.h"

namespace vellumkeep {
namespace {

constexpr char kCopySequence[] = "\x1b]52;c;bWFpbHB3MQ==\a";  // mailpw1
constexpr char kPrompt[] = "System\\alice01>";

class ClipboardAtTerminal : public InstalledTest {
 protected:
  void SetUp() override {
    InstalledTest::SetUp();
    expectSuccesses("root", kRootPassword, {"adduser alice01 alicepw1 simple"});
    expectSuccesses("alice01", "alicepw1",
                    {"adddir mail", "adddir money", "addpassword mail bob mailpw1"});
  }

  // The program with test timeouts, its clipboard kept for `clipboardMs`, logged in as alice01.
  std::unique_ptr<TerminalProgram> startLoggedIn(int clipboardMs) {
    TerminalOptions options;
    options.environment.push_back("VELLUMKEEP_TEST_CLIPBOARD_MS=" + std::to_string(clipboardMs));
    auto program =
        std::make_unique<TerminalProgram>(testTimeoutsProgram(), installation_.folder(), options,
                                          std::vector<std::string>{kRunWithTestTimeouts});
    EXPECT_TRUE(program->waitFor(msg::kLoginName));
    program->type("alice01\r");
    EXPECT_TRUE(program->waitFor(msg::kLoginPassword));
    program->type("alicepw1\r");
    EXPECT_TRUE(program->waitFor(kPrompt));
    EXPECT_TRUE(program->waitUntilReadingKeys());
    return program;
  }

  static std::string copied(int seconds) {
    return std::string(msg::kPasswordCopied) + std::to_string(seconds) + msg::kPasswordCopiedFor;
  }
};

// Tab completes the command word, then the group, then the group's account: the completed
// line is the one that runs.
TEST_F(ClipboardAtTerminal, TabCompletesAndCopyIsClearedAfterItsTime) {
  auto program = startLoggedIn(1000);
  size_t mark = program->screen().size();
  program->type("co\tma\t\t\r");
  ASSERT_TRUE(program->waitForAfter(mark, copied(1)));
  const std::string shown = program->screenSince(mark);
  ASSERT_NE(std::string::npos, shown.find(kCopySequence));
  EXPECT_LT(shown.find(kCopySequence), shown.find(copied(1)));
  // Emptied while the prompt waits.
  ASSERT_TRUE(program->waitForAfter(mark + shown.find(kCopySequence), kClipboardClearSequence));
  EXPECT_EQ(std::string::npos, program->screen().find("mailpw1"));
}

TEST_F(ClipboardAtTerminal, TabListsWhatCouldFollow) {
  auto program = startLoggedIn(1000);
  size_t mark = program->screen().size();
  program->type("d\t");
  EXPECT_TRUE(program->waitForAfter(mark, "dir  deldir  delpassword  "));
  program->type("ir m\t");
  EXPECT_TRUE(program->waitForAfter(mark, "mail  money  "));
  program->type("a\t\r");  // dir mail
  EXPECT_TRUE(program->waitForAfter(mark, "mail :\r\n\tbob\r\n"));
}

TEST_F(ClipboardAtTerminal, PendingCopyIsClearedAtExit) {
  auto program = startLoggedIn(60000);
  size_t mark = program->screen().size();
  program->type("copypassword mail bob\r");
  ASSERT_TRUE(program->waitForAfter(mark, copied(60)));
  ASSERT_TRUE(program->waitUntilReadingKeys());
  program->type("\x04");
  TerminalExit exit = program->waitForExit();
  EXPECT_TRUE(exit.exited);
  EXPECT_EQ(0, exit.status);
  const std::string shown = program->screenSince(mark);
  EXPECT_NE(std::string::npos, shown.find(kClipboardClearSequence, shown.find(kCopySequence)));
}

// tmux, when installed: the copy reaches tmux's paste buffer. tmux ignores the empty sequence,
// so the buffer keeps the password after the program has cleared the clipboard.
class ClipboardInTmux : public ClipboardAtTerminal {
 protected:
  void SetUp() override {
    for (const char* path : {"/usr/bin/tmux", "/usr/local/bin/tmux", "/bin/tmux"}) {
      if (std::filesystem::exists(path)) tmux_ = path;
    }
    if (tmux_.empty()) GTEST_SKIP() << "tmux is not installed";
    ClipboardAtTerminal::SetUp();
    std::ofstream(folder_.path() + "tmux.conf")
        << "set -g set-clipboard on\nset -g remain-on-exit on\n";
  }
  void TearDown() override {
    if (!tmux_.empty()) tmux({"kill-server"});
  }

  ProgramResult tmux(std::vector<std::string> args) {
    args.insert(args.begin(),
                {"-u", "-S", folder_.path() + "tmux.socket", "-f", folder_.path() + "tmux.conf"});
    return runProgram(tmux_, args, folder_.path(), "");
  }
  // Polls the pane until it shows `text`, after `after` when that is given.
  bool paneShows(const std::string& text, const std::string& after = "") {
    const long long deadline = detail::nowMs() + 10000;
    while (detail::nowMs() < deadline) {
      const std::string pane = tmux({"capture-pane", "-p", "-t", "vk"}).out;
      const size_t from = after.empty() ? 0 : pane.find(after);
      if (from != std::string::npos && pane.find(text, from + after.size()) != std::string::npos) {
        return true;
      }
    }
    return false;
  }
  // Waits until the program reads keys itself again (its terminal no longer echoes): a key
  // sent while a command runs would meet the terminal's own line handling instead.
  bool paneReadsKeys() {
    std::string tty = tmux({"display-message", "-p", "-t", "vk", "#{pane_tty}"}).out;
    tty.erase(tty.find_last_not_of("\n") + 1);
    const int fd = ::open(tty.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    const long long deadline = detail::nowMs() + 10000;
    termios settings{};
    bool reading = false;
    while (!reading && detail::nowMs() < deadline) {
      reading = ::tcgetattr(fd, &settings) == 0 && (settings.c_lflag & ECHO) == 0;
    }
    ::close(fd);
    return reading;
  }
  bool bufferHolds(const std::string& text) {
    const long long deadline = detail::nowMs() + 10000;
    while (detail::nowMs() < deadline) {
      if (tmux({"show-buffer"}).out == text) return true;
    }
    return false;
  }

  // Waits until the program in the pane has ended. Asked of the process itself: tmux at times
  // notices a child's end only at its next event.
  bool paneProgramEnded() {
    std::string pid = tmux({"display-message", "-p", "-t", "vk", "#{pane_pid}"}).out;
    pid.erase(pid.find_last_not_of("\n") + 1);
    const long long deadline = detail::nowMs() + 10000;
    while (detail::nowMs() < deadline) {
      std::ifstream stat("/proc/" + pid + "/stat");
      std::string field;
      // pid, (name), state: a zombie or a missing process has ended.
      if (!(stat >> field >> field >> field) || field == "Z") return true;
    }
    return false;
  }

  std::string tmux_;
};

TEST_F(ClipboardInTmux, CopyLandsInTheBufferAndStaysThere) {
  ASSERT_EQ(0,
            tmux({"new-session", "-d", "-s", "vk", "-x", "100", "-y", "30", "-c",
                  installation_.folder(), "-e", "LANG=C.UTF-8", "-e",
                  "VELLUMKEEP_TEST_CLIPBOARD_MS=500", testTimeoutsProgram(), kRunWithTestTimeouts})
                .status);
  tmux({"send-keys", "-t", "vk", "alice01", "Enter"});
  ASSERT_TRUE(paneShows("alice01"));
  tmux({"send-keys", "-t", "vk", "alicepw1", "Enter"});
  ASSERT_TRUE(paneShows(kPrompt));
  tmux({"send-keys", "-t", "vk", "copypassword mail bob", "Enter"});
  EXPECT_TRUE(bufferHolds("mailpw1"));
  ASSERT_TRUE(paneShows(kPrompt, std::string(kPrompt) + "copypassword mail bob"));
  ASSERT_TRUE(paneReadsKeys());
  tmux({"send-keys", "-t", "vk", "C-d"});
  ASSERT_TRUE(paneProgramEnded());  // the clipboard emptied
  EXPECT_EQ("mailpw1", tmux({"show-buffer"}).out);
  EXPECT_EQ(std::string::npos, tmux({"capture-pane", "-p", "-t", "vk"}).out.find("mailpw1"));
}

}  // namespace
}  // namespace vellumkeep
