// One process at a time per installation: an exclusive lock on a file beside Config.ini,
// held for the whole run and released by the system when the process ends, however it ends.
#pragma once

#include <string>

namespace vellumkeep {

class InstanceLock {
 public:
  enum class Result { kAcquired, kHeldElsewhere, kUnavailable, kSymbolicLink };

  // Tries once, without waiting, to lock `path` (created owner-only when missing). A symbolic
  // link there is never followed, so that no file is created or opened at its target.
  explicit InstanceLock(const std::string& path);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  Result result() const { return result_; }

 private:
  int fd_ = -1;
  Result result_ = Result::kUnavailable;
};

// Keeps the process from being dumped or traced by other processes of the same user, so
// the passwords in its memory stay in it. Best effort.
void protectProcessMemory();

}  // namespace vellumkeep
