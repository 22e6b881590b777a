// The shell loop: prompt, read, check, parse, execute, display, for every line.
#pragma once

#include <string_view>

#include "exec/program_state.h"

namespace vellumkeep {

// Writes the about block, then runs command lines until a command ends the session (exit,
// quit) or the console input is exhausted (at a terminal: Ctrl-D at the prompt). Every runtime
// error of a line is reported on the error stream and the loop goes on. At a terminal Ctrl-C at
// the prompt discards the line, Ctrl-C or Ctrl-D in a question cancels the command, and an idle
// terminal locks the session. When the shell ends at a terminal (line editing), the screen and
// its scrollback are cleared.
void runShell(ProgramState& state);

// Runs one command line that has been read: check, parse, execute, display.
void runCommandLine(ProgramState& state, std::string_view line);

// The four lines written once before the first prompt.
void printAboutBlock(ProgramState& state);

}  // namespace vellumkeep
