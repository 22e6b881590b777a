// The program's entry: reads its arguments, connects the console, checks for Config.ini, logs
// in and runs the shell.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/messages.h"
#include "platform/clipboard.h"
#include "platform/console.h"
#include "platform/instance_lock.h"
#include "platform/posix_file_system.h"
#include "platform/secret_memory.h"
#include "platform/terminal.h"
#include "platform/terminal_editor.h"
#include "program_state.h"
#include "programs/program_arguments.h"
#include "programs/program_constants.h"
#include "shell/completion.h"
#include "shell/login.h"
#include "shell/shell.h"
#include "storage/account_storage.h"

#ifdef VELLUMKEEP_TEST_TIMEOUTS
#include <cstdlib>
#endif

namespace {

struct Timeouts {
  std::chrono::milliseconds idleLock = std::chrono::minutes(5);
  std::chrono::milliseconds clipboard = std::chrono::seconds(30);
};

#ifdef VELLUMKEEP_TEST_TIMEOUTS
// Only in the tests' build of the program: the timeouts in milliseconds from the environment.
Timeouts timeouts() {
  Timeouts timeouts;
  if (const char* idle = std::getenv("VELLUMKEEP_TEST_IDLE_MS")) {
    timeouts.idleLock = std::chrono::milliseconds(std::atol(idle));
  }
  if (const char* clipboard = std::getenv("VELLUMKEEP_TEST_CLIPBOARD_MS")) {
    timeouts.clipboard = std::chrono::milliseconds(std::atol(clipboard));
  }
  return timeouts;
}
#else
Timeouts timeouts() {
  return {};
}
#endif

}  // namespace

int main(int argc, char** argv) {
  using namespace vellumkeep;
  protectProcessMemory();
  std::ios::sync_with_stdio(false);
  const ConsoleEncoding outEncoding = encodingFor(STDOUT_FILENO);
  Console console(std::cin, std::cout, outEncoding, std::cerr, encodingFor(STDERR_FILENO),
                  isTerminal(STDIN_FILENO));
  console.setOutputIsTerminal(isTerminal(STDOUT_FILENO));
  const ParsedArguments parsed =
      parseProgramArguments(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  if (parsed.request != StartRequest::kRun) {
    return answerStartRequest(console, parsed,
                              {"vellumkeep", msg::kProgramUsage, msg::kProgramHelp});
  }
  try {
    initializeSodium();
  } catch (const std::runtime_error& error) {
    console.err.text(error.what()).endLine();
    return kExitFailure;
  }
  PosixFileSystem fs;
  // Before the lock, so that a folder without an installation is left as it was.
  if (!fs.exists(kConfigFileName)) {
    console.err.text(msg::kNoConfig).endLine();
    return kExitFailure;
  }
  InstanceLock lock(kLockFileName);
  if (lock.result() != InstanceLock::Result::kAcquired) {
    bool busy = lock.result() == InstanceLock::Result::kHeldElsewhere;
    console.err.text(busy ? msg::kInstallationBusy : msg::kInstallationUnlockable).endLine();
    return kExitFailure;
  }
  // Line editing, the clipboard and the idle lock where both streams are a terminal.
  const Timeouts limits = timeouts();
  std::unique_ptr<TerminalEditor> editor;
  if (console.inputIsTerminal() && console.outputIsTerminal()) {
    editor = TerminalEditor::open(stdin, stdout, stderr, outEncoding);
  }
  std::optional<Clipboard> clipboard;
  try {
    ProgramState state(console, fs, kConfigFileName);
    if (editor) {
      console.attachEditor(*editor);
      state.clipboard = &clipboard.emplace(STDOUT_FILENO, limits.clipboard);
      editor->keys().setWaitTask(state.clipboard);
      editor->setCompleter(
          [&state](std::string_view before) { return completeWord(state, before); });
    }
    startUp(state);
    login(state);
    if (editor) editor->keys().setIdleLimit(limits.idleLock);
    runShell(state);
    return kExitSuccess;
  } catch (const InputExhausted&) {
    return kExitFailure;  // the input ended before anyone logged in
  } catch (const InputCancelled& cancelled) {
    return cancelled.key == InputCancelled::Key::kInterrupt ? kInterruptedStatus : kExitFailure;
  } catch (const std::exception& error) {
    console.err.text(error.what()).endLine();
    return kExitFailure;
  }
}
