// The program's entry: connects the console, reads Config.ini, logs in and runs the shell.
#include <sodium.h>
#include <unistd.h>

#include <exception>
#include <iostream>

#include "model/messages.h"
#include "platform/console.h"
#include "platform/instance_lock.h"
#include "platform/terminal.h"
#include "program_state.h"
#include "shell/login.h"
#include "shell/shell.h"
#include "storage/working_files.h"

namespace {

constexpr char kConfigPath[] = "Config.ini";
constexpr char kLockPath[] = "Config.ini.lock";

}  // namespace

int main() {
  using namespace vellumkeep;
  protectProcessMemory();
  std::ios::sync_with_stdio(false);
  Console console(std::cin, std::cout, encodingFor(STDOUT_FILENO), std::cerr,
                  encodingFor(STDERR_FILENO), isTerminal(STDIN_FILENO));
  console.setOutputIsTerminal(isTerminal(STDOUT_FILENO));
  if (sodium_init() < 0) {
    console.err.text(msg::kRandomUnavailable).endLine();
    return 1;
  }
  InstanceLock lock(kLockPath);
  if (lock.result() != InstanceLock::Result::kAcquired) {
    bool busy = lock.result() == InstanceLock::Result::kHeldElsewhere;
    console.err.text(busy ? msg::kInstallationBusy : msg::kInstallationUnlockable).endLine();
    return 1;
  }
  try {
    ProgramState state(console, kConfigPath);
    startUp(state);
    login(state);
    runShell(state);
    return 0;
  } catch (const InputExhausted&) {
    return 1;  // the input ended before anyone logged in
  } catch (const std::exception& error) {
    console.err.text(error.what()).endLine();
    return 1;
  }
}
