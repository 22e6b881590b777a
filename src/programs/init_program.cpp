#include "programs/init_program.h"

#include <cstdint>
#include <memory>
#include <stdexcept>

#include "model/messages.h"
#include "model/user_account.h"
#include "platform/console.h"
#include "platform/instance_lock.h"
#include "platform/line_editor.h"
#include "platform/posix_file_system.h"
#include "platform/secret_memory.h"
#include "programs/program_arguments.h"
#include "programs/program_constants.h"
#include "storage/installation.h"

namespace vellumkeep {

namespace {

constexpr char kDefaultDataFolder[] = "data";

int recover(Console& console, FileSystem& fs, const std::string& folder) {
  std::vector<std::string> users = recoverInstallation(fs, kConfigFileName, folder);
  console.out.text(msg::kInitRecovered).endLine();
  for (const std::string& user : users) console.out.data("\t").data(user).endLine();
  return kExitSuccess;
}

int install(Console& console, FileSystem& fs, const std::string& folder, int32_t mode) {
  // Refused before any question: nobody types a password for nothing.
  checkNewInstallation(fs, kConfigFileName, folder);
  console.out.text(msg::kInitAskPassword).flush();
  const SecretString password = console.readSecretLine();
  console.out.text(msg::kInitAskAgain).flush();
  if (!samePassword(console.readSecretLine(), password)) {
    throw std::runtime_error(msg::kInitPasswordsDiffer);
  }
  createInstallation(fs, kConfigFileName, folder, password, mode);
  console.out.text(msg::kInitDone).endLine();
  return kExitSuccess;
}

// Carries out what the options ask for; status 1 with the message when it is refused.
int initialize(Console& console, FileSystem& fs, const InitOptions& options) {
  const std::string folder =
      normalizeDataFolder(options.folder.empty() ? kDefaultDataFolder : options.folder);
  try {
    if (options.recover) return recover(console, fs, folder);
    // Without --mode, root starts in mode strong.
    const ModeRow* mode = findNewAccountMode(options.mode);
    return install(console, fs, folder, mode ? mode->code : Strong);
  } catch (const InputExhausted&) {
    console.err.text(msg::kInitInputEnded).endLine();
  } catch (const InputCancelled& cancelled) {
    if (cancelled.key == InputCancelled::Key::kInterrupt) {
      console.err.text(msg::kInitCancelled).endLine();
      return kInterruptedStatus;
    }
    console.err.text(msg::kInitInputEnded).endLine();
  } catch (const std::runtime_error& error) {
    console.err.text(error.what()).endLine();
  }
  return kExitFailure;
}

}  // namespace

int runInit(const std::vector<std::string>& args, const StandardStreams& streams) {
  // Root's password passes through this process's memory.
  protectProcessMemory();
  const ParsedArguments parsed = parseInitArguments(args);
  Console console = standardConsole(streams, chosenEncoding(parsed));
  // Line editing for the password questions where both streams are a terminal.
  std::unique_ptr<TerminalEditor> editor = openStandardEditor(streams);
  if (editor) console.attachEditor(*editor);
  if (parsed.request != StartRequest::kRun) {
    const std::string help = std::string(msg::kInitHelp) + "\n" + msg::kInitHelpMore;
    return answerStartRequest(console, parsed, {"vellumkeep-init", msg::kInitUsage, help});
  }
  ignoreFileSizeSignal();
  if (!enterDirectories(console, parsed)) return kExitFailure;
  PosixFileSystem fs;
  return initialize(console, fs, parsed.init);
}

}  // namespace vellumkeep
