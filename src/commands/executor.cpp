#include "commands/executor.h"

#include <stdexcept>

#include "commands/command_table.h"
#include "exec/operation_steps.h"
#include "model/messages.h"

namespace vellumkeep {

void executeCommand(ProgramState& state) {
  if (state.opcodeStack.empty()) return;
  CommandCode code = state.opcodeStack.back();
  if (code == kNoCommand) throw std::runtime_error(msg::kStackError);
  const CommandRow* row = commandRow(code);
  if (!row) throw std::runtime_error(msg::kIllegalOperation);
  popCommandCode(state);
  row->operation(state, row->layout);
}

}  // namespace vellumkeep
