// The steps every operation shares: taking its arguments off the ArgumentStack and pushing its
// result.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "exec/program_state.h"

namespace vellumkeep {

// Removes the top code, if any.
void popCommandCode(ProgramState& state);

// The arguments an operation took off the ArgumentStack, first typed first.
struct Arguments {
  std::vector<SecretString> values;  // without the command word
  size_t count = 0;                  // entries taken, the command word included
};

// Empties the ArgumentStack into an Arguments.
Arguments takeArguments(ProgramState& state);

// Pushes the decimal text of `value` (a LayoutCode or a count row).
void pushResultMarker(ProgramState& state, long value);

// Pushes one result row.
void pushRow(ProgramState& state, std::string text);

}  // namespace vellumkeep
