// The commands that create and delete program users and change the Operator's own
// mode and password.
#pragma once

#include "exec/program_state.h"

namespace vellumkeep {

void addAdmin(ProgramState& state, LayoutCode layout);  // addadmin
void addUser(ProgramState& state, LayoutCode layout);   // adduser
// deladmin: deletes an administrator; any other name is refused, deleting nothing.
void deleteAdmin(ProgramState& state, LayoutCode layout);
// deluser: deletes a user, a damaged account, or (for root and system) an administrator; an
// Administrator deletes users and its own account only. Never root or system.
void deleteUser(ProgramState& state, LayoutCode layout);
void setMode(ProgramState& state, LayoutCode layout);      // setmode
void setPassword(ProgramState& state, LayoutCode layout);  // setpassword

}  // namespace vellumkeep
