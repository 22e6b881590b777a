#include "commands/executor.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "commands/command_table.h"
#include "expect_error.h"
#include "model/messages.h"
#include "session_fixture.h"

namespace vellumkeep {
namespace {

class ExecutorTest : public SessionTest {
 protected:
  std::string execute(CommandCode code, const std::vector<std::string>& words) {
    state().opcodeStack = {code};
    setArguments(words);
    return errorText<std::runtime_error>([&] { executeCommand(state()); });
  }
};

using Texts = std::vector<std::string>;

TEST_F(ExecutorTest, GuardsLeaveTheCodeAndRunNothing) {
  logIn("alice01", User);
  EXPECT_EQ(msg::kStackError, execute(-1, {"adddir", "x"}));
  EXPECT_EQ(OpcodeStack{-1}, state().opcodeStack);
  EXPECT_EQ(msg::kIllegalOperation,
            execute(static_cast<CommandCode>(kCommandCount), {"adddir", "x"}));
  EXPECT_EQ(msg::kIllegalOperation, execute(kDeclined, {"adddir", "x"}));
  EXPECT_EQ((Texts{"adddir", "x"}), argumentTexts());
  EXPECT_TRUE(state().operatorAccount().groups.empty());
  state().opcodeStack.clear();
  executeCommand(state());
  EXPECT_EQ((Texts{"adddir", "x"}), argumentTexts());
}

TEST_F(ExecutorTest, OperationsLeaveTheirLayoutCodeAndRows) {
  logIn("alice01", User);
  EXPECT_EQ("(no error)", execute(4, {"mode"}));
  EXPECT_TRUE(state().opcodeStack.empty());
  EXPECT_EQ((Texts{"0", "unencrypted", "simple", "strong"}), argumentTexts());
  EXPECT_EQ("(no error)", execute(7, {"adddir", "mail"}));
  EXPECT_EQ(Texts{"7"}, argumentTexts());
  EXPECT_EQ("(no error)", execute(0, {"dir"}));
  EXPECT_EQ((Texts{"1", "mail"}), argumentTexts());
  EXPECT_EQ("(no error)", execute(0, {"dir", "mail"}));
  EXPECT_EQ((Texts{"0", "mail", "0"}), argumentTexts());
  EXPECT_EQ("(no error)", execute(13, {"setmode", "simple"}));
  EXPECT_EQ(Texts{"12"}, argumentTexts());
  EXPECT_EQ(msg::kInvalidArgument, execute(4, {}));
}

TEST_F(ExecutorTest, ArgumentCountsAreChecked) {
  logIn("alice01", User);
  EXPECT_EQ(msg::kBadArguments, execute(7, {}));
  EXPECT_EQ(msg::kBadArguments, execute(8, {"addpassword", "g", "a", "p"}));
  EXPECT_EQ(msg::kBadArguments, execute(13, {}));
  EXPECT_EQ(msg::kBadQueryArguments, execute(2, {"password", "g", "a", "b"}));
  EXPECT_EQ(msg::kMissingArgument, execute(5, {}));
  EXPECT_EQ("(no error)", execute(3, {"user", "more"}));
  EXPECT_EQ((Texts{"4", "alice01"}), argumentTexts());
}

}  // namespace
}  // namespace vellumkeep
