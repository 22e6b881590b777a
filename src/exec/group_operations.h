// The commands that change the Operator's own password store, each saved at once.
#pragma once

#include "program_state.h"
#include "shell/command_table.h"

namespace vellumkeep {

void addGroup(ProgramState& state, const CommandRow& row);             // adddir
void addPasswordEntry(ProgramState& state, const CommandRow& row);     // addpassword
void deleteGroup(ProgramState& state, const CommandRow& row);          // deldir
void deletePasswordEntry(ProgramState& state, const CommandRow& row);  // delpassword

}  // namespace vellumkeep
