// The commands that touch no stored data: help, ending the session, and new passwords.
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

// genpassword [LENGTH]: pushes one random password of LENGTH (default 20) text bytes. Throws
// "密码长度应为8到64之间的数字!" for another LENGTH and "参数异常!" for a second argument.
void generatePassword(ProgramState& state, const CommandRow& row);

}  // namespace vellumkeep
