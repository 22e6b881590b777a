// How accounts move between memory and their files: start-up, logging in against the files,
// loading every other user for an administrator, and the file steps of each changing command.
// The coding table is keyed with the Operator's name between operations.
#pragma once

#include <string_view>

#include "program_state.h"

namespace vellumkeep {

// Reads Config.ini (the data folder and the names of all users) and brings the data folder
// back to whole file pairs after a run that was killed.
void startUp(ProgramState& state);

// True when `name` is listed, `typed` is the password in its password file, and the account
// loaded from its data file (now registered) carries the same password. Throws the
// corruption error for damaged or missing files, and for a listed name that breaks the
// user-name rules (no path is ever built of it). Leaves the table keyed with `name`.
bool checkCredentials(ProgramState& state, std::string_view name, std::string_view typed);

// Loads the account of every other listed user; the table is keyed with the Operator's name
// afterwards, also when loading fails.
void loadOtherAccounts(ProgramState& state);

// Rewrites the Operator's password file with fresh filler.
void saveOperatorCredentials(ProgramState& state);

// Writes the Operator's account to its data file, in the Operator's mode.
void saveOperatorChange(ProgramState& state);

// Writes both files of the Operator after a change of its mode or password.
void saveOperatorAccount(ProgramState& state);

// True when the data folder holds a file of the account `name`, listed or not.
bool hasAccountFiles(ProgramState& state, std::string_view name);

// Writes the files of the newly registered account `name` and Config.ini listing it. On
// failure the account is neither listed nor has files, and "文件写入失败!" is thrown.
void saveNewAccount(ProgramState& state, std::string_view name);

// Writes Config.ini without the account `name` and deletes its files. On failure the account
// stays listed with its files, and "文件写入失败!" is thrown.
void deleteAccountFiles(ProgramState& state, std::string_view name);

}  // namespace vellumkeep
