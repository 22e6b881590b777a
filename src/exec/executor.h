// Runs the command whose code the shell pushed, and the steps every operation shares.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "program_state.h"

namespace vellumkeep {

// Pops the top code and runs the operation of its row in the command table. Returns at once
// on an empty stack; throws "数据栈错误!" for -1 and "非法操作!" for any other code without a
// row (the code is left on the stack).
void executeCommand(ProgramState& state);

// Removes the top code, if any.
void popCommandCode(ProgramState& state);

// The arguments an operation took off the ArgumentStack, first typed first.
struct Arguments {
  std::vector<std::string> values;  // without the command word
  size_t count = 0;                 // entries taken, the command word included
};

// Empties the ArgumentStack into an Arguments.
Arguments takeArguments(ProgramState& state);

// Pushes the decimal text of `value` (a LayoutCode or a count row).
void pushResultMarker(ProgramState& state, long value);

// Pushes one result row.
void pushRow(ProgramState& state, std::string text);

}  // namespace vellumkeep
