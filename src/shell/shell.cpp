#include "shell/shell.h"

#include <stdexcept>
#include <string>

#include "display/display.h"
#include "exec/executor.h"
#include "model/charsets.h"
#include "model/messages.h"
#include "shell/command_parser.h"

namespace vellumkeep {

void printAboutBlock(ProgramState& state) {
  ConsoleWriter& out = state.console.out;
  out.text(msg::kAboutTitle).endLine();
  out.text(msg::kAboutWebLabel).text(msg::kWebAddress).endLine();
  out.text(msg::kAboutMailLabel)
      .text(msg::kMailAddress)
      .text(" ")
      .text(msg::kAboutContact)
      .endLine();
  out.endLine();
}

void runCommandLine(ProgramState& state, std::string_view line) {
  if (!consistsOf(line, kLineCharset)) throw std::runtime_error(msg::kIllegalCharacter);
  state.currentCommandCode = parseCommand(state, line);
  if (state.currentCommandCode == kDeclined) return;
  state.opcodeStack.push_back(state.currentCommandCode);
  executeCommand(state);
  showResult(state);
}

void runShell(ProgramState& state) {
  printAboutBlock(state);
  for (;;) {
    try {
      showPrompt(state);
      std::string line = state.console.readLine();
      runCommandLine(state, line);
      if (state.endRequested) return;
    } catch (const InputExhausted&) {
      return;
    } catch (const std::runtime_error& error) {
      state.console.err.text(error.what()).endLine().endLine();
    }
  }
}

}  // namespace vellumkeep
