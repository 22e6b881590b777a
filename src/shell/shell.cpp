#include "shell/shell.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "commands/command_table.h"
#include "commands/executor.h"
#include "display/display.h"
#include "exec/command_words.h"
#include "model/charsets.h"
#include "model/messages.h"
#include "shell/command_parser.h"
#include "shell/session_lock.h"

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

namespace {

enum class PassOutcome { kNext, kEnd, kLock };

// Offers the line for recall only when it names a command whose row says the line holds no
// password: a line of no command (a mistyped command word) may hold one in any word.
void rememberCommandLine(ProgramState& state, std::string_view line) {
  if (!consistsOf(line, kLineCharset)) return;
  const std::vector<std::string_view> words = splitWords(line);
  if (words.empty()) return;
  const CommandRow* row = findCommand(words[0]);
  if (!row || holdsSecret(*row, words.size() - 1)) return;
  state.console.remember(line);
}

// The line typed at the prompt; nothing after Ctrl-C (a new prompt follows). Ctrl-D ends the
// shell as the end of the input does.
std::optional<SecretString> readCommandLine(ProgramState& state) {
  try {
    return state.console.readLine();
  } catch (const InputCancelled& cancelled) {
    if (cancelled.key == InputCancelled::Key::kEnd) throw InputExhausted{};
    return std::nullopt;
  }
}

// One pass of the loop, from the prompt to the result.
PassOutcome runPass(ProgramState& state) {
  try {
    showPrompt(state);
    std::optional<SecretString> line = readCommandLine(state);
    if (!line) return PassOutcome::kNext;
    rememberCommandLine(state, *line);
    runCommandLine(state, *line);
    if (state.endRequested) return PassOutcome::kEnd;
  } catch (const InputExhausted&) {
    return PassOutcome::kEnd;
  } catch (const InputCancelled&) {
    return PassOutcome::kNext;  // a question was broken off before anything was executed
  } catch (const InputIdle&) {
    return PassOutcome::kLock;
  } catch (const std::runtime_error& error) {
    state.console.err.text(error.what()).endLine().endLine();
  }
  return PassOutcome::kNext;
}

}  // namespace

void runShell(ProgramState& state) {
  printAboutBlock(state);
  for (;;) {
    PassOutcome outcome = runPass(state);
    if (outcome == PassOutcome::kEnd) break;
    if (outcome == PassOutcome::kLock && !unlockSession(state)) break;
  }
  // What the session showed is not left behind on a terminal.
  Console& console = state.console;
  if (console.hasEditor() && console.outputIsTerminal()) clearScreenAndScrollback(console.out);
}

}  // namespace vellumkeep
