// The commands that create and delete program users and change the Operator's own
// mode and password.
#pragma once

#include "exec/program_state.h"

namespace vellumkeep {

void addAdmin(ProgramState& state, LayoutCode layout);  // addadmin
void addUser(ProgramState& state, LayoutCode layout);   // adduser
// deladmin and deluser: either deletes an account of any role but root and system.
void deleteAccount(ProgramState& state, LayoutCode layout);
void setMode(ProgramState& state, LayoutCode layout);      // setmode
void setPassword(ProgramState& state, LayoutCode layout);  // setpassword

}  // namespace vellumkeep
