// The process's working folder, which -C changes before the programs read anything relative to
// it (Config.ini, its lock, the data folder).
#pragma once

#include <string>

namespace vellumkeep {

// Makes `path` the working folder; false, nothing changed, when it cannot be entered (missing,
// not a folder, no permission, or empty).
bool enterFolder(const std::string& path);

}  // namespace vellumkeep
