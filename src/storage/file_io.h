// Whole-file reads and writes for the data folder (POSIX). Files are created owner-only
// (0600); durable writes go to a temporary file that replaces the target only when complete.
#pragma once

#include <string>
#include <string_view>

namespace vellumkeep {

// Reads the whole file into `contents`; false, with `contents` unchanged, when the file
// cannot be opened or read.
bool readFile(const std::string& path, std::string& contents);

// Replaces `path` with `contents` durably: writes and syncs path + ".new" (mode 0600), renames
// it over `path` and syncs the folder. Throws std::runtime_error("文件写入失败!") on failure;
// the old file then stays whole and the temporary is removed.
void writeFileAtomically(const std::string& path, std::string_view contents);

// Creates or empties `path` (mode 0600) and writes `contents`, without syncing: for transient
// working files. Throws std::runtime_error("文件写入失败!") on failure.
void writeFilePrivately(const std::string& path, std::string_view contents);

// Creates or empties `path` (mode 0600), writes `contents` and syncs them to disk. Throws
// std::runtime_error("文件写入失败!") on failure.
void writeFileDurably(const std::string& path, std::string_view contents);

// Removes the file if it exists; any failure is ignored.
void removeFile(const std::string& path);

// Renames `from` to `to`, replacing `to`, and syncs the folder of `to`. Throws
// std::runtime_error("文件写入失败!") on failure.
void renameFile(const std::string& from, const std::string& to);

bool fileExists(const std::string& path);

}  // namespace vellumkeep
