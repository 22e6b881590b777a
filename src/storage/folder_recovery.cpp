#include "storage/folder_recovery.h"

#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "model/name_rules.h"
#include "storage/file_io.h"
#include "storage/file_names.h"

namespace vellumkeep {

namespace {

std::string operator+(const std::string& a, std::string_view b) {
  std::string joined(a);
  return joined.append(b);
}

// The leftovers of one user name. Each kind of change leaves a mark that the recovery removes
// last (the new data file of a change of mode or password or of an addition, the set-aside
// password file of a deletion), so that a recovery cut off anywhere is taken up again alike.
class NameRecovery {
 public:
  NameRecovery(const UserFiles& files, std::string_view name, bool listed)
      : files_(files),
        fs_(files.fileSystem()),
        name_(name),
        listed_(listed),
        data_(files.dataFile(name)),
        password_(files.passwordFile(name)) {}

  void run() {
    pairChange();
    removal();
    addition();
    // The plain working files of earlier versions, only where a listed user may have left one.
    if (listed_) removeInOrder({files_.dataPath + name_ + kOldWorkingExtension});
  }

 private:
  bool present(const std::string& path) { return fs_.exists(path) == Presence::kPresent; }

  // Removes the files that may be there in order; a file known to be absent costs nothing.
  void removeInOrder(std::vector<std::string> paths) {
    std::vector<std::string> there;
    for (std::string& path : paths) {
      if (fs_.exists(path) != Presence::kAbsent) there.push_back(std::move(path));
    }
    if (!there.empty()) removeFilesInOrder(fs_, there);
  }

  // A change of mode or password counts once its new data file is in place; its new password
  // file is installed only beside the data file it belongs to.
  void pairChange() {
    const std::string newData = data_ + kPendingSuffix;
    const std::string newPassword = password_ + kPendingSuffix;
    const Presence notCounted = fs_.exists(newData);
    if (notCounted == Presence::kPresent) {
      removeInOrder({newPassword, newData});  // the old files stand
    } else if (notCounted == Presence::kAbsent && present(newPassword)) {
      if (files_.belongsToDataFile(name_, newPassword)) {
        moveFile(fs_, newPassword, password_);
      } else {
        fs_.removeFile(newPassword);
      }
    }
  }

  // A deletion counts once Config.ini no longer lists the account. The set-aside password file
  // never replaces one in place, which a later account of the name made.
  void removal() {
    const std::string setAside = password_ + kRemovedSuffix;
    if (!present(setAside)) return;
    const Presence password = fs_.exists(password_);
    if (password == Presence::kPresent) {
      fs_.removeFile(setAside);
    } else if (password == Presence::kAbsent) {
      if (listed_) {
        moveFile(fs_, setAside, password_);
      } else {
        removeInOrder({data_, setAside});
      }
    }
  }

  // New files not yet renamed into place: an addition counts once Config.ini lists the
  // account. A replacement cut off leaves the old file in force.
  void addition() {
    const std::string newData = atomicTemporaryOf(data_);
    const std::string newPassword = atomicTemporaryOf(password_);
    if (listed_) {
      placeNewFile(newPassword, password_);
      placeNewFile(newData, data_);
      return;
    }
    const Presence marked = fs_.exists(newData);
    if (marked == Presence::kAbsent) {
      removeInOrder({newPassword});
      return;
    }
    const Presence data = marked == Presence::kPresent ? fs_.exists(data_) : Presence::kUnknown;
    if (data == Presence::kAbsent) {
      // An addition that did not count: its password file may be in place already, and is its
      // own, as the name had no files.
      removeInOrder({newPassword, password_, newData});
    } else if (data == Presence::kPresent) {
      removeInOrder({newPassword, newData});
    }
  }

  void placeNewFile(const std::string& newFile, const std::string& target) {
    if (!present(newFile)) return;
    const Presence old = fs_.exists(target);
    if (old == Presence::kAbsent) {
      moveFile(fs_, newFile, target);
    } else if (old == Presence::kPresent) {
      fs_.removeFile(newFile);
    }
  }

  const UserFiles& files_;
  FileSystem& fs_;
  const std::string name_;
  const bool listed_;
  const std::string data_;
  const std::string password_;
};

// The names that a leftover in the folder may belong to.
std::set<std::string> namesWithLeftovers(const std::vector<std::string>& entries) {
  std::set<std::string> names;
  for (const std::string& entry : entries) {
    for (std::size_t i = kFirstLeftoverSuffix; i < std::size(kUserFileSuffixes); ++i) {
      const std::string_view suffix = kUserFileSuffixes[i];
      if (entry.size() <= suffix.size()) continue;
      const std::size_t stem = entry.size() - suffix.size();
      if (std::string_view(entry).substr(stem) != suffix) continue;
      const std::string name = entry.substr(0, stem);
      if (isUsableName(name)) names.insert(name);
    }
  }
  return names;
}

}  // namespace

void recoverDataFolder(const UserFiles& files, const std::string& configPath,
                       const std::vector<std::string>& listed) {
  FileSystem& fs = files.fileSystem();
  std::vector<std::string> entries;
  if (!fs.listFolder(files.dataPath, entries)) return;
  const std::set<std::string> names = namesWithLeftovers(entries);
  if (names.empty()) return;
  fs.syncFolder(folderOf(configPath));  // best effort: some file systems cannot sync folders
  const std::set<std::string> listedNames(listed.begin(), listed.end());
  for (const std::string& name : names) {
    NameRecovery(files, name, listedNames.count(name) != 0).run();
  }
}

void recoverUnlistedName(const UserFiles& files, std::string_view name) {
  if (isUsableName(name)) NameRecovery(files, name, false).run();
}

}  // namespace vellumkeep
