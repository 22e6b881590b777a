#include "exec/operator_files.h"

namespace vellumkeep {

// Storage is not yet attached: these keep the order of steps for the operations.
void saveOperatorChange(ProgramState&) {}
void saveOperatorAccount(ProgramState&) {}
void saveNewAccount(ProgramState&, std::string_view) {}
void deleteAccountFiles(ProgramState&, std::string_view) {}
void cleanOperatorWorkingFile(ProgramState&) {}

}  // namespace vellumkeep
