#include "storage/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "model/messages.h"

namespace vellumkeep {

namespace {

constexpr mode_t kPrivateMode = 0600;
constexpr char kTemporarySuffix[] = ".new";

[[noreturn]] void throwWriteFailed() {
  throw std::runtime_error(msg::kWriteFailed);
}

// Closes the descriptor when it leaves scope, unless it was closed explicitly.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

  // Closes now; false when close reports an error (which may be a failed delayed write).
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool readAll(int fd, std::string& contents, size_t sizeHint) {
  // One byte beyond the expected size, so a file of the expected size needs no second buffer.
  std::string buffer(sizeHint + 1, '\0');
  size_t used = 0;
  for (;;) {
    if (used == buffer.size()) buffer.resize(buffer.size() * 2);
    const ssize_t n = ::read(fd, buffer.data() + used, buffer.size() - used);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    used += static_cast<size_t>(n);
  }
  buffer.resize(used);
  contents = std::move(buffer);
  return true;
}

bool writeAll(int fd, std::string_view contents) {
  while (!contents.empty()) {
    const ssize_t n = ::write(fd, contents.data(), contents.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    contents.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Creates `path` afresh for writing, with owner-only permissions; -1 on failure. A file of
// that name is replaced, never written through: it may be a second name of another file
// (see linkFile), or a link planted to redirect the write.
int openPrivateFile(const std::string& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) return -1;
  const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, kPrivateMode);
  // The creation mask may have taken bits away.
  if (fd >= 0 && ::fchmod(fd, kPrivateMode) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Creates `path` afresh with owner-only permissions and writes `contents`; with `sync`,
// the data reach the disk before the file is closed.
bool writePrivateFile(const std::string& path, std::string_view contents, bool sync) {
  FileDescriptor file(openPrivateFile(path));
  if (!file.valid()) return false;
  if (!writeAll(file.get(), contents)) return false;
  if (sync && ::fsync(file.get()) != 0) return false;
  return file.close();
}

// Makes a rename in the folder of `path` durable. Best effort: the rename has already taken
// effect, and some file systems cannot sync folders.
void syncFolderOf(const std::string& path) {
  std::string folder = std::filesystem::path(path).parent_path().string();
  if (folder.empty()) folder = ".";
  FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid()) ::fsync(dir.get());
}

// How much a durable FileWriter takes before it asks the disk to start writing.
constexpr std::size_t kWritebackStep = std::size_t{1} << 20;

}  // namespace

FileWriter::FileWriter(const std::string& path, bool durable)
    : fd_(openPrivateFile(path)), durable_(durable) {
  if (fd_ < 0) throwWriteFailed();
}

FileWriter::~FileWriter() {
  if (fd_ >= 0) ::close(fd_);
}

void FileWriter::write(std::string_view data) {
  if (fd_ < 0 || !writeAll(fd_, data)) throwWriteFailed();
  if (!durable_) return;
  unflushed_ += data.size();
  if (unflushed_ < kWritebackStep) return;
  // Only a hint to start the writeback early: fsync in close() is what makes the data safe,
  // so a failure here changes nothing.
  ::sync_file_range(fd_, static_cast<off_t>(flushedUpTo_), static_cast<off_t>(unflushed_),
                    SYNC_FILE_RANGE_WRITE);
  flushedUpTo_ += unflushed_;
  unflushed_ = 0;
}

void FileWriter::close() {
  const int fd = fd_;
  fd_ = -1;
  const bool synced = !durable_ || ::fsync(fd) == 0;
  if (::close(fd) != 0 || !synced) throwWriteFailed();
}

FileReader::FileReader(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
  struct stat status {};
  if (fd_ >= 0 && ::fstat(fd_, &status) == 0) size_ = static_cast<size_t>(status.st_size);
}

FileReader::~FileReader() {
  if (fd_ >= 0) ::close(fd_);
}

bool FileReader::read(std::string& piece, size_t limit) {
  piece.resize(limit);
  for (;;) {
    if (!ok()) {
      piece.clear();
      return false;
    }
    const ssize_t n = ::read(fd_, piece.data(), limit);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) failed_ = true;
    piece.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return n > 0;
  }
}

ScopedFileRemover::~ScopedFileRemover() {
  if (!kept_) removeFile(path_);
}

AtomicFileWriter::AtomicFileWriter(const std::string& path)
    : path_(path), temporary_(atomicTemporaryOf(path)), file_(temporary_.path(), true) {}

void AtomicFileWriter::commit() {
  file_.close();
  renameFile(temporary_.path(), path_);
  temporary_.keep();
}

bool readFile(const std::string& path, std::string& contents) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.valid()) return false;
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) return false;
  return readAll(file.get(), contents, static_cast<size_t>(status.st_size));
}

void writeFileAtomically(const std::string& path, std::string_view contents) {
  AtomicFileWriter file(path);
  file.write(contents);
  file.commit();
}

void writeFilePrivately(const std::string& path, std::string_view contents) {
  if (!writePrivateFile(path, contents, false)) throwWriteFailed();
}

void writeFileDurably(const std::string& path, std::string_view contents) {
  if (!writePrivateFile(path, contents, true)) {
    removeFile(path);
    throwWriteFailed();
  }
}

void removeFile(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
}

bool removeFileIfPresent(const std::string& path) {
  std::error_code error;
  std::filesystem::remove(path, error);
  return !error;
}

bool moveFile(const std::string& from, const std::string& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0) return false;
  syncFolderOf(to);
  return true;
}

void renameFile(const std::string& from, const std::string& to) {
  if (!moveFile(from, to)) throwWriteFailed();
}

bool linkFile(const std::string& existing, const std::string& alias) {
  if (::unlink(alias.c_str()) != 0 && errno != ENOENT) return false;
  return ::link(existing.c_str(), alias.c_str()) == 0;
}

std::string atomicTemporaryOf(const std::string& path) {
  return path + kTemporarySuffix;
}

bool fileExists(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0;
}

}  // namespace vellumkeep
