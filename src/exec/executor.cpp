#include "exec/executor.h"

#include <stdexcept>

#include "model/messages.h"
#include "shell/command_table.h"

namespace vellumkeep {

void executeCommand(ProgramState& state) {
  if (state.opcodeStack.empty()) return;
  CommandCode code = state.opcodeStack.back();
  if (code == kNoCommand) throw std::runtime_error(msg::kStackError);
  const CommandRow* row = commandRow(code);
  if (!row) throw std::runtime_error(msg::kIllegalOperation);
  popCommandCode(state);
  row->operation(state, *row);
}

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
