// Reading lines with editing keys, history and completion, where both console streams are a
// terminal. The console hands it every read; pipes and files never see it.
#pragma once

#include <string>
#include <string_view>

#include "platform/secret_memory.h"

namespace vellumkeep {

// Thrown when the operator breaks off an answer at the terminal: Ctrl-C, or Ctrl-D on an
// empty line. At the prompt Ctrl-C discards the line and Ctrl-D ends the program; in a
// question either cancels the command. Not a std::exception, so that no command handler
// mistakes it for a command's failure.
struct InputCancelled {
  enum class Key { kInterrupt, kEnd };
  Key key;
};

// Thrown when no key came for the idle limit while a line was read; the session locks.
struct InputIdle {};

class LineEditor {
 public:
  virtual ~LineEditor() = default;

  // Shows `prompt` (in the console's code page) and reads one line without its line end.
  // Throws InputCancelled, InputIdle, or InputExhausted when the terminal is gone.
  virtual std::string readLine(std::string_view prompt) = 0;
  // The same without showing what is typed; a line end follows.
  virtual SecretString readSecretLine(std::string_view prompt) = 0;
  // Keeps a line for recall with the arrow keys and Ctrl-R, in memory only.
  virtual void remember(std::string_view line) = 0;
  // While paused, reads wait for ever (the idle limit does not apply).
  virtual void pauseIdleLimit(bool paused) = 0;
};

}  // namespace vellumkeep
