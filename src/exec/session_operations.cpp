#include "exec/session_operations.h"

#include <stdexcept>

#include "exec/executor.h"
#include "exec/password_generator.h"
#include "model/messages.h"
#include "platform/secret_memory.h"

namespace vellumkeep {

void describeCommands(ProgramState& state, const CommandRow& row) {
  Arguments args = takeArguments(state);
  if (args.count > 2) throw std::runtime_error(msg::kBadArguments);
  if (args.count == 2) {
    const CommandRow* described = findCommand(args.values[0]);
    if (!described) throw std::runtime_error(msg::kUnknownCommand);
    pushResultMarker(state, kCommandHelpLayout);
    pushRow(state, described->word);
    return;
  }
  pushResultMarker(state, row.layout);
  const int32_t role = state.operatorAccount().role;
  for (const CommandRow& each : commandRows()) {
    if (mayUse(role, each)) pushRow(state, each.word);
  }
}

void endSession(ProgramState& state, const CommandRow& row) {
  takeArguments(state);
  pushResultMarker(state, row.layout);
  state.endRequested = true;
}

void generatePassword(ProgramState& state, const CommandRow& row) {
  Arguments args = takeArguments(state);
  pushResultMarker(state, row.layout);
  if (args.count > 2) throw std::runtime_error(msg::kBadArguments);
  size_t length = args.count == 2 ? generatedLength(args.values[0]) : kDefaultGeneratedLength;
  initializeSodium();
  pushRow(state, drawPassword(length, secureUniform));
}

}  // namespace vellumkeep
