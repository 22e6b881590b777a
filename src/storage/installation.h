// A new installation: Config.ini listing root, the data folder, and root's data file and
// password file (the program itself has no command that creates a first account); and the
// way back for an installation that lost its Config.ini.
#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace vellumkeep {

// The data folder as given, with a "/" added when it lacks one; "" stays "", the current
// folder, which Config.ini can name too.
std::string normalizeDataFolder(std::string folder);

// Refuses, by throwing std::runtime_error with the message, what would make a new
// installation go wrong: an existing Config.ini, root's files already in the data folder
// (they are someone's data; what a creation cut off between the renames of root's files left
// is started over), a data folder holding files that are not the program's own (the message
// names one), or a folder name that Config.ini cannot hold exactly. "文件写入失败!" when a
// check cannot tell. Checked before any question is asked; nothing is written.
void checkNewInstallation(FileSystem& fs, const std::string& configPath,
                          const std::string& dataFolder);

// Checks as checkNewInstallation, then creates the data folder (mode 0700), root's files
// (role SystemAdministrator, no groups) in `mode` and, last, Config.ini. Throws the message of
// a refused check or of the password rule, writing nothing; "文件写入失败!" (or a message
// naming a data folder that cannot be made) when a file cannot be written.
void createInstallation(FileSystem& fs, const std::string& configPath,
                        const std::string& dataFolder, const std::string& rootPassword,
                        int32_t mode);

// Writes a Config.ini for `dataFolder` listing every user whose data file and password file
// are both there and whose name the user-name rules accept (root first, then by name), and
// returns them; also a user whose addition was cut off after its password file was renamed
// into place, whose new data file the next start then renames too. Changes no user file.
// Throws the message, writing nothing, when Config.ini exists, the folder name does not fit
// Config.ini, or no user's files are found.
std::vector<std::string> recoverInstallation(FileSystem& fs, const std::string& configPath,
                                             const std::string& dataFolder);

}  // namespace vellumkeep
