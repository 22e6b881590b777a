#include "platform/terminal_editor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellumkeep {
namespace {

TEST(TerminalEditorTest, TabCompletesTheWordOrListsTheCandidates) {
  using Words = std::vector<std::string>;
  struct Case {
    std::string word;
    Words candidates;
    std::string insert;
    bool list;
  };
  const Case cases[] = {
      {"mo", {"mode"}, "de ", false},
      {"", {"mode"}, "mode ", false},
      {"mode", {"mode"}, " ", false},
      {"ad", {"adddir", "addpassword"}, "d", false},
      {"add", {"adddir", "addpassword"}, "", true},
      {"", {"dir", "deldir"}, "d", false},
      {"d", {"dir", "deldir"}, "", true},
      {"de", {"deldir", "delpassword", "deluser"}, "l", false},
      {"x", {}, "", false},
      {"mail", {"mail", "mail2"}, "", true},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.word);
    CompletionStep step = completionStep(test.word, test.candidates);
    EXPECT_EQ(test.insert, step.insert);
    EXPECT_EQ(test.list, step.list);
  }
}

}  // namespace
}  // namespace vellumkeep
