// The command language: recognises the command word, tests the Operator's right and the
// argument bytes, asks for missing arguments and confirmations, and leaves the command
// word and its arguments on the ArgumentStack.
#pragma once

#include <string>
#include <string_view>

#include "exec/program_state.h"

namespace vellumkeep {

// Parses one command line (already checked against the line set) and returns its
// CommandCode, or kDeclined when a confirmation was answered no. Throws the command's
// message on a refused word, argument or right; InputExhausted when input ends in a question.
CommandCode parseCommand(ProgramState& state, std::string_view line);

// The next blank- or tab-separated word of the CommandStream; false when none is left.
bool readWord(ProgramState& state, SecretString& word);

// Asks `question` until the answer is exactly Y, y, N or n; true for yes.
bool askYesNo(ProgramState& state, std::string_view question);

}  // namespace vellumkeep
