// Runs a built program on a pseudo-terminal, as a person at a terminal runs it: the test
// types keys and reads what the terminal receives. Standard output and error may go to a
// pipe instead, for a program whose input alone is a terminal. Waits have deadlines; a test
// never sleeps and hopes.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>
#include <vector>

#include "support/run_program.h"

namespace vellumkeep {

struct TerminalOptions {
  // The program's whole environment.
  std::vector<std::string> environment = {"TERM=xterm", "LANG=C.UTF-8"};
  // Standard output and standard error go to one pipe rather than to the terminal.
  bool outputToPipe = false;
};

// How a program ended; `exited` false while it runs or when it was killed by a signal.
struct TerminalExit {
  bool exited = false;
  int status = -1;
  int signal = 0;
  bool timedOut = false;
};

class TerminalProgram {
 public:
  TerminalProgram(const std::string& program, const std::string& folder,
                  TerminalOptions options = {}, std::vector<std::string> args = {}) {
    winsize size{};
    size.ws_row = 30;
    size.ws_col = 100;
    int slave = -1;
    if (::openpty(&master_, &slave, nullptr, nullptr, &size) != 0) return;
    detail::OwnedFd slaveFd(slave);
    detail::OwnedFd pipeWrite;
    if (options.outputToPipe) {
      int fds[2];
      if (::pipe2(fds, O_CLOEXEC) != 0) return;
      pipe_.reset(fds[0]);
      pipeWrite.reset(fds[1]);
    }
    args.insert(args.begin(), program);
    std::vector<char*> argv = detail::argumentVector(args);
    std::vector<char*> env = detail::argumentVector(options.environment);
    int out = options.outputToPipe ? pipeWrite.get() : slave;
    pid_ = ::fork();
    if (pid_ == 0) startChild(program.c_str(), argv.data(), env.data(), folder.c_str(), slave, out);
  }
  ~TerminalProgram() {
    if (pid_ > 0 && !reaped_) {
      ::kill(pid_, SIGKILL);
      reap(0);
    }
    if (master_ >= 0) ::close(master_);
  }
  TerminalProgram(const TerminalProgram&) = delete;
  TerminalProgram& operator=(const TerminalProgram&) = delete;

  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }

  // Keys as the terminal sends them ("\r" for Enter, "\x1b[D" for the left arrow).
  void type(std::string_view keys) {
    while (!keys.empty()) {
      ssize_t n = ::write(master_, keys.data(), keys.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      keys.remove_prefix(static_cast<size_t>(n));
    }
  }

  // Gives the terminal a new size, as a window that is resized; the program gets SIGWINCH.
  bool resize(unsigned short rows, unsigned short columns) {
    winsize size{};
    size.ws_row = rows;
    size.ws_col = columns;
    return ::ioctl(master_, TIOCSWINSZ, &size) == 0;
  }

  // What the terminal showed (or, with outputToPipe, the terminal's echo), and the pipe.
  const std::string& screen() const { return screen_; }
  const std::string& piped() const { return piped_; }
  // What the terminal received after `mark`, a size of screen() taken earlier.
  std::string screenSince(size_t mark) const {
    return screen_.substr(std::min(mark, screen_.size()));
  }

  // Reads until `text` has arrived `count` times in all (on the terminal, or in the pipe when
  // `inPipe`); false when the deadline passes or the program ends first.
  bool waitFor(std::string_view text, size_t count = 1, bool inPipe = false,
               int timeoutMs = 10000) {
    const long long deadline = detail::nowMs() + timeoutMs;
    const std::string& seen = inPipe ? piped_ : screen_;
    while (RunningProgram::countOf(seen, text) < count) {
      if (!pump(deadline)) return RunningProgram::countOf(seen, text) >= count;
    }
    return true;
  }
  // Reads until `text` has arrived after `mark`.
  bool waitForAfter(size_t mark, std::string_view text, int timeoutMs = 10000) {
    const long long deadline = detail::nowMs() + timeoutMs;
    while (screenSince(mark).find(text) == std::string::npos) {
      if (!pump(deadline)) return screenSince(mark).find(text) != std::string::npos;
    }
    return true;
  }

  // Reads what remains and waits for the program to end.
  TerminalExit waitForExit(int timeoutMs = 10000) {
    const long long deadline = detail::nowMs() + timeoutMs;
    while (!reaped_ && detail::nowMs() < deadline) {
      pump(std::min(deadline, detail::nowMs() + 50));
      reap(WNOHANG);
    }
    if (!reaped_) {
      exit_.timedOut = true;
      return exit_;
    }
    while (pump(detail::nowMs() + 50)) {
    }
    return exit_;
  }

  // Waits until the terminal's echo is off: the program reads keys itself (the line editor, a
  // hidden answer). Control keys typed before that would reach the terminal's own line
  // handling: Ctrl-C would be a signal. False when the deadline passes.
  bool waitUntilReadingKeys(int timeoutMs = 10000) {
    const long long deadline = detail::nowMs() + timeoutMs;
    while (echoes()) {
      if (detail::nowMs() >= deadline || !masterOpen_) return false;
      pump(detail::nowMs() + 1);  // reads what arrives meanwhile
    }
    return true;
  }

  // Whether the terminal echoes what is typed, as its settings stand now.
  bool echoes() const {
    termios settings{};
    return ::tcgetattr(master_, &settings) == 0 && (settings.c_lflag & ECHO) != 0;
  }

 private:
  // In the child, between fork and execve: only async-signal-safe calls.
  [[noreturn]] void startChild(const char* program, char* const* argv, char* const* env,
                               const char* folder, int slave, int out) {
    if (::setsid() < 0 || ::ioctl(slave, TIOCSCTTY, 0) != 0 || ::dup2(slave, STDIN_FILENO) < 0 ||
        ::dup2(out, STDOUT_FILENO) < 0 || ::dup2(out, STDERR_FILENO) < 0 || ::chdir(folder) != 0) {
      ::_exit(127);
    }
    ::close(master_);
    ::execve(program, argv, env);
    ::_exit(127);
  }

  // One round of reading the terminal and the pipe; false when both are done or the deadline
  // has passed.
  bool pump(long long deadline) {
    pollfd fds[2] = {{masterOpen_ ? master_ : -1, POLLIN, 0}, {pipe_.get(), POLLIN, 0}};
    if (fds[0].fd < 0 && fds[1].fd < 0) return false;
    const long long left = deadline - detail::nowMs();
    if (left <= 0) return false;
    int ready = ::poll(fds, 2, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) return true;
    if (ready <= 0) return false;
    char buffer[4096];
    if (fds[0].fd >= 0 && fds[0].revents != 0) {
      ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n > 0) screen_.append(buffer, static_cast<size_t>(n));
      if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) masterOpen_ = false;  // EIO
    }
    if (fds[1].fd >= 0 && fds[1].revents != 0) {
      ssize_t n = ::read(pipe_.get(), buffer, sizeof buffer);
      if (n > 0) piped_.append(buffer, static_cast<size_t>(n));
      if (n == 0 || (n < 0 && errno != EINTR)) pipe_.reset();
    }
    return true;
  }

  void reap(int flags) {
    int status = 0;
    pid_t done = -1;
    do {
      done = ::waitpid(pid_, &status, flags);
    } while (done < 0 && errno == EINTR);
    if (done != pid_) return;
    reaped_ = true;
    exit_.exited = WIFEXITED(status);
    if (exit_.exited) exit_.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) exit_.signal = WTERMSIG(status);
  }

  int master_ = -1;
  bool masterOpen_ = true;
  detail::OwnedFd pipe_;
  pid_t pid_ = -1;
  bool reaped_ = false;
  TerminalExit exit_;
  std::string screen_;
  std::string piped_;
};

}  // namespace vellumkeep
