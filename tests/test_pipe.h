// A pipe standing in for a terminal in-process: the test writes keys into it or reads what the
// program wrote to it.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <string_view>

#include "support/run_program.h"

namespace vellumkeep {

struct TestPipe {
  TestPipe() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) == 0) {
      read.reset(fds[0]);
      write.reset(fds[1]);
    }
  }

  // Writes `bytes` into the pipe.
  void put(std::string_view bytes) {
    ssize_t ignored = ::write(write.get(), bytes.data(), bytes.size());
    (void)ignored;
  }

  // What was written into the pipe and not yet taken; never waits.
  std::string take() {
    int flags = ::fcntl(read.get(), F_GETFL);
    ::fcntl(read.get(), F_SETFL, flags | O_NONBLOCK);
    std::string bytes;
    char buffer[256];
    for (ssize_t n; (n = ::read(read.get(), buffer, sizeof buffer)) > 0;) {
      bytes.append(buffer, static_cast<size_t>(n));
    }
    ::fcntl(read.get(), F_SETFL, flags);
    return bytes;
  }

  detail::OwnedFd read;
  detail::OwnedFd write;
};

}  // namespace vellumkeep
