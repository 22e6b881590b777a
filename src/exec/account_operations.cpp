#include "exec/account_operations.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <utility>

#include "exec/operation_steps.h"
#include "model/messages.h"
#include "model/name_rules.h"

namespace vellumkeep {

namespace {

// Refuses the name of a listed or loaded user, the reserved names, and a name whose files
// are in the data folder although Config.ini does not list it: those files are someone's
// data, which a new account must never overwrite.
void refuseTakenName(ProgramState& state, const std::string& name) {
  if (state.registry.isNameTaken(name) || name == kSystemName || name == kRootName ||
      state.store.hasFiles(name)) {
    throw std::runtime_error(msg::kNameTaken);
  }
}

// Registers the account and writes its files; a failed write unregisters it again, so that
// a later Config.ini never lists an account without files.
void createAccount(ProgramState& state, const std::string& name, const std::string& password,
                   int32_t mode, int32_t role) {
  state.registry.registerAccount(makeAccount(name, password, mode, role));
  try {
    state.store.addAccountFiles(state.registry, name);
  } catch (const std::runtime_error&) {
    state.registry.removeAccount(name);
    throw;
  }
}

// Sets a field of the Operator's account and saves both its files. A save that fails leaves
// the old files in force, so the field gets its old value back and memory keeps matching them.
template <typename T>
void changeOwnAccount(ProgramState& state, T UserAccount::*field, T value) {
  T old = std::exchange(state.operatorAccount().*field, std::move(value));
  try {
    state.store.saveBothFiles(state.operatorAccount());
  } catch (const std::runtime_error&) {
    state.operatorAccount().*field = std::move(old);
    throw;
  }
}

// The argument of setmode and setpassword.
std::string takeOwnAccountArgument(ProgramState& state, LayoutCode layout) {
  Arguments args = takeArguments(state);
  if (args.count != 2) throw std::runtime_error(msg::kBadArguments);
  pushResultMarker(state, layout);
  return args.values[0];
}

// The name after deladmin or deluser once it is one that may be removed: neither root nor
// system, and a loaded or damaged account.
std::string takeRemovableName(ProgramState& state, LayoutCode layout) {
  Arguments args = takeArguments(state);
  pushResultMarker(state, layout);
  if (args.count != 2) throw std::runtime_error(msg::kBadArguments);
  std::string name = args.values[0];
  state.registry.checkRemovable(name);
  return name;
}

// The account leaves memory only once its files are gone, so that a failed deletion is not
// carried out silently by the next write of Config.ini.
void removeAccount(ProgramState& state, const std::string& name) {
  state.store.deleteAccountFiles(state.registry, name);
  state.registry.removeAccount(name);
}

}  // namespace

void addAdmin(ProgramState& state, LayoutCode layout) {
  Arguments args = takeArguments(state);
  if (args.count != 3) throw std::runtime_error(msg::kMissingArgument);
  pushResultMarker(state, layout);
  checkUserName(args.values[0]);
  checkPassword(args.values[1]);
  refuseTakenName(state, args.values[0]);
  createAccount(state, args.values[0], args.values[1], Simple, Administrator);
}

void addUser(ProgramState& state, LayoutCode layout) {
  Arguments args = takeArguments(state);
  pushResultMarker(state, layout);
  if (args.count != 4) throw std::runtime_error(msg::kBadArguments);
  checkUserName(args.values[0]);
  checkPassword(args.values[1]);
  const ModeRow* mode = findNewAccountMode(args.values[2]);
  if (!mode) throw std::runtime_error(msg::kUnknownAddMode);
  refuseTakenName(state, args.values[0]);
  createAccount(state, args.values[0], args.values[1], mode->code, User);
}

void deleteAdmin(ProgramState& state, LayoutCode layout) {
  const std::string name = takeRemovableName(state, layout);
  if (!state.registry.findAdministrator(name)) throw std::runtime_error(msg::kNotAdministrator);
  removeAccount(state, name);
}

// The masks keep administrators from deleting administrators: an Administrator deletes a
// loaded user or its own account, and nothing that may be another administrator's.
void deleteUser(ProgramState& state, LayoutCode layout) {
  const std::string name = takeRemovableName(state, layout);
  if (state.operatorAccount().role == Administrator && name != state.operatorName &&
      !state.registry.findUser(name)) {
    throw std::runtime_error(msg::kNoPermission);
  }
  removeAccount(state, name);
}

void setMode(ProgramState& state, LayoutCode layout) {
  const std::string modeName = takeOwnAccountArgument(state, layout);
  const ModeRow* mode = findMode(modeName);
  if (!mode) throw std::runtime_error(msg::kUnknownMode);
  changeOwnAccount(state, &UserAccount::mode, static_cast<int32_t>(mode->code));
}

void setPassword(ProgramState& state, LayoutCode layout) {
  changeOwnAccount(state, &UserAccount::password, takeOwnAccountArgument(state, layout));
}

}  // namespace vellumkeep
