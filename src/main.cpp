// The program's entry: connects the console, reads Config.ini, logs in and runs the shell.
#include <unistd.h>

#include <exception>
#include <iostream>

#include "platform/console.h"
#include "platform/terminal.h"
#include "program_state.h"
#include "shell/login.h"
#include "shell/shell.h"
#include "storage/working_files.h"

int main() {
  using namespace vellumkeep;
  std::ios::sync_with_stdio(false);
  Console console(std::cin, std::cout, encodingFor(STDOUT_FILENO), std::cerr,
                  encodingFor(STDERR_FILENO), isTerminal(STDIN_FILENO));
  console.setOutputIsTerminal(isTerminal(STDOUT_FILENO));
  try {
    ProgramState state(console, "Config.ini");
    startUp(state);
    login(state);
    runShell(state);
    return 0;
  } catch (const InputExhausted&) {
    return 1;  // the input ended before anyone logged in
  } catch (const std::exception& error) {
    console.err.text(error.what()).endLine();
    return 1;
  }
}
