#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>

namespace vellumkeep {

InstanceLock::InstanceLock(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd_ < 0) {
    if (errno == ELOOP) result_ = Result::kSymbolicLink;
    return;
  }
  if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
    result_ = Result::kAcquired;
  } else if (errno == EWOULDBLOCK) {
    result_ = Result::kHeldElsewhere;
  }
}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

void protectProcessMemory() {
  ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
}

}  // namespace vellumkeep
