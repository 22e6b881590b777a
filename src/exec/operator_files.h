// The file steps of the changing commands: each change of memory reaches disk at once.
#pragma once

#include <string_view>

#include "exec/program_state.h"

namespace vellumkeep {

// Writes the Operator's account to its data file, in the Operator's mode.
void saveOperatorChange(ProgramState& state);

// Writes both files of the Operator after a change of its mode or password.
void saveOperatorAccount(ProgramState& state);

// Writes the files of the account `name`, newly registered, and the user list.
void saveNewAccount(ProgramState& state, std::string_view name);

// Writes the user list without `name`, then deletes that account's files.
void deleteAccountFiles(ProgramState& state, std::string_view name);

// Removes the Operator's working file, whether or not it exists.
void cleanOperatorWorkingFile(ProgramState& state);

}  // namespace vellumkeep
