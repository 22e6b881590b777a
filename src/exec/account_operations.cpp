#include "exec/account_operations.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <utility>

#include "exec/operation_steps.h"
#include "model/messages.h"
#include "model/name_rules.h"
#include "platform/secret_memory.h"

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

// Gives the Operator's account `mode` and `password` and saves both its files with new keys. A
// save that fails leaves the old files in force, so the old values come back and memory keeps
// matching them.
void changeOwnAccount(ProgramState& state, int32_t mode, std::string password) {
  UserAccount& op = state.operatorAccount();
  const int32_t oldMode = std::exchange(op.mode, mode);
  std::string oldPassword = std::exchange(op.password, std::move(password));
  try {
    state.store.saveBothFiles(op);
  } catch (const std::runtime_error&) {
    op.mode = oldMode;
    op.password = std::move(oldPassword);
    throw;
  }
}

// The arguments of setmode and setpassword: one word, or for a move into mode strong the mode
// and the new password twice.
Arguments takeOwnAccountArguments(ProgramState& state, LayoutCode layout) {
  Arguments args = takeArguments(state);
  if (args.count != 2 && args.count != 4) throw std::runtime_error(msg::kBadArguments);
  pushResultMarker(state, layout);
  return args;
}

// Checks the name and password of a new account and returns its mode, the one `modeName` names
// (simple when it is null). The password is checked by the rules of that mode, or of simple
// before a name that no new account may start in is refused.
int32_t checkNewAccount(const std::string& name, const std::string& password,
                        const std::string* modeName) {
  checkUserName(name);
  const ModeRow* mode = modeName ? findNewAccountMode(*modeName) : nullptr;
  checkPassword(password, mode ? mode->code : Simple);
  if (modeName && !mode) throw std::runtime_error(msg::kUnknownAddMode);
  return mode ? mode->code : Simple;
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

// addadmin NAME PASSWORD [MODE]: mode simple unless mode strong is named.
void addAdmin(ProgramState& state, LayoutCode layout) {
  Arguments args = takeArguments(state);
  if (args.count != 3 && args.count != 4) throw std::runtime_error(msg::kMissingArgument);
  pushResultMarker(state, layout);
  const std::string* modeName = args.count == 4 ? &args.values[2].str() : nullptr;
  const int32_t mode = checkNewAccount(args.values[0], args.values[1], modeName);
  refuseTakenName(state, args.values[0]);
  createAccount(state, args.values[0], args.values[1], mode, Administrator);
}

void addUser(ProgramState& state, LayoutCode layout) {
  Arguments args = takeArguments(state);
  pushResultMarker(state, layout);
  if (args.count != 4) throw std::runtime_error(msg::kBadArguments);
  const int32_t mode = checkNewAccount(args.values[0], args.values[1], &args.values[2].str());
  refuseTakenName(state, args.values[0]);
  createAccount(state, args.values[0], args.values[1], mode, User);
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

// setmode MODE; into mode strong from another mode with a new password, asked twice.
void setMode(ProgramState& state, LayoutCode layout) {
  const Arguments args = takeOwnAccountArguments(state, layout);
  const ModeRow* mode = findMode(args.values[0]);
  if (!mode) throw std::runtime_error(msg::kUnknownMode);
  const UserAccount& op = state.operatorAccount();
  const bool intoStrong = mode->code == Strong && op.mode != Strong;
  if (args.count != (intoStrong ? 4u : 2u)) throw std::runtime_error(msg::kBadArguments);
  if (intoStrong) return replaceOwnPassword(state, args.values[1], args.values[2], Strong);
  // A password longer than the other modes allow cannot be kept in their password file.
  checkPassword(op.password, mode->code);
  changeOwnAccount(state, mode->code, op.password);
}

void setPassword(ProgramState& state, LayoutCode layout) {
  const Arguments args = takeOwnAccountArguments(state, layout);
  if (args.count != 2) throw std::runtime_error(msg::kBadArguments);
  changeOwnAccount(state, state.operatorAccount().mode, args.values[0]);
}

// changepassword [strong]: the current password, then the new one twice.
void changePassword(ProgramState& state, LayoutCode layout) {
  const Arguments args = takeArguments(state);
  pushResultMarker(state, layout);
  if (args.count != 4 && args.count != 5) throw std::runtime_error(msg::kBadArguments);
  const UserAccount& op = state.operatorAccount();
  int32_t mode = op.mode;
  if (args.count == 5) {
    const ModeRow* named = findMode(args.values[0]);
    if (!named || named->code != Strong) throw std::runtime_error(msg::kUnknownMode);
    mode = Strong;
  }
  const size_t current = args.count - 4;
  if (!samePassword(args.values[current], op.password)) {
    throw std::runtime_error(msg::kLoginFailed);
  }
  replaceOwnPassword(state, args.values[current + 1], args.values[current + 2], mode);
}

void replaceOwnPassword(ProgramState& state, std::string_view fresh, std::string_view again,
                        int32_t mode) {
  const UserAccount& op = state.operatorAccount();
  if (!samePassword(fresh, again)) throw std::runtime_error(msg::kNewPasswordsDiffer);
  // Also when the mode changes: the current password may have been kept reversibly.
  if (samePassword(fresh, op.password)) throw std::runtime_error(msg::kSamePassword);
  checkPassword(fresh, mode);
  changeOwnAccount(state, mode, std::string(fresh));
}

}  // namespace vellumkeep
