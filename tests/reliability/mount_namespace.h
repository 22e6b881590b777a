// A private mount namespace for tests that need a read-only folder or a full file system
// without touching the machine's mounts. A sleeping holder process keeps the namespace alive;
// programs join it through ProgramOptions::namespaces, the test reaches its files through
// /proc/PID/root, and mounts are made by short-lived helpers that join it. Where a mount
// namespace alone is not allowed, a user namespace that maps the test's own ids comes first.
#pragma once

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "support/run_program.h"

namespace vellumkeep {

class MountNamespace {
 public:
  MountNamespace() {
    int ready[2];
    int hold[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) {
      failure_ = "pipe failed";
      return;
    }
    detail::OwnedFd readyRead(ready[0]);
    detail::OwnedFd readyWrite(ready[1]);
    if (::pipe2(hold, O_CLOEXEC) != 0) {
      failure_ = "pipe failed";
      return;
    }
    detail::OwnedFd holdRead(hold[0]);
    hold_.reset(hold[1]);
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    holder_ = ::fork();
    if (holder_ < 0) {
      failure_ = "fork failed";
      return;
    }
    if (holder_ == 0) {
      hold_.reset();
      int error = enter(uid, gid);
      (void)!::write(readyWrite.get(), &error, sizeof error);
      char byte;
      while (::read(holdRead.get(), &byte, 1) != 0 && errno == EINTR) {
      }
      ::_exit(0);
    }
    readyWrite.reset();
    int error = -1;
    if (::read(readyRead.get(), &error, sizeof error) != sizeof error || error != 0) {
      failure_ = std::string(
                     "unshare(CLONE_NEWUSER | CLONE_NEWNS) or making the mounts private "
                     "failed: ") +
                 (error > 0 ? std::strerror(error) : "no answer");
      return;
    }
    const std::string ns = "/proc/" + std::to_string(holder_) + "/ns/";
    struct stat own {};
    struct stat holder {};
    if (::stat("/proc/self/ns/user", &own) == 0 && ::stat((ns + "user").c_str(), &holder) == 0 &&
        own.st_ino != holder.st_ino) {
      user_.reset(::open((ns + "user").c_str(), O_RDONLY | O_CLOEXEC));
      if (user_.get() < 0) failure_ = "cannot open " + ns + "user";
    }
    mount_.reset(::open((ns + "mnt").c_str(), O_RDONLY | O_CLOEXEC));
    if (mount_.get() < 0) failure_ = "cannot open " + ns + "mnt";
  }

  ~MountNamespace() {
    hold_.reset();
    if (holder_ > 0) {
      ::kill(holder_, SIGKILL);
      while (::waitpid(holder_, nullptr, 0) < 0 && errno == EINTR) {
      }
    }
  }
  MountNamespace(const MountNamespace&) = delete;
  MountNamespace& operator=(const MountNamespace&) = delete;

  // Empty when the namespace works; else why not.
  const std::string& failure() const { return failure_; }

  // For ProgramOptions::namespaces.
  std::vector<int> descriptors() const {
    std::vector<int> fds;
    if (user_.get() >= 0) fds.push_back(user_.get());
    fds.push_back(mount_.get());
    return fds;
  }

  // `path` (absolute) as seen inside the namespace, reachable from outside it.
  std::string view(const std::string& path) const {
    return "/proc/" + std::to_string(holder_) + "/root" + path;
  }

  // Each returns an empty string on success, else the failure.
  std::string mountTmpfs(const std::string& path, size_t bytes) {
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0700";
    return inside("mount tmpfs",
                  [&] { return ::mount("tmpfs", path.c_str(), "tmpfs", 0, options.c_str()); });
  }
  // Mounts `path` (a folder, or a file) onto itself; with `recursive`, mounts below it come too.
  std::string bind(const std::string& path, bool recursive = false) {
    return inside("bind mount", [&] {
      return ::mount(path.c_str(), path.c_str(), nullptr, MS_BIND | (recursive ? MS_REC : 0),
                     nullptr);
    });
  }
  // Makes the mount at `path` (made by bind) read-only or writable again.
  std::string setReadOnly(const std::string& path, bool readOnly) {
    return inside("remount", [&] {
      return ::mount(nullptr, path.c_str(), nullptr,
                     MS_REMOUNT | MS_BIND | (readOnly ? MS_RDONLY : 0), nullptr);
    });
  }

 private:
  // In the holder, after fork: a new namespace whose mounts do not reach the machine's. Only
  // root may have one without a user namespace, and even root may not (in a container).
  static int enter(uid_t uid, gid_t gid) {
    if (uid != 0 || ::unshare(CLONE_NEWNS) != 0) {
      if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return errno;
      const std::string uidMap = std::to_string(uid) + " " + std::to_string(uid) + " 1";
      const std::string gidMap = std::to_string(gid) + " " + std::to_string(gid) + " 1";
      if (!writeProcFile("/proc/self/setgroups", "deny") ||
          !writeProcFile("/proc/self/uid_map", uidMap) ||
          !writeProcFile("/proc/self/gid_map", gidMap)) {
        return errno ? errno : EPERM;
      }
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return errno;
    return 0;
  }

  static bool writeProcFile(const char* path, const std::string& text) {
    detail::OwnedFd file(::open(path, O_WRONLY | O_CLOEXEC));
    return file.get() >= 0 &&
           ::write(file.get(), text.data(), text.size()) == static_cast<ssize_t>(text.size());
  }

  // Runs `step` in a helper that joins the namespace; the helper's errno comes back.
  template <typename Step>
  std::string inside(const char* what, Step step) {
    if (!failure_.empty()) return failure_;
    const pid_t helper = ::fork();
    if (helper < 0) return "fork failed";
    if (helper == 0) {
      for (int fd : descriptors()) {
        if (::setns(fd, 0) != 0) ::_exit(errno);
      }
      ::_exit(step() == 0 ? 0 : errno);
    }
    int status = 0;
    while (::waitpid(helper, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return "";
    return std::string(what) +
           " failed: " + (WIFEXITED(status) ? std::strerror(WEXITSTATUS(status)) : "helper died");
  }

  pid_t holder_ = -1;
  detail::OwnedFd hold_;  // the holder lives until this closes
  detail::OwnedFd user_;
  detail::OwnedFd mount_;
  std::string failure_;
};

}  // namespace vellumkeep
