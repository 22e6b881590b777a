#include "platform/console.h"

#include <gtest/gtest.h>

#include <sstream>

#include "model/messages.h"
#include "scripted_editor.h"

namespace vellumkeep {
namespace {

TEST(ConsoleTest, SystemTextLeavesInCodePage936) {
  GbkConverter converter;
  EXPECT_EQ("\xC3\xFC\xC1\xEE\xB3\xC9\xB9\xA6\xCD\xEA\xB3\xC9\xA1\xA3",
            converter.convert(msg::kSuccess));
}

TEST(ConsoleTest, OnlySystemTextIsConverted) {
  std::istringstream in;
  std::ostringstream out, err;
  Console console(in, out, ConsoleEncoding::kGbk, err, ConsoleEncoding::kUtf8);
  console.out.text("用户").data("\xE7\x94\xA8").endLine();
  console.err.text("用户").endLine();
  EXPECT_EQ("\xD3\xC3\xBB\xA7\xE7\x94\xA8\n", out.str());
  EXPECT_EQ("用户\n", err.str());
}

TEST(ConsoleTest, WelcomeBannerLineIsSeventyNineBytesInGbk) {
  GbkConverter converter;
  std::string line = "|" + std::string(27, ' ') + msg::kWelcome + std::string(32, ' ') + "|";
  EXPECT_EQ(79u, converter.convert(line).size());
}

TEST(ConsoleTest, ReadsLinesRawAndReportsTheEnd) {
  std::istringstream in("a\xB5\r\nlast");
  std::ostringstream out, err;
  Console console(in, out, ConsoleEncoding::kGbk, err, ConsoleEncoding::kGbk);
  EXPECT_EQ("a\xB5\r", console.readLine());
  EXPECT_EQ("last", console.readSecretLine());
  EXPECT_THROW(console.readLine(), InputExhausted);
  EXPECT_EQ("", out.str());
}

// With a line editor the text after the last line end is the editor's prompt: it is handed
// to the read instead of being written.
TEST(ConsoleTest, EditorGetsThePartialLineAsItsPrompt) {
  std::istringstream in("never read\n");
  std::ostringstream out, err;
  ScriptedEditor editor;
  editor.script({ScriptedEditor::Step::line("typed"), ScriptedEditor::Step::line("hidden")});
  {
    Console console(in, out, ConsoleEncoding::kGbk, err, ConsoleEncoding::kGbk);
    console.attachEditor(editor);
    console.out.data("before\nSystem\\").data("alice01>").flush();
    EXPECT_EQ("before\n", out.str());
    EXPECT_EQ("typed", console.readLine());
    console.out.text("用户").data(": ").flush();
    EXPECT_EQ("hidden", console.readSecretLine());
    console.out.data("rule").flush();
    console.out.data("-").endLine().data("held at the end");
    EXPECT_EQ("before\nrule-\n", out.str());
  }
  EXPECT_EQ("before\nrule-\nheld at the end", out.str());
  EXPECT_EQ((std::vector<std::string>{"System\\alice01>", "secret:\xD3\xC3\xBB\xA7: "}),
            editor.prompts);
  EXPECT_EQ("", err.str());
}

}  // namespace
}  // namespace vellumkeep
