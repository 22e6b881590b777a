// After a run that was killed: brings the data folder back to whole file pairs.
#pragma once

#include <string>
#include <vector>

#include "storage/user_files.h"

namespace vellumkeep {

// Finishes or undoes the saves, additions and removals that a killed run left half done
// (`listed`, the names in Config.ini, tells which accounts count) and removes every other
// temporary of a user file, whatever its name, together with the plain working files of
// earlier versions. Files in place are never touched, except those of an account whose
// removal had counted. Best effort: a step that fails is left for the next start.
void recoverDataFolder(const UserFiles& files, const std::vector<std::string>& listed);

}  // namespace vellumkeep
