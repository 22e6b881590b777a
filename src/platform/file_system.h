// The disk as storage sees it: the few file operations that loading and saving need. Storage
// reaches files only through this interface, so that tests can fail any step on cue and drop
// what was not synced, and the program hands in the real one (PosixFileSystem).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vellumkeep {

// A file being written. Its contents are safe on disk only after sync().
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // Appends `data`; false on failure.
  virtual bool append(std::string_view data) = 0;
  // Brings what was appended to the disk; false on failure.
  virtual bool sync() = 0;
  // Closes the file; false when closing reports an error (which may be a failed delayed write).
  // A file left unclosed is closed, unsynced, when it is destroyed.
  virtual bool close() = 0;
};

// A regular file being read from its start.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  // The file's size when it was opened.
  virtual std::size_t size() const = 0;
  // Replaces `piece` with the next bytes, at most `limit`; false at the end or on failure.
  virtual bool read(std::string& piece, std::size_t limit) = 0;
  // True once a read has failed.
  virtual bool failed() const = 0;
};

// What an existence check found.
enum class Presence {
  kAbsent,   // nothing has that name
  kPresent,  // a file, a folder or a link has that name
  kUnknown,  // the check itself failed (an I/O error, no permission): nobody can tell
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Opens a regular file for reading. Never follows a link at the name and never waits on a
  // FIFO or device: null when the file is missing, cannot be opened, or is no regular file.
  virtual std::unique_ptr<ReadableFile> openForReading(const std::string& path) = 0;

  // Creates `path` afresh with owner-only permissions (0600). A file of that name is replaced,
  // never written through (it may be a link planted to redirect the write). Null on failure.
  virtual std::unique_ptr<WritableFile> createFile(const std::string& path) = 0;

  // Renames `from` to `to`, replacing `to`; false on failure. Durable once the folder of `to`
  // is synced.
  virtual bool renameFile(const std::string& from, const std::string& to) = 0;

  // Makes the renames, creations and removals in `folder` durable; false when the folder
  // cannot be synced (some file systems cannot sync folders at all).
  virtual bool syncFolder(const std::string& folder) = 0;

  // Removes the file; true when no file of that name is left, also when there was none.
  virtual bool removeFile(const std::string& path) = 0;

  // Whether something (a file, a folder, a link) has that name. Only "no such file" is
  // kAbsent: any other failure of the check is kUnknown, never taken for either answer.
  virtual Presence exists(const std::string& path) = 0;

  // Replaces `names` with the names of the entries of `folder` ("" is the current folder),
  // without "." and ".."; false when the folder cannot be read.
  virtual bool listFolder(const std::string& folder, std::vector<std::string>& names) = 0;

  // Creates `folder` owner-only (0700); true when it exists afterwards as a folder.
  virtual bool makeFolder(const std::string& folder) = 0;
};

}  // namespace vellumkeep
