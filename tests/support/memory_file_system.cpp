#include "support/memory_file_system.h"

#include <algorithm>

#include "storage/file_io.h"

namespace vellumkeep {

namespace {

std::string asFolder(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

// True when `path` is an entry of `folder` itself, not of a folder inside it.
bool isEntryOf(const std::string& path, const std::string& folder) {
  return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
         path.find('/', folder.size()) == std::string::npos;
}

class MemoryReader : public ReadableFile {
 public:
  explicit MemoryReader(std::string data) : data_(std::move(data)) {}
  std::size_t size() const override { return data_.size(); }
  bool failed() const override { return false; }
  bool read(std::string& piece, std::size_t limit) override {
    piece = data_.substr(std::min(at_, data_.size()), limit);
    at_ += piece.size();
    return !piece.empty();
  }

 private:
  std::string data_;
  std::size_t at_ = 0;
};

}  // namespace

class MemoryFileSystem::Writer : public WritableFile {
 public:
  Writer(MemoryFileSystem& fs, std::shared_ptr<Inode> inode) : fs_(fs), inode_(std::move(inode)) {}

  bool append(std::string_view data) override {
    if (!fs_.step()) return false;
    inode_->data.append(data);
    fs_.stepDone();
    return true;
  }
  bool sync() override {
    if (!fs_.step()) return false;
    inode_->synced = inode_->data;
    fs_.stepDone();
    return true;
  }
  bool close() override {
    if (!fs_.step()) return false;
    fs_.stepDone();
    return true;
  }

 private:
  MemoryFileSystem& fs_;
  std::shared_ptr<Inode> inode_;
};

MemoryFileSystem::MemoryFileSystem() : folders_{""} {}

MemoryFileSystem::MemoryFileSystem(const MemoryFileSystem& other)
    : folders_(other.folders_), steps_(other.steps_), checks_(other.checks_) {
  std::map<const Inode*, std::shared_ptr<Inode>> copies;
  auto copyOf = [&](const std::shared_ptr<Inode>& inode) {
    std::shared_ptr<Inode>& copy = copies[inode.get()];
    if (!copy) copy = std::make_shared<Inode>(*inode);
    return copy;
  };
  for (const auto& [path, inode] : other.live_) live_[path] = copyOf(inode);
  for (const auto& [path, inode] : other.durable_) durable_[path] = copyOf(inode);
}

bool MemoryFileSystem::step() {
  ++steps_;
  return failAt_.count(steps_) == 0 && (failFrom_ == 0 || steps_ < failFrom_);
}

void MemoryFileSystem::stepDone() {
  if (observer_) observer_();
}

bool MemoryFileSystem::hasFolderOf(const std::string& path) const {
  return folders_.count(folderOf(path)) != 0;
}

std::unique_ptr<ReadableFile> MemoryFileSystem::openForReading(const std::string& path) {
  auto it = live_.find(path);
  if (it == live_.end()) return nullptr;
  return std::make_unique<MemoryReader>(it->second->data);
}

std::unique_ptr<WritableFile> MemoryFileSystem::createFile(const std::string& path) {
  if (!step() || !hasFolderOf(path) || folders_.count(asFolder(path))) return nullptr;
  auto inode = std::make_shared<Inode>();
  live_[path] = inode;
  stepDone();
  return std::make_unique<Writer>(*this, inode);
}

bool MemoryFileSystem::renameFile(const std::string& from, const std::string& to) {
  auto it = live_.find(from);
  if (!step() || it == live_.end() || !hasFolderOf(to)) return false;
  std::shared_ptr<Inode> inode = it->second;
  live_.erase(it);
  live_[to] = inode;
  stepDone();
  return true;
}

bool MemoryFileSystem::syncFolder(const std::string& folder) {
  const std::string name = asFolder(folder);
  if (!step() || !folders_.count(name)) return false;
  for (auto it = durable_.begin(); it != durable_.end();) {
    it = isEntryOf(it->first, name) ? durable_.erase(it) : std::next(it);
  }
  for (const auto& [path, inode] : live_) {
    if (isEntryOf(path, name)) durable_[path] = inode;
  }
  stepDone();
  return true;
}

bool MemoryFileSystem::removeFile(const std::string& path) {
  if (!step()) return false;
  live_.erase(path);
  stepDone();
  return true;
}

Presence MemoryFileSystem::exists(const std::string& path) {
  if (++checks_ == failCheckAt_) return Presence::kUnknown;
  const bool found = live_.count(path) != 0 || folders_.count(asFolder(path)) != 0;
  return found ? Presence::kPresent : Presence::kAbsent;
}

bool MemoryFileSystem::listFolder(const std::string& folder, std::vector<std::string>& names) {
  const std::string name = asFolder(folder);
  if (!folders_.count(name)) return false;
  names.clear();
  for (const auto& [path, inode] : live_) {
    if (isEntryOf(path, name)) names.push_back(path.substr(name.size()));
  }
  for (const std::string& inner : folders_) {
    if (isEntryOf(inner.substr(0, inner.size() - 1), name)) {
      names.push_back(inner.substr(name.size(), inner.size() - name.size() - 1));
    }
  }
  return true;
}

bool MemoryFileSystem::makeFolder(const std::string& folder) {
  if (!step()) return false;
  const std::string name = asFolder(folder);
  if (live_.count(folder) || !hasFolderOf(name.substr(0, name.size() - 1))) return false;
  folders_.insert(name);
  stepDone();
  return true;
}

void MemoryFileSystem::heal() {
  failAt_.clear();
  failFrom_ = 0;
  failCheckAt_ = 0;
}

void MemoryFileSystem::loseUnsynced() {
  live_ = durable_;
  for (auto& [path, inode] : live_) inode->data = inode->synced;
  heal();
}

void MemoryFileSystem::endRun(Cut cut) {
  if (cut == Cut::kPowerCut) {
    loseUnsynced();
  } else {
    heal();
  }
}

void MemoryFileSystem::syncEverything() {
  durable_ = live_;
  for (auto& [path, inode] : live_) inode->synced = inode->data;
}

std::map<std::string, std::string> MemoryFileSystem::files() const {
  std::map<std::string, std::string> files;
  for (const auto& [path, inode] : live_) files[path] = inode->data;
  return files;
}

}  // namespace vellumkeep
