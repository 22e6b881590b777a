#include "shell/session_lock.h"

#include <sodium.h>

#include <string>

#include "model/messages.h"
#include "platform/secret_memory.h"

namespace vellumkeep {

namespace {

// Home, erase the screen, erase the scrollback.
constexpr char kClearScreenAndScrollback[] = "\x1b[H\x1b[2J\x1b[3J";

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

using Digest = unsigned char[crypto_generichash_BYTES];

void digestOf(std::string_view text, Digest& digest) {
  crypto_generichash(digest, sizeof digest, reinterpret_cast<const unsigned char*>(text.data()),
                     text.size(), nullptr, 0);
}

// One question; false at a wrong password, InputCancelled on Ctrl-C or Ctrl-D.
bool askOperatorPassword(ProgramState& state) {
  state.console.out.text(msg::kLoginPassword).flush();
  std::string typed = state.console.readSecretLine();
  bool right = samePassword(typed, state.operatorAccount().password);
  wipe(typed);
  return right;
}

}  // namespace

bool samePassword(std::string_view typed, std::string_view stored) {
  // Equal-length digests, so that neither the length nor the bytes show in the time taken.
  Digest typedDigest;
  Digest storedDigest;
  digestOf(typed, typedDigest);
  digestOf(stored, storedDigest);
  return sodium_memcmp(typedDigest, storedDigest, sizeof typedDigest) == 0;
}

bool unlockSession(ProgramState& state) {
  if (state.clipboard) state.clipboard->clearNow();
  ConsoleWriter& out = state.console.out;
  out.data(kClearScreenAndScrollback).flush();
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
