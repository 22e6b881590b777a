#include "platform/clipboard.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "test_pipe.h"

namespace vellumkeep {
namespace {

using std::chrono::seconds;

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
  TestPipe terminal;
  {
    Clipboard clipboard(terminal.write.get(), seconds(30));
    EXPECT_EQ(std::nullopt, clipboard.due());
    clipboard.clearNow();
    EXPECT_EQ("", terminal.take());  // nothing was copied

    const auto before = std::chrono::steady_clock::now();
    clipboard.copy("pw1");
    EXPECT_EQ("\x1b]52;c;cHcx\a", terminal.take());
    ASSERT_TRUE(clipboard.due());
    EXPECT_GE(*clipboard.due(), before + seconds(30));
    EXPECT_LE(*clipboard.due(), std::chrono::steady_clock::now() + seconds(30));

    clipboard.run();  // as the key reader does when the copy falls due
    EXPECT_EQ(kClipboardClearSequence, terminal.take());
    EXPECT_EQ(std::nullopt, clipboard.due());
    clipboard.clearNow();
    EXPECT_EQ("", terminal.take());

    clipboard.copy("pw2");
    EXPECT_EQ("\x1b]52;c;cHcy\a", terminal.take());
  }
  EXPECT_EQ(kClipboardClearSequence, terminal.take());  // a pending copy is cleared at the end
}

}  // namespace
}  // namespace vellumkeep
