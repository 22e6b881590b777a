#include "programs/vellumkeep_program.h"

#include <exception>
#include <ios>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "exec/program_state.h"
#include "model/messages.h"
#include "platform/clipboard.h"
#include "platform/console.h"
#include "platform/instance_lock.h"
#include "platform/line_editor.h"
#include "platform/posix_file_system.h"
#include "platform/secret_memory.h"
#include "platform/terminal.h"
#include "programs/program_arguments.h"
#include "programs/program_constants.h"
#include "shell/completion.h"
#include "shell/login.h"
#include "shell/shell.h"

namespace vellumkeep {

namespace {

// False, with the message, when libsodium cannot start or the folder holds no installation.
bool readyToStart(Console& console, FileSystem& fs) {
  try {
    initializeSodium();
  } catch (const std::runtime_error& error) {
    console.err.text(error.what()).endLine();
    return false;
  }
  // Before the lock, so that a folder without an installation is left as it was.
  if (fs.exists(kConfigFileName) != Presence::kPresent) {
    console.err.text(msg::kNoConfig).endLine();
    return false;
  }
  return true;
}

// False, with the message, when another program holds the installation or the lock cannot be
// taken.
bool holdsLock(Console& console, const InstanceLock& lock) {
  switch (lock.result()) {
    case InstanceLock::Result::kAcquired:
      return true;
    case InstanceLock::Result::kHeldElsewhere:
      console.err.text(msg::kInstallationBusy).endLine();
      break;
    case InstanceLock::Result::kSymbolicLink:
      console.err.text(msg::kLockFileIsLink).endLine();
      break;
    case InstanceLock::Result::kUnavailable:
      console.err.text(msg::kInstallationUnlockable).endLine();
      break;
  }
  return false;
}

// Line editing, Tab completion and the clipboard (on descriptor `outFd`) for the session.
void connectEditor(TerminalEditor& editor, ProgramState& state, std::optional<Clipboard>& clipboard,
                   int outFd, const SessionTimeouts& timeouts) {
  state.console.attachEditor(editor);
  state.clipboard = &clipboard.emplace(outFd, timeouts.clipboard);
  editor.keys().setWaitTask(state.clipboard);
  editor.setCompleter([&state](std::string_view before) { return completeWord(state, before); });
}

// Logs in and runs the shell until it ends; the exit status.
int runSession(Console& console, FileSystem& fs, TerminalEditor* editor, int outFd,
               const SessionTimeouts& timeouts) {
  std::optional<Clipboard> clipboard;  // outlives the state that points to it
  try {
    ProgramState state(console, fs, kConfigFileName);
    if (editor) connectEditor(*editor, state, clipboard, outFd, timeouts);
    state.store.startUp(state.registry);
    login(state);
    if (editor) editor->keys().setIdleLimit(timeouts.idleLock);
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

}  // namespace

int runVellumkeep(const std::vector<std::string>& args, const StandardStreams& streams,
                  const SessionTimeouts& timeouts) {
  protectProcessMemory();
  std::ios::sync_with_stdio(false);
  const ParsedArguments parsed = parseProgramArguments(args);
  Console console = standardConsole(streams, chosenEncoding(parsed));
  console.setOutputIsTerminal(isTerminal(fileno(streams.outFile)));
  if (parsed.request != StartRequest::kRun) {
    const std::string help = std::string(msg::kProgramUsageMore) + "\n" + msg::kProgramHelp + "\n" +
                             msg::kProgramHelpMore;
    return answerStartRequest(console, parsed, {"vellumkeep", msg::kProgramUsage, help});
  }
  ignoreFileSizeSignal();
  if (!enterDirectories(console, parsed)) return kExitFailure;
  PosixFileSystem fs;
  if (!readyToStart(console, fs)) return kExitFailure;
  InstanceLock lock(kLockFileName);
  if (!holdsLock(console, lock)) return kExitFailure;
  std::unique_ptr<TerminalEditor> editor = openStandardEditor(streams, parsed.encoding);
  return runSession(console, fs, editor.get(), fileno(streams.outFile), timeouts);
}

}  // namespace vellumkeep
