// The program's entry: reads its arguments, connects the console, checks for Config.ini, logs
// in and runs the shell.
#include <sodium.h>
#include <unistd.h>

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "model/messages.h"
#include "platform/console.h"
#include "platform/instance_lock.h"
#include "platform/posix_file_system.h"
#include "platform/terminal.h"
#include "program_arguments.h"
#include "program_state.h"
#include "shell/login.h"
#include "shell/shell.h"
#include "storage/account_storage.h"

namespace {

constexpr char kConfigPath[] = "Config.ini";
constexpr char kLockPath[] = "Config.ini.lock";

}  // namespace

int main(int argc, char** argv) {
  using namespace vellumkeep;
  protectProcessMemory();
  std::ios::sync_with_stdio(false);
  Console console(std::cin, std::cout, encodingFor(STDOUT_FILENO), std::cerr,
                  encodingFor(STDERR_FILENO), isTerminal(STDIN_FILENO));
  console.setOutputIsTerminal(isTerminal(STDOUT_FILENO));
  const ParsedArguments parsed =
      parseProgramArguments(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  if (parsed.request != StartRequest::kRun) {
    return answerStartRequest(console, parsed,
                              {"vellumkeep", msg::kProgramUsage, msg::kProgramHelp});
  }
  if (sodium_init() < 0) {
    console.err.text(msg::kRandomUnavailable).endLine();
    return kExitFailure;
  }
  PosixFileSystem fs;
  // Before the lock, so that a folder without an installation is left as it was.
  if (!fs.exists(kConfigPath)) {
    console.err.text(msg::kNoConfig).endLine();
    return kExitFailure;
  }
  InstanceLock lock(kLockPath);
  if (lock.result() != InstanceLock::Result::kAcquired) {
    bool busy = lock.result() == InstanceLock::Result::kHeldElsewhere;
    console.err.text(busy ? msg::kInstallationBusy : msg::kInstallationUnlockable).endLine();
    return kExitFailure;
  }
  try {
    ProgramState state(console, fs, kConfigPath);
    startUp(state);
    login(state);
    runShell(state);
    return kExitSuccess;
  } catch (const InputExhausted&) {
    return kExitFailure;  // the input ended before anyone logged in
  } catch (const std::exception& error) {
    console.err.text(error.what()).endLine();
    return kExitFailure;
  }
}
