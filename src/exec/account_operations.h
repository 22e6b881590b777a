// The commands that create and delete program users and change the Operator's own
// mode and password.
#pragma once

#include "program_state.h"

namespace vellumkeep {

void addAdmin(ProgramState& state);     // addadmin
void addUser(ProgramState& state);      // adduser
void deleteAdmin(ProgramState& state);  // deladmin
void deleteUser(ProgramState& state);   // deluser
void setMode(ProgramState& state);      // setmode
void setPassword(ProgramState& state);  // setpassword

}  // namespace vellumkeep
