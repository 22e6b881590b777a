#include "storage/account_storage.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <utility>

#include "model/messages.h"
#include "model/name_rules.h"
#include "platform/secret_memory.h"
#include "storage/config_file.h"
#include "storage/file_io.h"
#include "storage/folder_recovery.h"
#include "storage/strong_keys.h"
#include "storage/strong_password_file.h"

namespace vellumkeep {

namespace {

// Keys the table with the Operator's name when it leaves scope, also on an error.
class OperatorKeyRestorer {
 public:
  explicit OperatorKeyRestorer(ProgramState& state) : state_(state) {}
  ~OperatorKeyRestorer() { state_.files.keyCodeTable(state_.operatorName); }
  OperatorKeyRestorer(const OperatorKeyRestorer&) = delete;
  OperatorKeyRestorer& operator=(const OperatorKeyRestorer&) = delete;

 private:
  ProgramState& state_;
};

bool isListed(const ProgramState& state, std::string_view name) {
  const auto& names = state.registry.names;
  return std::find(names.begin(), names.end(), name) != names.end();
}

// A hand-edited Config.ini may name anything; only a valid name may become a path.
void requireUsableName(std::string_view name) {
  if (!isUsableName(name)) throw std::domain_error(msg::kCorruptUserData);
}

// Loads the account `name` for its login with the password `typed` and files it in the
// registry; false when `typed` is not the password. A user in mode strong leaves the keys of
// the session in `keys`: one derivation checks the password and opens the data file. The
// table must be keyed with `name`.
bool loadOwnAccount(ProgramState& state, std::string_view name, std::string_view typed,
                    std::optional<StrongKeys>& keys) {
  requireUsableName(name);
  const PasswordRecord record = state.files.loadPasswordFile(name);
  if (record.strong) {
    keys = deriveStrongKeys(typed, record.strong->salt, record.strong->params);
    if (!verifyPassword(*keys, *record.strong)) return false;
  } else if (typed != record.password) {
    return false;
  }
  state.files.loadAccountText(record.mode, name, keysOrNull(keys), state.scratchAccount);
  // Moved, not copied: a large store is then never held twice.
  state.registry.loadAccountFromScratch(std::move(state.scratchAccount));
  return true;
}

// Loads the account of another user for an administrator and files it in the registry: a
// user in mode strong as its identity only, without its password or credentials.
void loadOtherAccount(ProgramState& state, std::string_view name) {
  requireUsableName(name);
  const PasswordRecord record = state.files.loadPasswordFile(name);
  if (record.strong) {
    state.scratchAccount = state.files.loadStrongIdentity(name);
  } else {
    state.files.loadAccountText(record.mode, name, nullptr, state.scratchAccount);
  }
  state.registry.loadAccountFromScratch(std::move(state.scratchAccount));
}

void writeUserList(ProgramState& state, const std::vector<std::string>& names) {
  writeConfig(state.fs, state.configPath, state.files.dataPath, names);
}

}  // namespace

void startUp(ProgramState& state) {
  readConfig(state.fs, state.configPath, state.files.dataPath, state.registry.names);
  // Config.ini is replaced through a temporary too; the old file stands.
  state.fs.removeFile(atomicTemporaryOf(state.configPath));
  recoverDataFolder(state.files, state.registry.names);
}

bool checkCredentials(ProgramState& state, std::string_view name, std::string_view typed) {
  if (!isListed(state, name)) return false;
  state.files.keyCodeTable(name);
  std::optional<StrongKeys> keys;
  if (!loadOwnAccount(state, name, typed, keys)) return false;
  const UserAccount* account = state.registry.findAccount(name);
  if (!account || account->password != typed) return false;
  state.operatorKeys = std::move(keys);
  return true;
}

void loadOtherAccounts(ProgramState& state) {
  OperatorKeyRestorer restorer(state);
  for (size_t i = 0; i < state.registry.names.size(); ++i) {
    const std::string name = state.registry.names[i];
    if (name == state.operatorName || state.registry.findAccount(name)) continue;
    state.files.keyCodeTable(name);
    loadOtherAccount(state, name);
  }
  state.operatorAccount();  // throws when the Operator is not among the loaded accounts
}

void saveOperatorCredentials(ProgramState& state) {
  const UserAccount& account = state.operatorAccount();
  // In mode strong the password file holds no filler to renew.
  if (account.mode == Strong) return;
  state.files.storePasswordFile(account.name, account.mode, account.password);
}

// The Operator's saves write the text straight from the registry's account: a copy into the
// scratch account first would hold a large store twice and cost as much as the writing.
void saveOperatorChange(ProgramState& state) {
  state.files.saveAccount(state.operatorAccount(), keysOrNull(state.operatorKeys));
}

void saveOperatorAccount(ProgramState& state) {
  OperatorKeyRestorer restorer(state);
  state.files.keyCodeTable(state.operatorName);
  const UserAccount& account = state.operatorAccount();
  // In mode strong every change of mode or password derives new keys with a new salt, so
  // that the old password opens nothing.
  std::optional<StrongKeys> keys = state.files.makeKeys(account);
  state.files.saveAccountAndPassword(account, keysOrNull(keys));
  state.operatorKeys = std::move(keys);
}

bool hasAccountFiles(ProgramState& state, std::string_view name) {
  return state.files.hasFiles(name);
}

void saveNewAccount(ProgramState& state, std::string_view name) {
  OperatorKeyRestorer restorer(state);
  state.registry.copyAccountToScratch(name, state.scratchAccount);
  state.files.keyCodeTable(name);
  const UserAccount& account = state.scratchAccount;
  const std::optional<StrongKeys> keys = state.files.makeKeys(account);
  try {
    state.files.writeNewAccount(account, keysOrNull(keys));
    writeUserList(state, state.registry.names);  // the account counts from here
  } catch (const std::runtime_error&) {
    state.files.discardNewAccount(name);
    throw;
  }
  try {
    state.files.commitNewAccount(name);
  } catch (const std::runtime_error&) {
    // Should Config.ini keep the name after all, the next start finishes the addition.
    writeUserList(state, state.registry.namesWithout(name));
    state.files.discardNewAccount(name);
    throw;
  }
  // An administrator holds a user in mode strong as its identity only, as after a login.
  if (keys) wipe(state.registry.findAccount(name)->password);
  wipe(state.scratchAccount.password);
}

void deleteAccountFiles(ProgramState& state, std::string_view name) {
  state.files.beginRemoval(name);
  try {
    writeUserList(state, state.registry.namesWithout(name));  // the deletion counts from here
  } catch (const std::runtime_error&) {
    state.files.undoRemoval(name);
    throw;
  }
  if (!state.files.finishRemoval(name)) {
    state.files.undoRemoval(name);
    writeUserList(state, state.registry.names);  // listed again, with its files
    throw std::runtime_error(msg::kWriteFailed);
  }
}

}  // namespace vellumkeep
