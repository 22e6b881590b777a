// Login: the banner, then name and password until a listed user gives the right password;
// that user becomes the Operator, and an administrator also loads every other user.
#pragma once

#include "program_state.h"

namespace vellumkeep {

// Returns once an Operator is logged in. Throws InputExhausted when the input ends first.
void login(ProgramState& state);

// The four-line banner, 79 columns wide.
void printLoginBanner(ProgramState& state);

// One attempt; true when it logged the Operator in.
bool askCredentials(ProgramState& state);

}  // namespace vellumkeep
