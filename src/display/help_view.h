// Help on the console, read from the command table: the list of the commands an Operator may
// use, and one command in full.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "commands/command_table.h"
#include "platform/console.h"

namespace vellumkeep {

// A heading, then for each row its word and arguments, padded to one column, and its summary,
// then a line on help WORD.
void printCommandList(ConsoleWriter& out, const std::vector<const CommandRow*>& rows);

// The row's usage, details, the questions it asks, the roles that may use it and an example.
void printCommandHelp(ConsoleWriter& out, const CommandRow& row);

// The columns UTF-8 text takes on a console (and its bytes in GBK): one for an ASCII byte,
// two for any other character.
size_t displayWidth(std::string_view utf8);

}  // namespace vellumkeep
