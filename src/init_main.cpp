// vellumkeep-init [DATA_FOLDER]: creates a new installation in the current folder, asking
// twice for root's password.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

#include "model/messages.h"
#include "platform/console.h"
#include "platform/terminal.h"
#include "platform/terminal_editor.h"
#include "storage/installation.h"

namespace {

constexpr int kInterruptedStatus = 130;  // as a shell reports a program ended by Ctrl-C

}  // namespace

int main(int argc, char** argv) {
  using namespace vellumkeep;
  const ConsoleEncoding outEncoding = encodingFor(STDOUT_FILENO);
  Console console(std::cin, std::cout, outEncoding, std::cerr, encodingFor(STDERR_FILENO),
                  isTerminal(STDIN_FILENO));
  std::unique_ptr<TerminalEditor> editor;
  if (console.inputIsTerminal() && isTerminal(STDOUT_FILENO)) {
    editor = TerminalEditor::open(STDIN_FILENO, stdout, outEncoding);
    if (editor) console.attachEditor(*editor);
  }
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
  } catch (const InputCancelled& cancelled) {
    if (cancelled.key == InputCancelled::Key::kEnd) {
      console.err.text(msg::kInitInputEnded).endLine();
      return 1;
    }
    console.err.text(msg::kInitCancelled).endLine();
    return kInterruptedStatus;
  } catch (const std::runtime_error& error) {
    console.err.text(error.what()).endLine();
    return 1;
  }
  console.out.text(msg::kInitDone).endLine();
  return 0;
}
