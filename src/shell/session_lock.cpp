#include "shell/session_lock.h"

#include <string>

#include "display/display.h"
#include "model/messages.h"
#include "platform/secret_memory.h"

namespace vellumkeep {

namespace {

// Lifts the idle limit while the session is locked.
class IdleLimitPause {
 public:
  explicit IdleLimitPause(Console& console) : console_(console) { console_.pauseIdleLimit(true); }
  ~IdleLimitPause() { console_.pauseIdleLimit(false); }
  IdleLimitPause(const IdleLimitPause&) = delete;
  IdleLimitPause& operator=(const IdleLimitPause&) = delete;

 private:
  Console& console_;
};

// One question; false at a wrong password, InputCancelled on Ctrl-C or Ctrl-D.
bool askOperatorPassword(ProgramState& state) {
  state.console.out.text(msg::kLoginPassword).flush();
  const SecretString typed = state.console.readSecretLine();
  return samePassword(typed, state.operatorAccount().password);
}

}  // namespace

bool unlockSession(ProgramState& state) {
  if (state.clipboard) state.clipboard->clearNow();
  ConsoleWriter& out = state.console.out;
  clearScreenAndScrollback(out);
  out.text(msg::kSessionLocked).endLine();
  IdleLimitPause pause(state.console);
  for (;;) {
    try {
      if (askOperatorPassword(state)) return true;
    } catch (const InputCancelled& cancelled) {
      if (cancelled.key == InputCancelled::Key::kEnd) return false;
      throw;
    }
    out.text(msg::kLoginFailed).endLine();
  }
}

}  // namespace vellumkeep
