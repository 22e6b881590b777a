// Waits for a terminal's keys one byte at a time, so that a read can give up after an idle
// limit and so that work that falls due meanwhile (clearing the clipboard) is done on time.
#pragma once

#include <chrono>
#include <optional>

namespace vellumkeep {

using SteadyTime = std::chrono::steady_clock::time_point;

// Work due at a moment while the program waits for a key.
class WaitTask {
 public:
  virtual ~WaitTask() = default;
  // When the work is due; nothing when none is pending.
  virtual std::optional<SteadyTime> due() const = 0;
  // Does the work; afterwards due() tells of the next, if any.
  virtual void run() = 0;
};

class KeyReader {
 public:
  enum class Result {
    kKey,      // a byte was read
    kEnd,      // the input ended or failed (a terminal hung up)
    kIdle,     // no byte came within the idle limit
    kResized,  // the terminal window changed its size (watchWindowSize, terminal_mode.h)
  };

  explicit KeyReader(int fd) : fd_(fd) {}

  // No limit by default. The limit counts from the start of each next().
  void setIdleLimit(std::optional<std::chrono::milliseconds> limit) { idleLimit_ = limit; }
  // Pausing lifts the limit until it is resumed.
  void pauseIdleLimit(bool paused) { paused_ = paused; }
  // `task` (not owned, may be null) is run whenever it falls due during next().
  void setWaitTask(WaitTask* task) { task_ = task; }

  // Waits for one byte of input. A change of the window's size breaks off the wait; the next
  // wait, as after a key, gets the whole idle limit.
  Result next(unsigned char& key);

 private:
  // Runs the task when it is due; returns when it falls due next.
  std::optional<SteadyTime> runDueTask();

  int fd_;
  std::optional<std::chrono::milliseconds> idleLimit_;
  bool paused_ = false;
  WaitTask* task_ = nullptr;
};

}  // namespace vellumkeep
