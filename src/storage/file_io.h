// Whole-file reads and writes for the data folder (POSIX). Files are created owner-only
// (0600); durable writes go to a temporary file that replaces the target only when complete.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace vellumkeep {

// Writes a file piece by piece: creates it afresh, replacing any file of that name, with
// owner-only permissions (0600).
// Every failure throws std::runtime_error("文件写入失败!"). With `durable`, the disk starts
// writing each megabyte as soon as it is handed over, so that the final sync waits only for
// the rest. Closes the file, unsynced, when it leaves scope unclosed.
class FileWriter {
 public:
  FileWriter(const std::string& path, bool durable);
  ~FileWriter();
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  void write(std::string_view data);
  // Syncs a durable file and closes it; a close that reports an error throws.
  void close();

 private:
  int fd_;
  bool durable_;
  std::size_t unflushed_ = 0;  // bytes handed over since the disk was last told to write
  std::size_t flushedUpTo_ = 0;
};

// Removes a file when it leaves scope, unless keep() was called: for temporaries and
// working files that must not outlive a failure.
class ScopedFileRemover {
 public:
  explicit ScopedFileRemover(std::string path) : path_(std::move(path)) {}
  ~ScopedFileRemover();
  ScopedFileRemover(const ScopedFileRemover&) = delete;
  ScopedFileRemover& operator=(const ScopedFileRemover&) = delete;

  const std::string& path() const { return path_; }
  void keep() { kept_ = true; }

 private:
  std::string path_;
  bool kept_ = false;
};

// Replaces `path` durably, as writeFileAtomically, with contents handed over in pieces: they
// go to path + ".new", which commit() syncs and renames over `path`. Removes the temporary
// when it leaves scope uncommitted (after a failure), so the old file stays whole.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(const std::string& path);
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  void write(std::string_view data) { file_.write(data); }
  void commit();
  // Where the contents wait until commit().
  const std::string& temporaryPath() const { return temporary_.path(); }

 private:
  std::string path_;
  // Constructed before the writer, so that also a failed start removes the temporary.
  ScopedFileRemover temporary_;
  FileWriter file_;
};

// Reads a file piece by piece.
class FileReader {
 public:
  // Opens `path`; ok() tells whether that worked.
  explicit FileReader(const std::string& path);
  ~FileReader();
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  // False when the file could not be opened or a read failed.
  bool ok() const { return fd_ >= 0 && !failed_; }
  // The file's size when it was opened.
  std::size_t size() const { return size_; }
  // Replaces `piece` with the next bytes, at most `limit`; false at the end or on failure.
  bool read(std::string& piece, std::size_t limit);

 private:
  int fd_;
  std::size_t size_ = 0;
  bool failed_ = false;
};

// Reads the whole file into `contents`; false, with `contents` unchanged, when the file
// cannot be opened or read.
bool readFile(const std::string& path, std::string& contents);

// Replaces `path` with `contents` durably: writes and syncs path + ".new" (mode 0600), renames
// it over `path` and syncs the folder. Throws std::runtime_error("文件写入失败!") on failure;
// the old file then stays whole and the temporary is removed.
void writeFileAtomically(const std::string& path, std::string_view contents);

// Creates `path` afresh (mode 0600) and writes `contents`, without syncing: for transient
// working files. Throws std::runtime_error("文件写入失败!") on failure.
void writeFilePrivately(const std::string& path, std::string_view contents);

// Creates `path` afresh (mode 0600), writes `contents` and syncs them to disk. Throws
// std::runtime_error("文件写入失败!") on failure.
void writeFileDurably(const std::string& path, std::string_view contents);

// Removes the file if it exists; any failure is ignored.
void removeFile(const std::string& path);

// Removes the file; true when it is gone afterwards, also when it never existed.
bool removeFileIfPresent(const std::string& path);

// Renames `from` to `to`, replacing `to`, and syncs the folder of `to`; false when the
// rename failed.
bool moveFile(const std::string& from, const std::string& to);

// As moveFile; throws std::runtime_error("文件写入失败!") on failure.
void renameFile(const std::string& from, const std::string& to);

// Gives the file `existing` the second name `alias`, replacing any file of that name: one
// file then, whose bytes are written once. False when the file system has no such links.
bool linkFile(const std::string& existing, const std::string& alias);

// The temporary file through which writeFileAtomically and AtomicFileWriter replace `path`.
std::string atomicTemporaryOf(const std::string& path);

bool fileExists(const std::string& path);

}  // namespace vellumkeep
