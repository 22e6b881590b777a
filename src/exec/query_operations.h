// The five listing commands: they change nothing and leave their rows on the ArgumentStack.
#pragma once

#include "program_state.h"
#include "shell/command_table.h"

namespace vellumkeep {

void queryModes(ProgramState& state, const CommandRow& row);     // mode
void queryGroups(ProgramState& state, const CommandRow& row);    // dir
void searchEntries(ProgramState& state, const CommandRow& row);  // seach
void queryEntry(ProgramState& state, const CommandRow& row);     // password
void queryUsers(ProgramState& state, const CommandRow& row);     // user

}  // namespace vellumkeep
