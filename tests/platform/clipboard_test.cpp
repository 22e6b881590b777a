#include "platform/clipboard.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "e2e/run_program.h"

namespace vellumkeep {
namespace {

using std::chrono::seconds;

// A pipe standing in for the terminal; what reached it so far.
struct Terminal {
  Terminal() {
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK) == 0) {
      read.reset(fds[0]);
      write.reset(fds[1]);
    }
  }
  std::string received() {
    std::string bytes;
    char buffer[256];
    for (ssize_t n; (n = ::read(read.get(), buffer, sizeof buffer)) > 0;) bytes.append(buffer, n);
    return bytes;
  }

  detail::OwnedFd read;
  detail::OwnedFd write;
};

TEST(ClipboardTest, SequenceCarriesTheBytesInBase64) {
  struct Case {
    std::string bytes;
    std::string sequence;
  };
  const Case cases[] = {
      {"", "\x1b]52;c;\a"},
      {"a", "\x1b]52;c;YQ==\a"},
      {"ab", "\x1b]52;c;YWI=\a"},
      {"abc", "\x1b]52;c;YWJj\a"},
      {"mailpw1", "\x1b]52;c;bWFpbHB3MQ==\a"},
      {"~!@#$%^&*()-=+/", "\x1b]52;c;fiFAIyQlXiYqKCktPSsv\a"},
  };
  for (const Case& test : cases) EXPECT_EQ(test.sequence, clipboardSequence(test.bytes));
}

TEST(ClipboardTest, CopyIsClearedOnceNowAndAtTheEnd) {
  Terminal terminal;
  {
    Clipboard clipboard(terminal.write.get(), seconds(30));
    EXPECT_EQ(std::nullopt, clipboard.due());
    clipboard.clearNow();
    EXPECT_EQ("", terminal.received());  // nothing was copied

    const auto before = std::chrono::steady_clock::now();
    clipboard.copy("pw1");
    EXPECT_EQ("\x1b]52;c;cHcx\a", terminal.received());
    ASSERT_TRUE(clipboard.due());
    EXPECT_GE(*clipboard.due(), before + seconds(30));
    EXPECT_LE(*clipboard.due(), std::chrono::steady_clock::now() + seconds(30));

    clipboard.run();  // as the key reader does when the copy falls due
    EXPECT_EQ(kClipboardClearSequence, terminal.received());
    EXPECT_EQ(std::nullopt, clipboard.due());
    clipboard.clearNow();
    EXPECT_EQ("", terminal.received());

    clipboard.copy("pw2");
    EXPECT_EQ("\x1b]52;c;cHcy\a", terminal.received());
  }
  EXPECT_EQ(kClipboardClearSequence, terminal.received());  // a pending copy is cleared at the end
}

}  // namespace
}  // namespace vellumkeep
