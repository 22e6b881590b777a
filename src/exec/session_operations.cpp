#include "exec/session_operations.h"

#include <stdexcept>

#include "exec/operation_steps.h"
#include "exec/password_generator.h"
#include "model/messages.h"
#include "platform/secret_memory.h"

namespace vellumkeep {

void endSession(ProgramState& state, LayoutCode layout) {
  takeArguments(state);
  pushResultMarker(state, layout);
  state.endRequested = true;
}

void generatePassword(ProgramState& state, LayoutCode layout) {
  Arguments args = takeArguments(state);
  pushResultMarker(state, layout);
  if (args.count > 2) throw std::runtime_error(msg::kBadArguments);
  size_t length = args.count == 2 ? generatedLength(args.values[0]) : kDefaultGeneratedLength;
  initializeSodium();
  pushRow(state, drawPassword(length, secureUniform));
}

}  // namespace vellumkeep
