// After a run that was killed, or a change whose undo failed: brings the data folder back to
// whole file pairs. Each leftover is finished or undone by whether its change had counted, in
// an order that a kill at any step of the recovery leaves a state that the next start
// recovers the same way.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "storage/user_files.h"

namespace vellumkeep {

// Finishes or undoes the saves, additions and removals that a killed run left half done
// (`listed`, the names in Config.ini at `configPath`, tells which accounts count; its folder
// is synced first, so that nothing is done by a list a power cut could still undo) and
// removes the plain working files of earlier versions of listed users. Touches only the files
// the program makes, by their names (kUserFileSuffixes after a valid user name); files in
// place only where a change had counted, or where they are what an addition that did not
// count left. Best effort: a step that fails, or a check that cannot tell, is left for the
// next start.
void recoverDataFolder(const UserFiles& files, const std::string& configPath,
                       const std::vector<std::string>& listed);

// The same for the one name `name`, which Config.ini does not list: before a new account takes
// a name, what a deletion or addition of it left behind goes.
void recoverUnlistedName(const UserFiles& files, std::string_view name);

}  // namespace vellumkeep
