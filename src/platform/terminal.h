// What the process learns of its terminals: which streams are terminals, their code page,
// and turning echo off while a password is typed.
#pragma once

#include "platform/console.h"

namespace vellumkeep {

bool isTerminal(int fd);

// UTF-8 for a terminal whose locale uses UTF-8; code page 936 for anything else.
ConsoleEncoding encodingFor(int fd);

// Turns echo off on a terminal for its lifetime; does nothing when fd is not a terminal.
class EchoOff {
 public:
  explicit EchoOff(int fd);
  ~EchoOff();
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

 private:
  int fd_;
  bool active_ = false;
  unsigned char saved_[128];  // struct termios, kept opaque here
};

}  // namespace vellumkeep
