#include "commands/help_command.h"

#include <stdexcept>

#include "commands/command_table.h"
#include "exec/operation_steps.h"
#include "model/messages.h"

namespace vellumkeep {

void describeCommands(ProgramState& state, LayoutCode layout) {
  Arguments args = takeArguments(state);
  if (args.count > 2) throw std::runtime_error(msg::kBadArguments);
  if (args.count == 2) {
    const CommandRow* described = findCommand(args.values[0]);
    if (!described) throw std::runtime_error(msg::kUnknownCommand);
    pushResultMarker(state, kCommandHelpLayout);
    pushRow(state, described->word);
    return;
  }
  pushResultMarker(state, layout);
  const int32_t role = state.operatorAccount().role;
  for (const CommandRow& each : commandRows()) {
    if (mayUse(role, each)) pushRow(state, each.word);
  }
}

}  // namespace vellumkeep
