// The real disk behind the storage's FileSystem interface (POSIX).
#pragma once

#include "platform/file_system.h"

namespace vellumkeep {

class PosixFileSystem : public FileSystem {
 public:
  std::unique_ptr<ReadableFile> openForReading(const std::string& path) override;
  std::unique_ptr<WritableFile> createFile(const std::string& path) override;
  bool renameFile(const std::string& from, const std::string& to) override;
  bool syncFolder(const std::string& folder) override;
  bool removeFile(const std::string& path) override;
  Presence exists(const std::string& path) override;
  bool listFolder(const std::string& folder, std::vector<std::string>& names) override;
  bool makeFolder(const std::string& folder) override;
};

// Makes a write past the process's file-size limit (RLIMIT_FSIZE) fail with EFBIG, reported as
// any failed write, instead of ending the process by SIGXFSZ. Called once at a program's start.
void ignoreFileSizeSignal();

}  // namespace vellumkeep
