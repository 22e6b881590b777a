// A file's contents and permissions as tests check them; a file that cannot be read or
// examined fails the test.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/posix_file_system.h"
#include "storage/file_io.h"

namespace vellumkeep {

// The whole file; empty when it cannot be read.
inline std::string contentsOf(const std::string& path) {
  PosixFileSystem fs;
  std::string contents;
  EXPECT_TRUE(readFile(fs, path, contents)) << path;
  return contents;
}

// True when something has that name on disk.
inline bool fileExists(const std::string& path) {
  return PosixFileSystem().exists(path) == Presence::kPresent;
}

// The permission bits of the file (suid, sgid and sticky included); 0 when it cannot be
// examined.
inline mode_t permissionsOf(const std::string& path) {
  struct stat status {};
  EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
  return status.st_mode & 07777;
}

}  // namespace vellumkeep
