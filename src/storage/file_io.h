// Whole-file reads and durable writes through the FileSystem: files are created owner-only,
// and a file is replaced by writing a temporary that is synced and renamed over it only when
// complete, so that a failure or a crash leaves the old file whole.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace vellumkeep {

// Writes a new file piece by piece: created afresh, owner-only. Every failure throws
// std::runtime_error("文件写入失败!"). A file left unfinished is closed, unsynced, when the
// writer leaves scope.
class FileWriter {
 public:
  FileWriter(FileSystem& fs, const std::string& path);
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  void write(std::string_view data);
  // Syncs the file to disk and closes it.
  void finish();

 private:
  std::unique_ptr<WritableFile> file_;
};

// Removes a file when it leaves scope, unless keep() was called: for temporaries that must
// not outlive a failure. Several files go one after another, each removal made durable before
// the next, and every one is tried, also after one that cannot be removed.
class ScopedFileRemover {
 public:
  ScopedFileRemover(FileSystem& fs, std::string path) : fs_(fs), paths_{std::move(path)} {}
  ScopedFileRemover(FileSystem& fs, std::vector<std::string> paths)
      : fs_(fs), paths_(std::move(paths)) {}
  ~ScopedFileRemover();
  ScopedFileRemover(const ScopedFileRemover&) = delete;
  ScopedFileRemover& operator=(const ScopedFileRemover&) = delete;

  // The first of the files.
  const std::string& path() const { return paths_.front(); }
  void keep() { kept_ = true; }

 private:
  FileSystem& fs_;
  std::vector<std::string> paths_;
  bool kept_ = false;
};

// Replaces `path` durably with contents handed over in pieces: they go to its temporary
// (atomicTemporaryOf), which commit() syncs and renames over `path`. The temporary is removed
// when the writer leaves scope uncommitted (after a failure), so the old file stays whole.
class AtomicFileWriter {
 public:
  AtomicFileWriter(FileSystem& fs, const std::string& path);
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  void write(std::string_view data) { file_.write(data); }
  void commit();

 private:
  FileSystem& fs_;
  std::string path_;
  // Constructed before the writer, so that also a failed start removes the temporary.
  ScopedFileRemover temporary_;
  FileWriter file_;
};

// Reads the whole regular file into `contents`; false, with `contents` unchanged, when it is
// missing, no regular file, or cannot be read.
bool readFile(FileSystem& fs, const std::string& path, std::string& contents);

// Replaces `path` with `contents` as AtomicFileWriter does. Throws "文件写入失败!".
void writeFileAtomically(FileSystem& fs, const std::string& path, std::string_view contents);

// Creates `path` afresh, writes `contents` and syncs them. Throws "文件写入失败!", leaving no
// file of that name behind.
void writeFileDurably(FileSystem& fs, const std::string& path, std::string_view contents);

// Renames `from` to `to`, replacing `to`, and syncs the folder of `to`; false when the rename
// failed. The folder sync is best effort: the rename has taken effect either way.
bool moveFile(FileSystem& fs, const std::string& from, const std::string& to);

// Removes the files one after another, each removal made durable (as far as the folder can be
// synced) before the next: a kill or a failure never leaves a later file gone and an earlier
// one still there, so the last can mark what the others were part of. Stops at the first that
// cannot be removed; false then. Missing files are no failure.
bool removeFilesInOrder(FileSystem& fs, const std::vector<std::string>& paths);

// As moveFile; throws std::runtime_error("文件写入失败!") on failure.
void renameFile(FileSystem& fs, const std::string& from, const std::string& to);

// The temporary through which AtomicFileWriter replaces `path`.
std::string atomicTemporaryOf(const std::string& path);

// The folder part of `path` ("" for a bare name, the current folder).
std::string folderOf(const std::string& path);

}  // namespace vellumkeep
