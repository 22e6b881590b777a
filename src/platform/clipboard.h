// The terminal's clipboard, reached with the OSC 52 escape sequence (xterm, tmux with
// set-clipboard, kitty, iTerm2, Windows Terminal): a copied password goes there without being
// shown, and is emptied again after a while, at the idle lock and at exit, also when a signal
// ends the program.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "platform/key_reader.h"

namespace vellumkeep {

// Empties the clipboard: an OSC 52 sequence without data.
inline constexpr char kClipboardClearSequence[] = "\x1b]52;c;\a";

// The OSC 52 sequence that puts `bytes` on the clipboard (base64 between "ESC ] 52 ; c ;" and
// BEL). The caller wipes it after use.
std::string clipboardSequence(std::string_view bytes);

class Clipboard : public WaitTask {
 public:
  // A clipboard reached by writing to the terminal `fd`; a copy is kept for `keepFor`.
  Clipboard(int fd, std::chrono::milliseconds keepFor);
  ~Clipboard() override;  // empties a pending copy
  Clipboard(const Clipboard&) = delete;
  Clipboard& operator=(const Clipboard&) = delete;

  // Puts `secret` on the clipboard; it is emptied once keepFor has passed.
  void copy(std::string_view secret);
  // Empties the clipboard when a copy is pending.
  void clearNow();
  std::chrono::milliseconds keepFor() const { return keepFor_; }

  std::optional<SteadyTime> due() const override { return clearAt_; }
  void run() override { clearNow(); }

 private:
  void write(std::string_view bytes);

  int fd_;
  std::chrono::milliseconds keepFor_;
  std::optional<SteadyTime> clearAt_;
};

}  // namespace vellumkeep
