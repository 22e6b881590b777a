#include "storage/folder_recovery.h"

#include <functional>
#include <set>
#include <string_view>

#include "model/name_rules.h"
#include "storage/file_io.h"
#include "storage/file_names.h"

namespace vellumkeep {

namespace {

std::string operator+(std::string_view a, std::string_view b) {
  std::string joined(a);
  return joined.append(b);
}

class Recovery {
 public:
  Recovery(const UserFiles& files, const std::vector<std::string>& entries,
           const std::vector<std::string>& listed)
      : files_(files),
        fs_(files.fileSystem()),
        present_(entries.begin(), entries.end()),
        listed_(listed.begin(), listed.end()) {}

  // Handles one entry of the data folder by the kind of leftover its name says it is.
  void handle(const std::string& entry);

 private:
  using Handler = void (Recovery::*)(const std::string& name, const std::string& path);
  struct Leftover {
    std::string_view suffix;
    Handler handle;
  };
  // Longer suffixes first: ".usr.new" is also a ".new".
  static const Leftover kLeftovers[];

  // Cut off before the new pair of a change of mode or password counted: the old files stand.
  void dataPending(const std::string& name, const std::string& path) {
    fs_.removeFile(path);
    fs_.removeFile(files_.passwordFile(name) + kPendingSuffix);
  }

  // Cut off after the new data file counted: the new password file belongs to it.
  void passwordPending(const std::string& name, const std::string& path) {
    if (present_.count(name + kDataExtension + kPendingSuffix)) return;
    moveFile(fs_, path, files_.passwordFile(name));
  }

  // A deletion counts once Config.ini no longer lists the account.
  void removedPassword(const std::string& name, const std::string& path) {
    if (listed_.count(name)) {
      moveFile(fs_, path, files_.passwordFile(name));
    } else {
      fs_.removeFile(files_.dataFile(name));
      fs_.removeFile(path);
    }
  }

  // A new file that was not renamed into place: an interrupted replacement, whose old file
  // stands, or a new account that Config.ini had come to list, which is finished.
  void newFile(const std::string& target, const std::string& name, const std::string& path) {
    if (listed_.count(name) && fs_.exists(target) != Presence::kPresent) {
      moveFile(fs_, path, target);
    } else {
      fs_.removeFile(path);
    }
  }
  void newData(const std::string& name, const std::string& path) {
    newFile(files_.dataFile(name), name, path);
  }
  void newPassword(const std::string& name, const std::string& path) {
    newFile(files_.passwordFile(name), name, path);
  }

  void oldWorkingFile(const std::string& name, const std::string& path) {
    if (isUsableName(name)) fs_.removeFile(path);
  }

  const UserFiles& files_;
  FileSystem& fs_;
  const std::set<std::string> present_;
  const std::set<std::string> listed_;
};

constexpr bool joins(std::string_view whole, std::string_view head, std::string_view tail) {
  return whole.size() == head.size() + tail.size() && whole.substr(0, head.size()) == head &&
         whole.substr(head.size()) == tail;
}
static_assert(joins(".usr.pending", kDataExtension, kPendingSuffix));
static_assert(joins(".usrpas.pending", kPasswordExtension, kPendingSuffix));
static_assert(joins(".usrpas.removed", kPasswordExtension, kRemovedSuffix));
static_assert(joins(".usr.new", kDataExtension, kNewSuffix));
static_assert(joins(".usrpas.new", kPasswordExtension, kNewSuffix));

const Recovery::Leftover Recovery::kLeftovers[] = {
    {".usr.pending", &Recovery::dataPending},
    {".usrpas.pending", &Recovery::passwordPending},
    {".usrpas.removed", &Recovery::removedPassword},
    {".usr.new", &Recovery::newData},
    {".usrpas.new", &Recovery::newPassword},
    {kOldWorkingExtension, &Recovery::oldWorkingFile},
};

void Recovery::handle(const std::string& entry) {
  for (const Leftover& kind : kLeftovers) {
    if (entry.size() <= kind.suffix.size()) continue;
    const size_t stem = entry.size() - kind.suffix.size();
    if (std::string_view(entry).substr(stem) != kind.suffix) continue;
    (this->*kind.handle)(entry.substr(0, stem), files_.dataPath + entry);
    return;
  }
}

}  // namespace

void recoverDataFolder(const UserFiles& files, const std::vector<std::string>& listed) {
  std::vector<std::string> entries;
  if (!files.fileSystem().listFolder(files.dataPath, entries)) return;
  Recovery recovery(files, entries, listed);
  for (const std::string& entry : entries) recovery.handle(entry);
}

}  // namespace vellumkeep
