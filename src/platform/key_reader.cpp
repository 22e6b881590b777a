#include "platform/key_reader.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/terminal_mode.h"

namespace vellumkeep {

namespace {

using Clock = std::chrono::steady_clock;

// poll's timeout for a deadline, rounded up so that it is never woken too early; -1 for none.
int timeoutUntil(std::optional<SteadyTime> deadline) {
  if (!deadline) return -1;
  auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, 24 * 60 * 60 * 1000));
}

std::optional<SteadyTime> earlier(std::optional<SteadyTime> a, std::optional<SteadyTime> b) {
  if (!a) return b;
  if (!b) return a;
  return std::min(*a, *b);
}

}  // namespace

std::optional<SteadyTime> KeyReader::runDueTask() {
  if (!task_) return std::nullopt;
  std::optional<SteadyTime> due = task_->due();
  if (due && *due <= Clock::now()) {
    task_->run();
    due = task_->due();
  }
  return due;
}

KeyReader::Result KeyReader::next(unsigned char& key) {
  std::optional<SteadyTime> idleAt;
  if (idleLimit_ && !paused_) idleAt = Clock::now() + *idleLimit_;
  for (;;) {
    std::optional<SteadyTime> taskAt = runDueTask();
    if (idleAt && *idleAt <= Clock::now()) return Result::kIdle;
    if (takeWindowResized()) return Result::kResized;
    pollfd input{fd_, POLLIN, 0};
    int ready = poll(&input, 1, timeoutUntil(earlier(idleAt, taskAt)));
    if (ready < 0 && errno != EINTR) return Result::kEnd;
    if (ready <= 0) continue;
    ssize_t n = read(fd_, &key, 1);
    if (n == 1) return Result::kKey;
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    return Result::kEnd;
  }
}

}  // namespace vellumkeep
