// A new installation: Config.ini listing root, the data folder, and root's data file and
// password file. The program itself has no command that creates a first account.
#pragma once

#include <string>

namespace vellumkeep {

// The data folder as given, with a "/" added when it lacks one.
std::string normalizeDataFolder(std::string folder);

// Creates the data folder (mode 0700), root's files (role SystemAdministrator, mode simple,
// no groups) and, last, Config.ini. Throws std::runtime_error with the message, writing
// nothing, when Config.ini exists or the password breaks the password rule; throws
// "文件写入失败!" when a file cannot be written.
void createInstallation(const std::string& configPath, const std::string& dataFolder,
                        const std::string& rootPassword);

}  // namespace vellumkeep
