#include "shell/login.h"

#include <cstring>
#include <stdexcept>
#include <string>

#include "model/messages.h"
#include "platform/secret_memory.h"
#include "storage/account_storage.h"

namespace vellumkeep {

namespace {

constexpr size_t kBannerWidth = 79;
constexpr char kClearScreen[] = "\x1b[2J\x1b[H";

// Runs `step` under the login's handlers: a runtime error or the corruption error is
// written with one line end. False on error.
template <typename Step>
bool underLoginHandler(ProgramState& state, Step step) {
  try {
    return step();
  } catch (const std::runtime_error& error) {
    state.console.err.text(error.what()).endLine();
  } catch (const std::domain_error& error) {
    state.console.err.text(error.what()).endLine();
  }
  return false;
}

bool setUpOperator(ProgramState& state) {
  int32_t role = state.operatorAccount().role;
  if (role == Administrator || role == SystemAdministrator) loadOtherAccounts(state);
  saveOperatorCredentials(state);
  return true;
}

}  // namespace

void printLoginBanner(ProgramState& state) {
  ConsoleWriter& out = state.console.out;
  const std::string rule(kBannerWidth, '-');
  out.data(rule).endLine();
  out.data("|" + std::string(27, ' ')).text(msg::kWelcome).data(std::string(32, ' ') + "|");
  out.endLine();
  size_t used = 1 + 29 + std::strlen(msg::kWebAddress) + 1;
  out.data("|" + std::string(29, ' ') + msg::kWebAddress + std::string(kBannerWidth - used, ' '));
  out.data("|").endLine();
  out.data(rule).endLine();
}

bool askCredentials(ProgramState& state) {
  ConsoleWriter& out = state.console.out;
  out.endLine();
  out.text(msg::kLoginName).flush();
  std::string name = state.console.readLine();
  out.text(msg::kLoginPassword).flush();
  std::string password = state.console.readSecretLine();
  const bool accepted = checkCredentials(state, name, password);
  wipe(password);
  if (accepted) {
    state.operatorName = state.registry.findAccount(name)->name;
    return true;
  }
  out.text(msg::kLoginFailed).endLine();
  return false;
}

void login(ProgramState& state) {
  printLoginBanner(state);
  while (!underLoginHandler(state, [&] { return askCredentials(state); })) {
  }
  underLoginHandler(state, [&] { return setUpOperator(state); });
  if (state.console.outputIsTerminal()) state.console.out.data(kClearScreen).flush();
}

}  // namespace vellumkeep
