// Terminal settings that the program changes for a while (echo off, keys one at a time, the
// line editor's mode) and always puts back: when the change ends, and also when a signal
// (SIGINT, SIGTERM, SIGHUP, SIGQUIT) ends the program meanwhile.
#pragma once

#include <termios.h>

namespace vellumkeep {

// While alive, a signal that ends the program first puts back the settings that the
// terminal `fd` had when this was made. Does nothing when fd is not a terminal. Nested ones
// leave that to the outermost, whose settings are the terminal's own.
class RestoreOnSignal {
 public:
  explicit RestoreOnSignal(int fd);
  ~RestoreOnSignal();
  RestoreOnSignal(const RestoreOnSignal&) = delete;
  RestoreOnSignal& operator=(const RestoreOnSignal&) = delete;

  // False when fd is not a terminal.
  bool saved() const { return saved_; }
  // The settings as they were; valid when saved().
  const termios& settings() const { return settings_; }

 private:
  termios settings_{};
  bool saved_ = false;
  bool outermost_ = false;
};

// How a TerminalModeChange alters the saved settings.
enum class TerminalModeKind {
  kNoEcho,          // lines as usual, not echoed
  kKeysWithoutEcho  // every key at once, not echoed, Ctrl-C and Ctrl-D as plain keys
};

// Changes a terminal's settings for its lifetime, at once and keeping the input that was
// typed ahead (TCSANOW), and puts them back afterwards. Does nothing when fd is not a terminal.
class TerminalModeChange {
 public:
  TerminalModeChange(int fd, TerminalModeKind kind);
  ~TerminalModeChange();
  TerminalModeChange(const TerminalModeChange&) = delete;
  TerminalModeChange& operator=(const TerminalModeChange&) = delete;

 private:
  int fd_;
  RestoreOnSignal restore_;
  bool changed_ = false;
};

// From now on a change of the terminal window's size is noted (SIGWINCH), and a wait for a key
// is broken off by it.
void watchWindowSize();
// True once after each change of the window's size since it was watched.
bool takeWindowResized();

// The terminal `fd` holds a copied password in its clipboard (or no longer does, fd -1): a
// signal that ends the program then empties the clipboard with `clearSequence` first.
// `clearSequence` must stay valid while it is marked.
void markClipboardForSignals(int fd, const char* clearSequence, int length);

}  // namespace vellumkeep
