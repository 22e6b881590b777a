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

// The keys of a hidden answer that stay in it: the escape sequences of editing keys do not.
TEST(TerminalEditorTest, EscapeSequencesStayOutOfHiddenAnswers) {
  struct Case {
    const char* what;
    std::string keys;
    std::string kept;
  };
  const Case cases[] = {
      {"plain keys", "real1Q", "real1Q"},
      {"arrows", "real1\x1b[D\x1b[DQ\x1b[A\x1b[B\x1b[C", "real1Q"},
      {"arrows in application mode", "ab\x1bOD\x1bOCc", "abc"},
      {"Home, End, Delete", "a\x1b[H\x1b[1~b\x1b[F\x1b[4~\x1b[3~c", "abc"},
      {"with modifiers", "a\x1b[1;5Db\x1b[3;2~c", "abc"},
      {"a key with Alt",
       "a\x1b"
       "bc",
       "ac"},
      {"Escape twice", "a\x1b\x1b[Dc", "ac"},
      {"control keys end a sequence",
       "a\x1b\x15"
       "b\x1b[\x7f"
       "c",
       "a\x15"
       "b\x7f"
       "c"},
      {"Enter after Escape", "a\x1b\r", "a\r"},
  };
  for (const Case& test : cases) {
    EscapeSequenceFilter filter;
    std::string kept;
    for (char key : test.keys) {
      if (!filter.skip(static_cast<unsigned char>(key))) kept += key;
    }
    EXPECT_EQ(test.kept, kept) << test.what;
  }
}

}  // namespace
}  // namespace vellumkeep
