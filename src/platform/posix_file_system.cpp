#include "platform/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace vellumkeep {

namespace {

constexpr mode_t kPrivateFileMode = 0600;
constexpr mode_t kPrivateFolderMode = 0700;

// How much a file takes before the disk is asked to start writing it, so that the final sync
// waits only for the rest.
constexpr std::size_t kWritebackStep = std::size_t{1} << 20;

bool writeAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

class PosixWritableFile : public WritableFile {
 public:
  explicit PosixWritableFile(int fd) : fd_(fd) {}
  ~PosixWritableFile() override {
    if (fd_ >= 0) ::close(fd_);
  }

  bool append(std::string_view data) override {
    if (fd_ < 0 || !writeAll(fd_, data)) return false;
    unflushed_ += data.size();
    if (unflushed_ >= kWritebackStep) startWriteback();
    return true;
  }

  bool sync() override { return fd_ >= 0 && ::fsync(fd_) == 0; }

  bool close() override {
    const int fd = fd_;
    fd_ = -1;
    return fd >= 0 && ::close(fd) == 0;
  }

 private:
  // Only a hint: sync() is what makes the data safe, so a failure here changes nothing.
  void startWriteback() {
    ::sync_file_range(fd_, static_cast<off_t>(flushedUpTo_), static_cast<off_t>(unflushed_),
                      SYNC_FILE_RANGE_WRITE);
    flushedUpTo_ += unflushed_;
    unflushed_ = 0;
  }

  int fd_;
  std::size_t unflushed_ = 0;
  std::size_t flushedUpTo_ = 0;
};

class PosixReadableFile : public ReadableFile {
 public:
  PosixReadableFile(int fd, std::size_t size) : fd_(fd), size_(size) {}
  ~PosixReadableFile() override { ::close(fd_); }

  std::size_t size() const override { return size_; }
  bool failed() const override { return failed_; }

  bool read(std::string& piece, std::size_t limit) override {
    piece.resize(limit);
    ssize_t n = -1;
    if (!failed_) {
      do {
        n = ::read(fd_, piece.data(), limit);
      } while (n < 0 && errno == EINTR);
    }
    if (n < 0) failed_ = true;
    piece.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return n > 0;
  }

 private:
  int fd_;
  std::size_t size_;
  bool failed_ = false;
};

}  // namespace

std::unique_ptr<ReadableFile> PosixFileSystem::openForReading(const std::string& path) {
  // O_NONBLOCK: a FIFO planted at the name must not hang the program in open().
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixReadableFile>(fd, static_cast<std::size_t>(status.st_size));
}

std::unique_ptr<WritableFile> PosixFileSystem::createFile(const std::string& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) return nullptr;
  const int fd =
      ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, kPrivateFileMode);
  if (fd < 0) return nullptr;
  // The creation mask may have taken bits away; owner-only must hold exactly.
  if (::fchmod(fd, kPrivateFileMode) != 0) {
    ::close(fd);
    ::unlink(path.c_str());
    return nullptr;
  }
  return std::make_unique<PosixWritableFile>(fd);
}

bool PosixFileSystem::renameFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool PosixFileSystem::syncFolder(const std::string& folder) {
  const std::string name = folder.empty() ? "." : folder;
  const int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  ::close(fd);
  return synced;
}

bool PosixFileSystem::removeFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

Presence PosixFileSystem::exists(const std::string& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) == 0) return Presence::kPresent;
  return errno == ENOENT ? Presence::kAbsent : Presence::kUnknown;
}

bool PosixFileSystem::listFolder(const std::string& folder, std::vector<std::string>& names) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return false;
  names.clear();
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  return true;
}

bool PosixFileSystem::makeFolder(const std::string& folder) {
  if (::mkdir(folder.c_str(), kPrivateFolderMode) == 0) return true;
  struct stat status {};
  return errno == EEXIST && ::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

void ignoreFileSizeSignal() {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGXFSZ, &ignore, nullptr);
}

}  // namespace vellumkeep
