// The program's entry: connects the console and runs the shell.
#include <unistd.h>

#include <exception>
#include <iostream>

#include "exec/program_state.h"
#include "platform/console.h"
#include "platform/terminal.h"
#include "shell/shell.h"

int main() {
  using namespace vellumkeep;
  std::ios::sync_with_stdio(false);
  Console console(std::cin, std::cout, encodingFor(STDOUT_FILENO), std::cerr,
                  encodingFor(STDERR_FILENO), isTerminal(STDIN_FILENO));
  try {
    ProgramState state(console);
    runShell(state);
    return 0;
  } catch (const std::exception& error) {
    console.err.text(error.what()).endLine();
    return 1;
  }
}
