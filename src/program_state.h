// Everything that lives for one run of the program. main creates one; tests create their
// own on string streams and a temporary data folder or a file system in memory.
#pragma once

#include <optional>
#include <sstream>
#include <string>

#include "exec/command_stacks.h"
#include "model/account_registry.h"
#include "platform/clipboard.h"
#include "platform/console.h"
#include "storage/file_system.h"
#include "storage/strong_keys.h"
#include "storage/user_files.h"

namespace vellumkeep {

struct ProgramState {
  ProgramState(Console& console, FileSystem& fs, std::string configPath)
      : console(console), fs(fs), configPath(std::move(configPath)), files(fs) {}

  UserAccount& operatorAccount() { return registry.operatorAccount(operatorName); }

  Console& console;
  FileSystem& fs;          // every file the program reads or writes
  std::string configPath;  // Config.ini: the data folder and the user list
  OpcodeStack opcodeStack;
  ArgumentStack argumentStack;
  CommandCode currentCommandCode = kNoCommand;
  std::istringstream commandStream;  // the words of the current command line
  AccountRegistry registry;
  std::string operatorName = kSystemName;
  UserAccount scratchAccount;  // transfer record between memory and the files
  UserFiles files;             // the data folder and the coding table
  // The keys of an Operator in mode strong, derived once at login; none in the other modes.
  std::optional<StrongKeys> operatorKeys;
  bool endRequested = false;       // set by exit and quit; the shell loop ends after the line
  Clipboard* clipboard = nullptr;  // the terminal's clipboard; null when there is no terminal
};

}  // namespace vellumkeep
