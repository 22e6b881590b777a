// The help command: which commands the Operator may use, read from the command table.
#pragma once

#include "exec/program_state.h"

namespace vellumkeep {

// help: without an argument, pushes the words of the commands the Operator may use; with one
// command word, pushes that word under kCommandHelpLayout. Throws "指令错误!" for a word that
// names no command and "参数异常!" for more than one argument.
void describeCommands(ProgramState& state, LayoutCode layout);

}  // namespace vellumkeep
