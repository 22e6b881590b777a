// The five listing commands: they change nothing and leave their rows on the ArgumentStack.
#pragma once

#include "program_state.h"

namespace vellumkeep {

void queryModes(ProgramState& state);     // mode
void queryGroups(ProgramState& state);    // dir
void searchEntries(ProgramState& state);  // seach
void queryEntry(ProgramState& state);     // password
void queryUsers(ProgramState& state);     // user

}  // namespace vellumkeep
