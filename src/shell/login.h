// Login: the banner, then name and password until a listed user gives the right password;
// that user becomes the Operator, and an administrator also loads every other user. A
// password that another account chose is replaced before the session starts.
#pragma once

#include "exec/program_state.h"

namespace vellumkeep {

// Returns once an Operator is logged in (and has replaced a password that another account
// chose). Throws InputExhausted when the input ends first.
void login(ProgramState& state);

// One attempt; true when it logged the Operator in.
bool askCredentials(ProgramState& state);

// What follows a successful attempt: an administrator or root loads every other user, and the
// Operator's password file gets fresh filler. Throws what loading or writing throws.
void setUpOperator(ProgramState& state);

}  // namespace vellumkeep
