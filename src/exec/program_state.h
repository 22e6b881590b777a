// Everything that lives for one run of the program. main creates one; tests create their
// own on string streams and a temporary data folder or a file system in memory.
#pragma once

#include <ctime>
#include <functional>
#include <string>

#include "exec/command_stacks.h"
#include "exec/command_words.h"
#include "model/account_registry.h"
#include "platform/clipboard.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "storage/account_store.h"

namespace vellumkeep {

struct ProgramState {
  ProgramState(Console& console, FileSystem& fs, std::string configPath)
      : console(console), store(fs, std::move(configPath)) {}

  UserAccount& operatorAccount() { return registry.operatorAccount(operatorName); }

  Console& console;
  AccountStore store;  // Config.ini, the users' files and the Operator's keys
  OpcodeStack opcodeStack;
  ArgumentStack argumentStack;
  CommandCode currentCommandCode = kNoCommand;
  CommandStream commandStream;  // the words of the current command line
  AccountRegistry registry;
  std::string operatorName = kSystemName;
  bool endRequested = false;       // set by exit and quit; the shell loop ends after the line
  Clipboard* clipboard = nullptr;  // the terminal's clipboard; null when there is no terminal
  // The time for one-time codes, in seconds since 1970: the system's clock, or a test's.
  std::function<std::time_t()> clock = [] { return std::time(nullptr); };
};

}  // namespace vellumkeep
