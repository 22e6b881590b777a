// Runs a built program in a folder with given bytes as its standard input and collects what it
// writes to its standard output and standard error (both pipes) and how it ended. No shell is
// involved: fork and execv.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace vellumkeep {

struct ProgramResult {
  std::string out;
  std::string err;
  // The exit status; -1 when the program could not be started, was killed by a signal, or
  // ran past the time limit (then `timedOut` is set).
  int status = -1;
  bool timedOut = false;
};

struct ProgramOptions {
  std::optional<rlim_t> fileSizeLimit;  // RLIMIT_FSIZE in bytes, with SIGXFSZ ignored
  int timeLimitMs = 10000;              // a program that hangs is killed after this
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

// A descriptor open on an unnamed temporary file holding `bytes`, read from its start.
inline int inputFile(const std::string& bytes) {
  std::FILE* file = std::tmpfile();
  if (!file) return -1;
  bool ok =
      std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
  int fd = ok ? ::fcntl(fileno(file), F_DUPFD_CLOEXEC, 0) : -1;
  std::fclose(file);
  if (fd >= 0 && ::lseek(fd, 0, SEEK_SET) != 0) {
    ::close(fd);
    fd = -1;
  }
  return fd;
}

inline long long nowMs() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// In the child, between fork and execv: only async-signal-safe calls.
[[noreturn]] inline void execChild(const char* program, char* const* argv, const char* folder,
                                   int in, int out, int err, const ProgramOptions& options) {
  if (::dup2(in, STDIN_FILENO) < 0 || ::dup2(out, STDOUT_FILENO) < 0 ||
      ::dup2(err, STDERR_FILENO) < 0 || ::chdir(folder) != 0) {
    ::_exit(127);
  }
  if (options.fileSizeLimit) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, nullptr);
    rlimit limit{*options.fileSizeLimit, *options.fileSizeLimit};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(127);
  }
  ::execv(program, argv);
  ::_exit(127);
}

// Reads both pipes until each reaches its end or the deadline passes; false on timeout.
inline bool collect(int outFd, int errFd, std::string& out, std::string& err, long long deadline) {
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string* sinks[2] = {&out, &err};
  int open = 2;
  char buffer[4096];
  while (open > 0) {
    long long left = deadline - nowMs();
    if (left <= 0) return false;
    int ready = ::poll(fds, 2, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(n));
      } else {
        fds[i].fd = -1;  // end of the pipe (or an error): stop watching it
        --open;
      }
    }
  }
  return true;
}

}  // namespace detail

// Runs `program` with `args` (argv[1] onwards) in `folder`, feeding it `input`.
inline ProgramResult runProgram(const std::string& program, const std::vector<std::string>& args,
                                const std::string& folder, const std::string& input,
                                const ProgramOptions& options = {}) {
  ProgramResult result;
  std::vector<std::string> words{program};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  detail::OwnedFd in(detail::inputFile(input));
  int outPipe[2];
  int errPipe[2];
  if (in.get() < 0 || ::pipe2(outPipe, O_CLOEXEC) != 0) return result;
  detail::OwnedFd outRead(outPipe[0]), outWrite(outPipe[1]);
  if (::pipe2(errPipe, O_CLOEXEC) != 0) return result;
  detail::OwnedFd errRead(errPipe[0]), errWrite(errPipe[1]);

  const pid_t child = ::fork();
  if (child < 0) return result;
  if (child == 0) {
    detail::execChild(program.c_str(), argv.data(), folder.c_str(), in.get(), outWrite.get(),
                      errWrite.get(), options);
  }
  // Only the child holds the write ends now, so the pipes end when it does.
  outWrite.reset();
  errWrite.reset();
  in.reset();

  const long long deadline = detail::nowMs() + options.timeLimitMs;
  if (!detail::collect(outRead.get(), errRead.get(), result.out, result.err, deadline)) {
    result.timedOut = true;
    ::kill(child, SIGKILL);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!result.timedOut && WIFEXITED(status)) result.status = WEXITSTATUS(status);
  return result;
}

}  // namespace vellumkeep
