// copypassword through the shell: the password reaches the terminal's clipboard and never its
// screen; every refusal leaves the clipboard untouched.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "model/messages.h"
#include "platform/clipboard.h"
#include "session_fixture.h"
#include "test_pipe.h"

namespace vellumkeep {
namespace {

class CopyPassword : public SessionTest {
 protected:
  CopyPassword() {
    UserAccount& alice = logIn("alice01", User);
    insertGroup(alice, Group{1, 1, "mail", {}});
    insertEntry(alice.groups[0], PasswordEntry("bob", "mailpw1", "url x"));
    state().clipboard = &clipboard_;
  }

  TestPipe terminal_;
  Clipboard clipboard_{terminal_.write.get(), std::chrono::seconds(30)};
};

TEST_F(CopyPassword, PutsThePasswordOnTheClipboardOnly) {
  SessionOutput result = run("copypassword mail bob");
  EXPECT_EQ(std::string(msg::kPasswordCopied) + "30" + msg::kPasswordCopiedFor + "\n\n",
            result.out);
  EXPECT_EQ("", result.err);
  EXPECT_EQ("\x1b]52;c;bWFpbHB3MQ==\a", terminal_.take());
  EXPECT_TRUE(clipboard_.due());
}

TEST_F(CopyPassword, RefusalsLeaveTheClipboardAlone) {
  struct Case {
    const char* line;
    const char* message;
  };
  const Case cases[] = {
      {"copypassword", msg::kBadArguments},
      {"copypassword mail", msg::kBadArguments},
      {"copypassword mail bob bob", msg::kBadArguments},
      {"copypassword post bob", msg::kGroupMissing},
      {"copypassword mail bill", msg::kEntryMissing},
      {"copypassword mail b\\ob", msg::kIllegalCharacter},
  };
  for (const Case& test : cases) {
    SessionOutput result = run(test.line);
    EXPECT_EQ(failure(test.message), result.err) << test.line;
    EXPECT_EQ("", result.out) << test.line;
  }
  state().clipboard = nullptr;  // pipes and files
  EXPECT_EQ(failure(msg::kClipboardNeedsTerminal), run("copypassword mail bob").err);
  logIn("rooty01", SystemAdministrator);
  EXPECT_EQ(failure(msg::kNoPermission), run("copypassword mail bob").err);
  EXPECT_EQ("", terminal_.take());
  EXPECT_FALSE(clipboard_.due());
}

}  // namespace
}  // namespace vellumkeep
