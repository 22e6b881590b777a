#include "shell/login.h"

#include <stdexcept>
#include <string>

#include "display/display.h"
#include "exec/account_operations.h"
#include "model/messages.h"
#include "platform/secret_memory.h"

namespace vellumkeep {

namespace {

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

// Replaces a password that another account chose before the session starts, asking until a
// new one is set; the input's end ends the program with nothing changed.
void replaceChosenPassword(ProgramState& state) {
  ConsoleWriter& out = state.console.out;
  out.text(msg::kPasswordChosenByOther).endLine();
  for (;;) {
    out.text(msg::kAskNewPassword).flush();
    const SecretString fresh = state.console.readSecretLine();
    out.text(msg::kAskNewPasswordAgain).flush();
    const SecretString again = state.console.readSecretLine();
    try {
      replaceOwnPassword(state, fresh, again, state.operatorAccount().mode);
      return;
    } catch (const std::runtime_error& error) {
      state.console.err.text(error.what()).endLine();
    }
  }
}

// Names each account that the Operator's login could not load.
void reportDamagedAccounts(ProgramState& state) {
  for (const std::string& name : state.registry.damaged) {
    printDamagedAccount(state.console.err, name);
  }
}

}  // namespace

void setUpOperator(ProgramState& state) {
  int32_t role = state.operatorAccount().role;
  if (role == Administrator || role == SystemAdministrator) {
    state.store.loadOtherAccounts(state.registry, state.operatorName);
  }
  state.store.renewPasswordFile(state.operatorAccount());
}

bool askCredentials(ProgramState& state) {
  ConsoleWriter& out = state.console.out;
  out.endLine();
  out.text(msg::kLoginName).flush();
  const std::string name = state.console.readLine();
  out.text(msg::kLoginPassword).flush();
  const SecretString password = state.console.readSecretLine();
  if (state.store.checkCredentials(state.registry, name, password)) {
    state.operatorName = state.registry.findAccount(name)->name;
    return true;
  }
  out.text(msg::kLoginFailed).endLine();
  return false;
}

void login(ProgramState& state) {
  printLoginBanner(state.console.out);
  while (!underLoginHandler(state, [&] { return askCredentials(state); })) {
  }
  underLoginHandler(state, [&] {
    setUpOperator(state);
    return true;
  });
  if (state.store.passwordChangeDue()) replaceChosenPassword(state);
  if (state.console.outputIsTerminal()) state.console.out.data(kClearScreen).flush();
  // After the clearing, so that the report stays on the screen.
  reportDamagedAccounts(state);
}

}  // namespace vellumkeep
