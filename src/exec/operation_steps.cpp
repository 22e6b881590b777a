#include "exec/operation_steps.h"

namespace vellumkeep {

void popCommandCode(ProgramState& state) {
  if (!state.opcodeStack.empty()) state.opcodeStack.pop_back();
}

Arguments takeArguments(ProgramState& state) {
  Arguments args;
  args.count = state.argumentStack.size();
  for (size_t i = 1; i < state.argumentStack.size(); ++i) {
    args.values.push_back(std::move(state.argumentStack[i].text));
  }
  state.argumentStack.clear();
  return args;
}

void pushResultMarker(ProgramState& state, long value) {
  pushRow(state, std::to_string(value));
}

void pushRow(ProgramState& state, std::string text) {
  state.argumentStack.push_back(ArgumentEntry{1, std::move(text)});
}

}  // namespace vellumkeep
