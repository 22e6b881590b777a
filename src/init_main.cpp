// vellumkeep-init [DATA_FOLDER]: creates a new installation in the current folder, asking
// twice for root's password.
#include <unistd.h>

#include <iostream>
#include <stdexcept>
#include <string>

#include "model/messages.h"
#include "platform/console.h"
#include "platform/terminal.h"
#include "storage/installation.h"

int main(int argc, char** argv) {
  using namespace vellumkeep;
  Console console(std::cin, std::cout, encodingFor(STDOUT_FILENO), std::cerr,
                  encodingFor(STDERR_FILENO), isTerminal(STDIN_FILENO));
  std::string folder = normalizeDataFolder(argc > 1 ? argv[1] : "data");
  try {
    console.out.text(msg::kInitAskPassword).flush();
    std::string password = console.readSecretLine();
    console.out.text(msg::kInitAskAgain).flush();
    if (console.readSecretLine() != password) throw std::runtime_error(msg::kInitPasswordsDiffer);
    createInstallation("Config.ini", folder, password);
  } catch (const InputExhausted&) {
    console.err.text(msg::kInitInputEnded).endLine();
    return 1;
  } catch (const std::runtime_error& error) {
    console.err.text(error.what()).endLine();
    return 1;
  }
  console.out.text(msg::kInitDone).endLine();
  return 0;
}
