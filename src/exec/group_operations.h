// The commands that change the Operator's own password store, each saved at once.
#pragma once

#include "program_state.h"

namespace vellumkeep {

void addGroup(ProgramState& state);             // adddir
void addPasswordEntry(ProgramState& state);     // addpassword
void deleteGroup(ProgramState& state);          // deldir
void deletePasswordEntry(ProgramState& state);  // delpassword

}  // namespace vellumkeep
