#include "storage/installation.h"

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string_view>

#include "model/account_registry.h"
#include "model/messages.h"
#include "model/name_rules.h"
#include "storage/config_file.h"
#include "storage/file_io.h"
#include "storage/file_names.h"
#include "storage/user_files.h"

namespace vellumkeep {

namespace {

// True when Config.ini, as written for `dataFolder`, reads back to that very folder: a
// double quote or a line feed in the name would make every login use another folder.
bool configCanHold(const std::string& dataFolder) {
  std::string dataPath;
  std::vector<std::string> names;
  parseConfig(formatConfig(dataFolder, {kRootName}), dataPath, names);
  return dataPath == dataFolder && names == std::vector<std::string>{kRootName};
}

[[noreturn]] void throwWriteFailed() {
  throw std::runtime_error(msg::kWriteFailed);
}

// True when `path` exists; throws "文件写入失败!" when that cannot be told.
bool isPresent(FileSystem& fs, const std::string& path) {
  const Presence presence = fs.exists(path);
  if (presence == Presence::kUnknown) throwWriteFailed();
  return presence == Presence::kPresent;
}

void refuseUnfitFolder(FileSystem& fs, const std::string& configPath,
                       const std::string& dataFolder) {
  if (isPresent(fs, configPath)) throw std::runtime_error(msg::kInitConfigExists);
  if (!configCanHold(dataFolder)) throw std::runtime_error(msg::kInitFolderUnfit);
}

[[noreturn]] void throwFolderFailed(const std::string& dataFolder) {
  throw std::runtime_error(std::string(msg::kInitFolderFailed) + dataFolder);
}

// A data folder that is missing must have a parent to be made in.
void refuseMissingParent(FileSystem& fs, const std::string& dataFolder) {
  if (dataFolder.empty() || fs.exists(dataFolder) == Presence::kPresent) return;
  const std::string parent = folderOf(dataFolder.substr(0, dataFolder.size() - 1));
  if (!parent.empty() && fs.exists(parent) != Presence::kPresent) throwFolderFailed(dataFolder);
}

// Root's files are someone's data, unless they are what a creation cut off between their
// renames left: the password file in place and the data file still new. That one is started
// over, and its files replaced.
void refuseRootsFiles(FileSystem& fs, const UserFiles& files) {
  const std::string data = files.dataFile(kRootName);
  if (isPresent(fs, data) ||
      (isPresent(fs, files.passwordFile(kRootName)) && !isPresent(fs, atomicTemporaryOf(data)))) {
    throw std::runtime_error(msg::kInitRootFilesExist);
  }
}

// True for a name the program gives a file in the data folder: a user's file, or, where the
// data folder is that of Config.ini, Config.ini's own files (its temporary and its lock).
bool isOwnFile(const std::string& entry, const std::string& configName) {
  if (entry.compare(0, configName.size(), configName) == 0 &&
      (entry.size() == configName.size() || entry[configName.size()] == '.')) {
    return true;
  }
  for (std::string_view suffix : kUserFileSuffixes) {
    if (entry.size() > suffix.size() &&
        std::string_view(entry).substr(entry.size() - suffix.size()) == suffix &&
        isUsableName(std::string_view(entry).substr(0, entry.size() - suffix.size()))) {
      return true;
    }
  }
  return false;
}

// A data folder that exists may hold only the program's own files, and folders: the start
// would take other files of those names for its own leftovers.
void refuseForeignFiles(FileSystem& fs, const std::string& configPath,
                        const std::string& dataFolder) {
  if (!dataFolder.empty() && !isPresent(fs, dataFolder)) return;
  std::vector<std::string> entries;
  if (!fs.listFolder(dataFolder, entries)) throwFolderFailed(dataFolder);
  const std::string configName = configPath.substr(folderOf(configPath).size());
  std::vector<std::string> inner;
  for (const std::string& entry : entries) {
    if (isOwnFile(entry, configName) || fs.listFolder(dataFolder + entry, inner)) continue;
    throw std::runtime_error(std::string(msg::kInitForeignFile) + entry);
  }
}

void makeDataFolder(FileSystem& fs, const std::string& dataFolder) {
  if (!dataFolder.empty() && !fs.makeFolder(dataFolder)) throwFolderFailed(dataFolder);
}

// The users whose two files are in the folder, root first, then by name; and those whose
// addition was cut off after its password file was in place, which the next start finishes
// once Config.ini lists them.
std::vector<std::string> usersWithFiles(FileSystem& fs, const UserFiles& files) {
  std::vector<std::string> entries;
  if (!fs.listFolder(files.dataPath, entries)) return {};
  const std::set<std::string> present(entries.begin(), entries.end());
  std::vector<std::string> users;
  for (const std::string& entry : entries) {
    if (entry.size() <= kPasswordExtension.size()) continue;
    const std::string name = entry.substr(0, entry.size() - kPasswordExtension.size());
    if (entry.substr(name.size()) != kPasswordExtension || !isUsableName(name)) continue;
    const std::string data = name + std::string(kDataExtension);
    if (present.count(data) || present.count(atomicTemporaryOf(data))) users.push_back(name);
  }
  std::sort(users.begin(), users.end(), [](const std::string& a, const std::string& b) {
    return (a == kRootName) != (b == kRootName) ? a == kRootName : a < b;
  });
  return users;
}

}  // namespace

std::string normalizeDataFolder(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

void checkNewInstallation(FileSystem& fs, const std::string& configPath,
                          const std::string& dataFolder) {
  refuseUnfitFolder(fs, configPath, dataFolder);
  refuseMissingParent(fs, dataFolder);
  UserFiles files(fs);
  files.dataPath = dataFolder;
  refuseRootsFiles(fs, files);
  refuseForeignFiles(fs, configPath, dataFolder);
}

void createInstallation(FileSystem& fs, const std::string& configPath,
                        const std::string& dataFolder, const std::string& rootPassword,
                        int32_t mode) {
  checkNewInstallation(fs, configPath, dataFolder);
  checkPassword(rootPassword, mode);
  makeDataFolder(fs, dataFolder);
  UserFiles files(fs);
  files.dataPath = dataFolder;
  const UserAccount root = makeAccount(kRootName, rootPassword, mode, SystemAdministrator);
  files.writeNewAccount(root, files.makeKeys(root));
  try {
    files.commitNewAccount(kRootName);
    writeConfig(fs, configPath, dataFolder, {kRootName});
  } catch (const std::runtime_error&) {
    files.discardNewAccount(kRootName);
    throw;
  }
}

std::vector<std::string> recoverInstallation(FileSystem& fs, const std::string& configPath,
                                             const std::string& dataFolder) {
  refuseUnfitFolder(fs, configPath, dataFolder);
  UserFiles files(fs);
  files.dataPath = dataFolder;
  std::vector<std::string> users = usersWithFiles(fs, files);
  if (users.empty()) throw std::runtime_error(msg::kInitNothingToRecover);
  writeConfig(fs, configPath, dataFolder, users);
  return users;
}

}  // namespace vellumkeep
