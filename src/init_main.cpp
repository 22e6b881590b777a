// vellumkeep-init [DATA_FOLDER]: creates a new installation in the current folder, asking
// twice for root's password. vellumkeep-init --recover [DATA_FOLDER]: writes a lost
// Config.ini anew from the users' files in the data folder.
#include <unistd.h>

#include <cstring>
#include <iostream>
#include <stdexcept>
#include <string>

#include "model/messages.h"
#include "model/user_account.h"
#include "platform/console.h"
#include "platform/instance_lock.h"
#include "platform/posix_file_system.h"
#include "platform/terminal.h"
#include "storage/installation.h"

namespace {

using namespace vellumkeep;

constexpr char kConfigPath[] = "Config.ini";
constexpr char kDefaultDataFolder[] = "data";

int recover(Console& console, FileSystem& fs, const std::string& folder) {
  std::vector<std::string> users = recoverInstallation(fs, kConfigPath, folder);
  console.out.text(msg::kInitRecovered).endLine();
  for (const std::string& user : users) console.out.data("\t").data(user).endLine();
  return 0;
}

int install(Console& console, FileSystem& fs, const std::string& folder, int32_t mode) {
  // Refused before any question: nobody types a password for nothing.
  checkNewInstallation(fs, kConfigPath, folder);
  console.out.text(msg::kInitAskPassword).flush();
  std::string password = console.readSecretLine();
  console.out.text(msg::kInitAskAgain).flush();
  if (console.readSecretLine() != password) throw std::runtime_error(msg::kInitPasswordsDiffer);
  createInstallation(fs, kConfigPath, folder, password, mode);
  console.out.text(msg::kInitDone).endLine();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Root's password passes through this process's memory.
  protectProcessMemory();
  Console console(std::cin, std::cout, encodingFor(STDOUT_FILENO), std::cerr,
                  encodingFor(STDERR_FILENO), isTerminal(STDIN_FILENO));
  PosixFileSystem fs;
  const bool recovering = argc > 1 && std::strcmp(argv[1], "--recover") == 0;
  const int folderArgument = recovering ? 2 : 1;
  const std::string folder =
      normalizeDataFolder(argc > folderArgument ? argv[folderArgument] : kDefaultDataFolder);
  try {
    return recovering ? recover(console, fs, folder) : install(console, fs, folder, Simple);
  } catch (const InputExhausted&) {
    console.err.text(msg::kInitInputEnded).endLine();
  } catch (const std::runtime_error& error) {
    console.err.text(error.what()).endLine();
  }
  return 1;
}
