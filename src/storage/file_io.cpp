#include "storage/file_io.h"

#include <algorithm>
#include <stdexcept>

#include "model/messages.h"
#include "storage/file_names.h"

namespace vellumkeep {

namespace {

// The most that is read at a time.
constexpr std::size_t kReadPiece = std::size_t{256} << 10;

[[noreturn]] void throwWriteFailed() {
  throw std::runtime_error(msg::kWriteFailed);
}

}  // namespace

FileWriter::FileWriter(FileSystem& fs, const std::string& path) : file_(fs.createFile(path)) {
  if (!file_) throwWriteFailed();
}

void FileWriter::write(std::string_view data) {
  if (!file_->append(data)) throwWriteFailed();
}

void FileWriter::finish() {
  const bool synced = file_->sync();
  if (!file_->close() || !synced) throwWriteFailed();
}

ScopedFileRemover::~ScopedFileRemover() {
  if (kept_) return;
  for (std::size_t i = 0; i < paths_.size(); ++i) {
    fs_.removeFile(paths_[i]);
    if (i + 1 < paths_.size()) fs_.syncFolder(folderOf(paths_[i]));
  }
}

AtomicFileWriter::AtomicFileWriter(FileSystem& fs, const std::string& path)
    : fs_(fs), path_(path), temporary_(fs, atomicTemporaryOf(path)), file_(fs, temporary_.path()) {}

void AtomicFileWriter::commit() {
  file_.finish();
  renameFile(fs_, temporary_.path(), path_);
  temporary_.keep();
}

bool readFile(FileSystem& fs, const std::string& path, std::string& contents) {
  std::unique_ptr<ReadableFile> file = fs.openForReading(path);
  if (!file) return false;
  std::string whole;
  whole.reserve(file->size());
  std::string piece;
  const std::size_t limit = std::min(file->size() + 1, kReadPiece);
  while (file->read(piece, limit)) whole += piece;
  if (file->failed()) return false;
  contents = std::move(whole);
  return true;
}

void writeFileAtomically(FileSystem& fs, const std::string& path, std::string_view contents) {
  AtomicFileWriter file(fs, path);
  file.write(contents);
  file.commit();
}

void writeFileDurably(FileSystem& fs, const std::string& path, std::string_view contents) {
  ScopedFileRemover onFailure(fs, path);
  FileWriter file(fs, path);
  file.write(contents);
  file.finish();
  onFailure.keep();
}

bool moveFile(FileSystem& fs, const std::string& from, const std::string& to) {
  if (!fs.renameFile(from, to)) return false;
  fs.syncFolder(folderOf(to));
  return true;
}

bool removeFilesInOrder(FileSystem& fs, const std::vector<std::string>& paths) {
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (!fs.removeFile(paths[i])) return false;
    if (i + 1 < paths.size()) fs.syncFolder(folderOf(paths[i]));
  }
  return true;
}

void renameFile(FileSystem& fs, const std::string& from, const std::string& to) {
  if (!moveFile(fs, from, to)) throwWriteFailed();
}

std::string atomicTemporaryOf(const std::string& path) {
  return path + std::string(kNewSuffix);
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace vellumkeep
