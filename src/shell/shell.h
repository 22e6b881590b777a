// The shell loop: prompt, read, check, parse, execute, display, for every line.
#pragma once

#include <string_view>

#include "program_state.h"

namespace vellumkeep {

// Writes the about block, then runs command lines until a command ends the session (exit,
// quit) or the console input is exhausted. Every runtime error of a line is reported on the
// error stream and the loop goes on.
void runShell(ProgramState& state);

// Runs one command line that has been read: check, parse, execute, display.
void runCommandLine(ProgramState& state, std::string_view line);

// The four lines written once before the first prompt.
void printAboutBlock(ProgramState& state);

}  // namespace vellumkeep
