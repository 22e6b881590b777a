#include "platform/terminal_mode.h"

#include <unistd.h>

#include <atomic>
#include <csignal>

namespace vellumkeep {

namespace {

// What the handler of an ending signal needs. A signal handler can be handed nothing, so
// this is the program's one piece of static state: filled before the terminal is changed and
// emptied once it is put back. The descriptors are -1 when there is nothing to do.
struct SignalSlot {
  termios settings{};
  volatile std::sig_atomic_t terminalFd = -1;
  volatile std::sig_atomic_t clipboardFd = -1;
  const char* clearSequence = nullptr;
  int clearLength = 0;
  volatile std::sig_atomic_t windowResized = 0;
};

SignalSlot slot;

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void onEndingSignal(int signal) {
  if (slot.terminalFd >= 0) tcsetattr(slot.terminalFd, TCSANOW, &slot.settings);
  if (slot.clipboardFd >= 0) {
    ssize_t ignored = write(slot.clipboardFd, slot.clearSequence, slot.clearLength);
    (void)ignored;
  }
  // SA_RESETHAND has made the action the default again: the signal ends the program as soon
  // as this handler returns.
  raise(signal);
}

void installHandlers() {
  struct sigaction action {};
  action.sa_handler = onEndingSignal;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (int signal : kEndingSignals) {
    struct sigaction old {};
    sigaction(signal, nullptr, &old);
    if (old.sa_handler == SIG_IGN) continue;  // a signal ignored by whoever started us stays so
    sigaction(signal, &action, nullptr);
  }
}

}  // namespace

RestoreOnSignal::RestoreOnSignal(int fd) {
  if (tcgetattr(fd, &settings_) != 0) return;
  saved_ = true;
  if (slot.terminalFd >= 0) return;  // an outer change already restores the settings
  outermost_ = true;
  slot.settings = settings_;
  std::atomic_signal_fence(std::memory_order_seq_cst);  // settings before the descriptor
  slot.terminalFd = fd;
  installHandlers();
}

RestoreOnSignal::~RestoreOnSignal() {
  if (outermost_) slot.terminalFd = -1;
}

namespace {

void applyKind(termios& settings, TerminalModeKind kind) {
  settings.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  if (kind == TerminalModeKind::kNoEcho) return;
  settings.c_lflag &= ~static_cast<tcflag_t>(ICANON | ISIG | IEXTEN);
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
}

}  // namespace

TerminalModeChange::TerminalModeChange(int fd, TerminalModeKind kind) : fd_(fd), restore_(fd) {
  if (!restore_.saved()) return;
  termios settings = restore_.settings();
  applyKind(settings, kind);
  changed_ = tcsetattr(fd_, TCSANOW, &settings) == 0;
}

TerminalModeChange::~TerminalModeChange() {
  if (changed_) tcsetattr(fd_, TCSANOW, &restore_.settings());
}

namespace {

void onWindowResized(int) {
  slot.windowResized = 1;
}

}  // namespace

void watchWindowSize() {
  struct sigaction action {};
  action.sa_handler = onWindowResized;
  action.sa_flags = 0;  // no SA_RESTART: a wait for a key returns to redraw the line
  sigemptyset(&action.sa_mask);
  sigaction(SIGWINCH, &action, nullptr);
}

bool takeWindowResized() {
  if (!slot.windowResized) return false;
  slot.windowResized = 0;
  return true;
}

void markClipboardForSignals(int fd, const char* clearSequence, int length) {
  slot.clipboardFd = -1;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  slot.clearSequence = clearSequence;
  slot.clearLength = length;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  slot.clipboardFd = fd;
  if (fd >= 0) installHandlers();
}

}  // namespace vellumkeep
