// Tab completion at the prompt: the words that may stand where the operator is typing. The
// command words the Operator's role may use come first; then each command's own words: group
// names and their accounts from the Operator's store, mode names, and user names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "exec/program_state.h"

namespace vellumkeep {

// The words that complete the last word of `before` (the line up to the cursor; a blank or tab
// at its end starts a new word), in the order of the table or the store, each once. Empty when
// nothing fits or there is no Operator. Reads the state and changes nothing.
std::vector<std::string> completeWord(const ProgramState& state, std::string_view before);

}  // namespace vellumkeep
