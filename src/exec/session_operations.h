// The commands that touch no stored data: ending the session, and new passwords.
#pragma once

#include "exec/program_state.h"

namespace vellumkeep {

// exit, quit: asks the shell loop to end after this line.
void endSession(ProgramState& state, LayoutCode layout);

// genpassword [LENGTH]: pushes one random password of LENGTH (default 20) text bytes. Throws
// "密码长度应为8到64之间的数字!" for another LENGTH and "参数异常!" for a second argument.
void generatePassword(ProgramState& state, LayoutCode layout);

}  // namespace vellumkeep
