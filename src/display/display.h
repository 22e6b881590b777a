// The shell's output side: the login banner, the prompt, and the result of each successful
// command.
#pragma once

#include <cstddef>
#include <string_view>

#include "exec/program_state.h"

namespace vellumkeep {

// The width of the rules and the banner, in columns.
inline constexpr size_t kScreenWidth = 79;

// The four-line banner before the login questions.
void printLoginBanner(ConsoleWriter& out);

// Clears the screen and the terminal's scrollback, leaving the cursor at the top: what was
// shown (a password, a line that held one) cannot be scrolled back to.
void clearScreenAndScrollback(ConsoleWriter& out);

// The corruption message for an account that the login could not load, then a line with
// two blanks and its name. The name comes from Config.ini, which may hold anything: a byte
// that is not printable ASCII is shown as '?', so that nothing reaches the terminal as a
// control sequence.
void printDamagedAccount(ConsoleWriter& err, std::string_view name);

// Writes "System\<Operator>>" and resets the per-line state: both stacks emptied and the
// error states of the console input and the CommandStream cleared.
void showPrompt(ProgramState& state);

// Prints what the command of CurrentCommandCode left on the ArgumentStack in the view its
// row names (a listing, or the success line), followed by an empty line; a code without a row
// prints the empty line only. Throws "数据栈错误!" or "目录错误!" on malformed rows.
void showResult(ProgramState& state);

}  // namespace vellumkeep
