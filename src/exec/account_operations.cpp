#include "exec/account_operations.h"

#include <stdexcept>

#include "exec/executor.h"
#include "model/messages.h"
#include "model/name_rules.h"
#include "storage/working_files.h"

namespace vellumkeep {

namespace {

enum LayoutCode {
  kAddAdminLayout = 5,
  kAddUserLayout = 6,
  kDeleteAdminLayout = 9,
  kDeleteUserLayout = 10,
  kOwnAccountLayout = 12
};

// Refuses the name of a listed or loaded user and the reserved names.
void refuseTakenName(ProgramState& state, const std::string& name) {
  if (state.registry.isNameTaken(name) || name == kSystemName || name == kRootName) {
    throw std::runtime_error(msg::kNameTaken);
  }
}

void createAccount(ProgramState& state, const std::string& name, const std::string& password,
                   int32_t role) {
  state.registry.registerAccount(makeAccount(name, password, Simple, role));
  saveNewAccount(state, name);
}

void deleteAccount(ProgramState& state, int layout) {
  Arguments args = takeArguments(state);
  pushResultMarker(state, layout);
  if (args.count != 2) throw std::runtime_error(msg::kBadArguments);
  state.registry.removeAccount(args.values[0]);
  deleteAccountFiles(state, args.values[0]);
}

// The argument of setmode and setpassword.
std::string takeOwnAccountArgument(ProgramState& state) {
  Arguments args = takeArguments(state);
  if (args.count != 2) throw std::runtime_error(msg::kBadArguments);
  pushResultMarker(state, kOwnAccountLayout);
  return args.values[0];
}

}  // namespace

void addAdmin(ProgramState& state) {
  Arguments args = takeArguments(state);
  if (args.count != 3) throw std::runtime_error(msg::kMissingArgument);
  pushResultMarker(state, kAddAdminLayout);
  checkUserName(args.values[0]);
  checkPassword(args.values[1]);
  refuseTakenName(state, args.values[0]);
  createAccount(state, args.values[0], args.values[1], Administrator);
}

void addUser(ProgramState& state) {
  Arguments args = takeArguments(state);
  pushResultMarker(state, kAddUserLayout);
  if (args.count != 4) throw std::runtime_error(msg::kBadArguments);
  checkUserName(args.values[0]);
  checkPassword(args.values[1]);
  // New users always start coded; setmode changes that later.
  if (args.values[2] != kSimpleModeName) throw std::runtime_error(msg::kUnknownAddMode);
  refuseTakenName(state, args.values[0]);
  createAccount(state, args.values[0], args.values[1], User);
}

void deleteAdmin(ProgramState& state) {
  deleteAccount(state, kDeleteAdminLayout);
}

void deleteUser(ProgramState& state) {
  deleteAccount(state, kDeleteUserLayout);
}

void setMode(ProgramState& state) {
  std::string modeName = takeOwnAccountArgument(state);
  int32_t mode;
  if (modeName == kUnencryptedModeName) {
    mode = Unencrypted;
  } else if (modeName == kSimpleModeName) {
    mode = Simple;
  } else {
    throw std::runtime_error(msg::kUnknownMode);
  }
  state.operatorAccount().mode = mode;
  saveOperatorAccount(state);
}

void setPassword(ProgramState& state) {
  std::string password = takeOwnAccountArgument(state);
  state.operatorAccount().password = password;
  saveOperatorAccount(state);
}

}  // namespace vellumkeep
