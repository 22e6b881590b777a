// The commands that create and delete program users and change the Operator's own
// mode and password.
#pragma once

#include "program_state.h"
#include "shell/command_table.h"

namespace vellumkeep {

void addAdmin(ProgramState& state, const CommandRow& row);  // addadmin
void addUser(ProgramState& state, const CommandRow& row);   // adduser
// deladmin and deluser: either deletes an account of any role but root and system.
void deleteAccount(ProgramState& state, const CommandRow& row);
void setMode(ProgramState& state, const CommandRow& row);      // setmode
void setPassword(ProgramState& state, const CommandRow& row);  // setpassword

}  // namespace vellumkeep
