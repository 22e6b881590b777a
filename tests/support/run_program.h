// Runs a built program in a folder, feeding its standard input through a pipe, and collects
// what it writes to its standard output and standard error (both pipes) and how it ended. No
// shell is involved: fork and execve. RunningProgram keeps the program running, so that a test
// can answer its output or kill it at a chosen moment.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellumkeep {

struct ProgramResult {
  std::string out;
  std::string err;
  // The exit status; -1 when the program could not be started, was killed by a signal, or
  // ran past the time limit (then `timedOut` is set).
  int status = -1;
  bool timedOut = false;
  int signal = 0;  // the signal that ended the program, 0 when it exited
};

struct ProgramOptions {
  // RLIMIT_FSIZE in bytes. SIGXFSZ keeps its default action (ending the process): the program
  // must ignore it itself for a write past the limit to fail and be reported.
  std::optional<rlim_t> fileSizeLimit;
  std::optional<rlim_t> memoryLimit;  // RLIMIT_AS in bytes: larger allocations fail
  int timeLimitMs = 10000;            // a program that hangs is killed after this
  // Namespaces (descriptors of /proc/PID/ns/...) the program joins before it starts, in
  // this order; its working folder is looked up inside them.
  std::vector<int> namespaces;
  // "NAME=VALUE" entries that replace the inherited variables of those names (the locale, for
  // instance); every other variable is inherited.
  std::vector<std::string> environment;
};

namespace detail {

// Closes a descriptor when it leaves scope.
class OwnedFd {
 public:
  explicit OwnedFd(int fd = -1) : fd_(fd) {}
  OwnedFd(const OwnedFd&) = delete;
  OwnedFd& operator=(const OwnedFd&) = delete;
  ~OwnedFd() { reset(); }

  int get() const { return fd_; }
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

inline long long nowMs() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// In the child, between fork and execve: only async-signal-safe calls.
[[noreturn]] inline void execChild(const char* program, char* const* argv, char* const* envp,
                                   const char* folder, int in, int out, int err,
                                   const ProgramOptions& options) {
  for (int ns : options.namespaces) {
    if (::setns(ns, 0) != 0) ::_exit(127);
  }
  if (::dup2(in, STDIN_FILENO) < 0 || ::dup2(out, STDOUT_FILENO) < 0 ||
      ::dup2(err, STDERR_FILENO) < 0 || ::chdir(folder) != 0) {
    ::_exit(127);
  }
  if (options.fileSizeLimit) {
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    ::sigaction(SIGXFSZ, &byDefault, nullptr);
    // The hard limit stays, so that a test may lift the limit (prlimit) while the program runs.
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(127);
    limit.rlim_cur = *options.fileSizeLimit;
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(127);
  }
  if (options.memoryLimit) {
    const rlimit limit{*options.memoryLimit, *options.memoryLimit};
    if (::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(127);
  }
  ::execve(program, argv, envp);
  ::_exit(127);
}

inline void recordEnd(int status, ProgramResult& result) {
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
}

// argv or envp for execve; the strings must outlive the call.
inline std::vector<char*> argumentVector(std::vector<std::string>& words) {
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  return argv;
}

// The inherited environment with `overrides` ("NAME=VALUE") in place of the variables they name.
inline std::vector<std::string> environmentWith(const std::vector<std::string>& overrides) {
  std::vector<std::string> variables;
  for (char** variable = environ; *variable; ++variable) {
    const std::string_view entry(*variable);
    const std::string_view name = entry.substr(0, entry.find('=') + 1);
    bool replaced = false;
    for (const std::string& replacement : overrides) {
      replaced = replaced || replacement.rfind(name, 0) == 0;
    }
    if (!replaced) variables.emplace_back(entry);
  }
  variables.insert(variables.end(), overrides.begin(), overrides.end());
  return variables;
}

// Writes to a pipe whose reader may be gone: EPIPE instead of a SIGPIPE that would end the
// test. Returns what write returns.
inline ssize_t writeToPipe(int fd, std::string_view bytes) {
  sigset_t pipeSignal;
  sigset_t saved;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  ::pthread_sigmask(SIG_BLOCK, &pipeSignal, &saved);
  const ssize_t n = ::write(fd, bytes.data(), bytes.size());
  const int error = errno;
  if (n < 0 && error == EPIPE) {
    const timespec noWait{};
    ::sigtimedwait(&pipeSignal, nullptr, &noWait);
  }
  ::pthread_sigmask(SIG_SETMASK, &saved, nullptr);
  errno = error;
  return n;
}

}  // namespace detail

// A program started in `folder` whose standard input is a pipe fed by the test. Output is
// collected while the test waits; the program is killed when the object goes out of scope.
class RunningProgram {
 public:
  RunningProgram(const std::string& program, const std::string& folder,
                 const ProgramOptions& options = {}, std::vector<std::string> args = {}) {
    args.insert(args.begin(), program);
    std::vector<char*> argv = detail::argumentVector(args);
    std::vector<std::string> variables = detail::environmentWith(options.environment);
    std::vector<char*> envp = detail::argumentVector(variables);
    int inPipe[2];
    int outPipe[2];
    int errPipe[2];
    if (::pipe2(inPipe, O_CLOEXEC) != 0) return;
    detail::OwnedFd inRead(inPipe[0]);
    in_.reset(inPipe[1]);
    if (::pipe2(outPipe, O_CLOEXEC) != 0) return;
    out_.reset(outPipe[0]);
    detail::OwnedFd outWrite(outPipe[1]);
    if (::pipe2(errPipe, O_CLOEXEC) != 0) return;
    err_.reset(errPipe[0]);
    detail::OwnedFd errWrite(errPipe[1]);
    ::fcntl(in_.get(), F_SETFL, O_NONBLOCK);  // the test never blocks on a full pipe
    pid_ = ::fork();
    if (pid_ == 0) {
      detail::execChild(program.c_str(), argv.data(), envp.data(), folder.c_str(), inRead.get(),
                        outWrite.get(), errWrite.get(), options);
    }
  }
  ~RunningProgram() {
    if (pid_ > 0 && !reaped_) kill();
  }
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  const std::string& out() const { return result_.out; }
  const std::string& err() const { return result_.err; }

  // Queues bytes for the program's input; they are written while the test waits.
  void send(std::string_view bytes) { pending_.append(bytes); }
  // Ends the input once the queued bytes are written.
  void closeInput() { closing_ = true; }

  // Feeds input and collects output until done(out, err) holds; false when the time runs out
  // or the program closed both outputs first.
  template <typename Done>
  bool waitUntil(Done done, int timeoutMs = 10000) {
    const long long deadline = detail::nowMs() + timeoutMs;
    while (!done(result_.out, result_.err)) {
      if (!pump(deadline)) return done(result_.out, result_.err);
    }
    return true;
  }
  // Waits until the standard output holds `text` `count` times.
  bool waitForOutput(std::string_view text, size_t count = 1, int timeoutMs = 10000) {
    return waitUntil(
        [&](const std::string& out, const std::string&) { return countOf(out, text) >= count; },
        timeoutMs);
  }

  // Ends the input, collects the output up to its end and waits for the program; a program
  // still running after `timeoutMs` is killed and reported as timed out.
  ProgramResult finish(int timeoutMs = 10000) {
    closeInput();
    const long long deadline = detail::nowMs() + timeoutMs;
    while (pump(deadline)) {
    }
    if (pid_ > 0 && (out_.get() >= 0 || err_.get() >= 0)) {
      result_.timedOut = true;
      ::kill(pid_, SIGKILL);
    }
    reap();
    return result_;
  }

  // Sends SIGKILL at once, then collects what the program had written and waits for it.
  ProgramResult kill() {
    if (pid_ > 0 && !reaped_) ::kill(pid_, SIGKILL);
    in_.reset();
    const long long deadline = detail::nowMs() + 10000;
    while (pump(deadline)) {
    }
    reap();
    return result_;
  }

  static size_t countOf(std::string_view text, std::string_view part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != text.npos; at = text.find(part, at + part.size())) {
      ++count;
    }
    return count;
  }

 private:
  // One round of writing input and reading output; false when both outputs have ended or the
  // deadline has passed.
  bool pump(long long deadline) {
    if (in_.get() >= 0 && pending_.empty() && closing_) in_.reset();
    pollfd fds[3] = {{out_.get(), POLLIN, 0},
                     {err_.get(), POLLIN, 0},
                     {pending_.empty() ? -1 : in_.get(), POLLOUT, 0}};
    if (fds[0].fd < 0 && fds[1].fd < 0) return false;
    const long long left = deadline - detail::nowMs();
    if (left <= 0) return false;
    const int ready = ::poll(fds, 3, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) return true;
    if (ready <= 0) return false;
    if (fds[2].fd >= 0 && fds[2].revents != 0) {
      const ssize_t n = detail::writeToPipe(in_.get(), pending_);
      if (n > 0) {
        pending_.erase(0, static_cast<size_t>(n));
      } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        pending_.clear();  // the program no longer reads
        in_.reset();
      }
    }
    detail::OwnedFd* sources[2] = {&out_, &err_};
    std::string* sinks[2] = {&result_.out, &result_.err};
    char buffer[4096];
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        sources[i]->reset();
      }
    }
    return true;
  }

  void reap() {
    if (pid_ <= 0 || reaped_) return;
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    reaped_ = true;
    if (!result_.timedOut) detail::recordEnd(status, result_);
  }

  pid_t pid_ = -1;
  bool reaped_ = false;
  detail::OwnedFd in_;
  detail::OwnedFd out_;
  detail::OwnedFd err_;
  std::string pending_;
  bool closing_ = false;
  ProgramResult result_;
};

// Runs `program` with `args` (argv[1] onwards) in `folder`, feeding it `input`.
inline ProgramResult runProgram(const std::string& program, const std::vector<std::string>& args,
                                const std::string& folder, const std::string& input,
                                const ProgramOptions& options = {}) {
  RunningProgram running(program, folder, options, args);
  if (!running.started()) return {};
  running.send(input);
  return running.finish(options.timeLimitMs);
}

}  // namespace vellumkeep
