#include "display/display.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "commands/command_table.h"
#include "model/messages.h"
#include "session_fixture.h"

namespace vellumkeep {
namespace {

class DisplayTest : public SessionTest {
 protected:
  // Shows `rows` (LayoutCode first) as the result of `code`.
  std::string show(CommandCode code, const std::vector<std::string>& rows) {
    state().currentCommandCode = code;
    setArguments(rows);
    feed("");
    showResult(state());
    EXPECT_TRUE(state().argumentStack.empty() || code >= 5);
    return run_.out();
  }
};

TEST_F(DisplayTest, PromptShowsTheOperatorAndResetsTheLineState) {
  state().operatorName = "alice01";
  state().argumentStack.push_back({1, "left"});
  state().opcodeStack.push_back(3);
  showPrompt(state());
  EXPECT_EQ("System\\alice01>", run_.out());
  EXPECT_TRUE(state().argumentStack.empty());
  EXPECT_TRUE(state().opcodeStack.empty());
}

TEST_F(DisplayTest, BlockListingsRefuseMissingItemsAndWrongLayouts) {
  EXPECT_THROW(show(0, {"0", "mail", "2", "me"}), std::runtime_error);
  EXPECT_EQ("mail :\n\tme\n", run_.out());
  EXPECT_THROW(show(0, {"7"}), std::runtime_error);
  EXPECT_EQ("", run_.out());
  EXPECT_THROW(show(1, {"0", "me", "0"}), std::runtime_error);
  EXPECT_EQ("me :\n\n", show(1, {" 2", "me", "0"}));
}

TEST_F(DisplayTest, WrongLayoutsOfEntryAndUsersPrintOnlyTheEmptyLine) {
  EXPECT_EQ("\n", show(2, {"4", "a", "b", "c"}));
  EXPECT_EQ("\n", show(3, {"3", "user001"}));
}

TEST_F(DisplayTest, SuccessLineForChangingCommandsOnly) {
  EXPECT_EQ(ok(), show(5, {"5"}));
  EXPECT_EQ(ok(), show(14, {"12"}));
  EXPECT_EQ("\n", show(static_cast<CommandCode>(kCommandCount), {}));
}

TEST_F(DisplayTest, LongUserNamesAreNotCut) {
  std::string name(30, 'x');
  std::string out = show(3, {"4", name, "short01"});
  EXPECT_NE(std::string::npos, out.find(name + "short01" + std::string(18, ' ') + "\n"));
}

}  // namespace
}  // namespace vellumkeep
