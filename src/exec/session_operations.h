// The commands that touch no stored data: help, and ending the session.
#pragma once

#include "program_state.h"
#include "shell/command_table.h"

namespace vellumkeep {

// help: without an argument, pushes the words of the commands the Operator may use; with one
// command word, pushes that word under kCommandHelpLayout. Throws "指令错误!" for a word that
// names no command and "参数异常!" for more than one argument.
void describeCommands(ProgramState& state, const CommandRow& row);

// exit, quit: asks the shell loop to end after this line.
void endSession(ProgramState& state, const CommandRow& row);

}  // namespace vellumkeep
