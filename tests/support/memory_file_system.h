// A file system in memory for in-process tests of storage: every step that changes it can be
// made to fail on cue, and what was not synced can be dropped as a power cut or a killed
// process would drop it. Paths are plain strings; a folder is a path ending in "/" ("" being
// the current folder).
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace vellumkeep {

class MemoryFileSystem : public FileSystem {
 public:
  MemoryFileSystem();
  // A copy with files of its own, for starting many runs from one state.
  MemoryFileSystem(const MemoryFileSystem& other);
  MemoryFileSystem& operator=(const MemoryFileSystem&) = delete;

  std::unique_ptr<ReadableFile> openForReading(const std::string& path) override;
  std::unique_ptr<WritableFile> createFile(const std::string& path) override;
  bool renameFile(const std::string& from, const std::string& to) override;
  bool syncFolder(const std::string& folder) override;
  bool removeFile(const std::string& path) override;
  Presence exists(const std::string& path) override;
  bool listFolder(const std::string& folder, std::vector<std::string>& names) override;
  bool makeFolder(const std::string& folder) override;

  // Steps are the calls that change the disk (creating, appending, syncing, closing, renaming,
  // syncing a folder, removing, making a folder), counted from 1.
  std::size_t steps() const { return steps_; }
  // Step `step` fails without effect, as does every other step given here; the others
  // succeed.
  void failAt(std::size_t step) { failAt_.insert(step); }
  // Step `step` and every later one fail without effect: a full disk, or, followed by
  // loseUnsynced(), a process killed just before that step.
  void failFrom(std::size_t step) { failFrom_ = step; }
  // Existence checks, which change nothing, are counted apart from the steps, from 1.
  std::size_t checks() const { return checks_; }
  // Existence check `check` cannot tell, as after an I/O error; the others answer.
  void failCheckAt(std::size_t check) { failCheckAt_ = check; }
  // No more failures.
  void heal();
  // What the disk holds after the process was killed and the power cut: every file has only
  // what was synced of it, and folders only the entries they had when last synced. Heals.
  void loseUnsynced();
  // How a run cut off by failFrom() ends: the process killed, everything it did standing; or
  // the power cut as well, losing what was not synced (loseUnsynced()). Heals.
  enum class Cut { kKill, kPowerCut };
  void endRun(Cut cut);

  // Makes everything as it stands durable.
  void syncEverything();
  // Called after every step that took effect, with the state after it.
  void observe(std::function<void()> observer) { observer_ = std::move(observer); }

  // Every file and its contents as they stand.
  std::map<std::string, std::string> files() const;

 private:
  struct Inode {
    std::string data;
    std::string synced;
  };
  using Entries = std::map<std::string, std::shared_ptr<Inode>>;
  class Writer;

  // Counts a step; true when it may take effect.
  bool step();
  void stepDone();
  bool hasFolderOf(const std::string& path) const;

  Entries live_;
  Entries durable_;
  std::set<std::string> folders_;
  std::size_t steps_ = 0;
  std::set<std::size_t> failAt_;
  std::size_t failFrom_ = 0;
  std::size_t checks_ = 0;
  std::size_t failCheckAt_ = 0;
  std::function<void()> observer_;
};

}  // namespace vellumkeep
