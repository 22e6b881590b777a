// vellumkeep-init: creates a new installation in the current folder, asking twice for root's
// password. Its arguments are read by parseInitArguments.
#include <unistd.h>

#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/messages.h"
#include "platform/console.h"
#include "platform/terminal.h"
#include "program_arguments.h"
#include "storage/installation.h"

namespace {

using namespace vellumkeep;

constexpr char kConfigPath[] = "Config.ini";
constexpr char kDefaultDataFolder[] = "data";

// The installation of `options` (mode simple), or status 1 with the message.
int createNew(Console& console, const InitOptions& options) {
  const std::string folder =
      normalizeDataFolder(options.folder.empty() ? kDefaultDataFolder : options.folder);
  try {
    console.out.text(msg::kInitAskPassword).flush();
    std::string password = console.readSecretLine();
    console.out.text(msg::kInitAskAgain).flush();
    if (console.readSecretLine() != password) throw std::runtime_error(msg::kInitPasswordsDiffer);
    createInstallation(kConfigPath, folder, password);
  } catch (const InputExhausted&) {
    console.err.text(msg::kInitInputEnded).endLine();
    return kExitFailure;
  } catch (const std::runtime_error& error) {
    console.err.text(error.what()).endLine();
    return kExitFailure;
  }
  console.out.text(msg::kInitDone).endLine();
  return kExitSuccess;
}

// Refuses what this build cannot do yet, before anything is asked or written.
int refuseUnavailable(Console& console, const std::string& option) {
  console.err.text(msg::kInitOptionUnavailable).data(option).endLine();
  return kExitUsage;
}

// Carries out what the options ask for.
int initialize(Console& console, const InitOptions& options) {
  if (options.recover) return refuseUnavailable(console, "--recover");
  if (options.mode == kStrongModeName) return refuseUnavailable(console, "--mode strong");
  return createNew(console, options);
}

}  // namespace

int main(int argc, char** argv) {
  Console console(std::cin, std::cout, encodingFor(STDOUT_FILENO), std::cerr,
                  encodingFor(STDERR_FILENO), isTerminal(STDIN_FILENO));
  const ParsedArguments parsed =
      parseInitArguments(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  if (parsed.request != StartRequest::kRun) {
    return answerStartRequest(console, parsed,
                              {"vellumkeep-init", msg::kInitUsage, msg::kInitHelp});
  }
  return initialize(console, parsed.init);
}
