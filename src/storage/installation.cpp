#include "storage/installation.h"

#include <sys/stat.h>

#include <cerrno>
#include <stdexcept>

#include "model/account_registry.h"
#include "model/messages.h"
#include "model/name_rules.h"
#include "storage/config_file.h"
#include "storage/file_io.h"
#include "storage/user_files.h"

namespace vellumkeep {

std::string normalizeDataFolder(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

void createInstallation(const std::string& configPath, const std::string& dataFolder,
                        const std::string& rootPassword) {
  if (fileExists(configPath)) throw std::runtime_error(msg::kInitConfigExists);
  checkPassword(rootPassword);
  if (::mkdir(dataFolder.c_str(), 0700) != 0 && errno != EEXIST) {
    throw std::runtime_error(msg::kWriteFailed);
  }
  UserFiles files;
  files.dataPath = dataFolder;
  files.keyCodeTable(kRootName);
  files.saveAccount(makeAccount(kRootName, rootPassword, Simple, SystemAdministrator));
  files.storePasswordFile(kRootName, Simple, rootPassword);
  writeConfig(configPath, dataFolder, {kRootName});
}

}  // namespace vellumkeep
