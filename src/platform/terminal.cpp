#include "platform/terminal.h"

#include <langinfo.h>
#include <termios.h>
#include <unistd.h>

#include <clocale>
#include <cstring>
#include <string>

namespace vellumkeep {

static_assert(sizeof(termios) <= 128, "EchoOff keeps a termios in its buffer");

bool isTerminal(int fd) {
  return isatty(fd) == 1;
}

namespace {

// Asks the environment's locale for its code set without changing the process locale.
bool localeUsesUtf8() {
  std::string saved = std::setlocale(LC_CTYPE, nullptr);
  bool utf8 = false;
  if (std::setlocale(LC_CTYPE, "")) utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
  std::setlocale(LC_CTYPE, saved.c_str());
  return utf8;
}

}  // namespace

ConsoleEncoding encodingFor(int fd) {
  return isTerminal(fd) && localeUsesUtf8() ? ConsoleEncoding::kUtf8 : ConsoleEncoding::kGbk;
}

EchoOff::EchoOff(int fd) : fd_(fd) {
  termios settings;
  if (tcgetattr(fd_, &settings) != 0) return;
  std::memcpy(saved_, &settings, sizeof settings);
  settings.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  active_ = tcsetattr(fd_, TCSAFLUSH, &settings) == 0;
}

EchoOff::~EchoOff() {
  if (!active_) return;
  termios settings;
  std::memcpy(&settings, saved_, sizeof settings);
  tcsetattr(fd_, TCSAFLUSH, &settings);
}

}  // namespace vellumkeep
