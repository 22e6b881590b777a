// Runs the command whose code the shell pushed, by its row of the command table.
#pragma once

#include "exec/program_state.h"

namespace vellumkeep {

// Pops the top code and runs the operation of its row in the command table. Returns at once
// on an empty stack; throws "数据栈错误!" for -1 and "非法操作!" for any other code without a
// row (the code is left on the stack).
void executeCommand(ProgramState& state);

}  // namespace vellumkeep
