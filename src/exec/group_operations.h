// The commands that change the Operator's own password store, each saved at once.
#pragma once

#include "exec/program_state.h"

namespace vellumkeep {

void addGroup(ProgramState& state, LayoutCode layout);             // adddir
void addPasswordEntry(ProgramState& state, LayoutCode layout);     // addpassword
void deleteGroup(ProgramState& state, LayoutCode layout);          // deldir
void deletePasswordEntry(ProgramState& state, LayoutCode layout);  // delpassword

}  // namespace vellumkeep
