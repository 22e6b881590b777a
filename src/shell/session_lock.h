// The idle lock: after the terminal was idle at the prompt or in a question, the screen is
// cleared and nothing more happens until the Operator's password is given again.
#pragma once

#include <string_view>

#include "exec/program_state.h"

namespace vellumkeep {

// Clears the screen (and the terminal's scrollback) and asks for the Operator's password,
// hidden and without an idle limit, repeating the question after "用户名/密码错误！" until it
// is right. False when the operator ends the input instead (Ctrl-D); Ctrl-C passes on as
// InputCancelled. A pending clipboard copy is cleared first.
bool unlockSession(ProgramState& state);

}  // namespace vellumkeep
