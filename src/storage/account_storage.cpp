#include "storage/account_storage.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <utility>

#include "model/messages.h"
#include "model/name_rules.h"
#include "storage/config_file.h"
#include "storage/file_io.h"
#include "storage/folder_recovery.h"

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

// Loads the account `name` and files it in the registry; the table must be keyed with `name`.
// With `typed`, stops before the data file and returns false when `typed` is not the password
// kept in the password file.
bool loadAccount(ProgramState& state, std::string_view name,
                 std::optional<std::string_view> typed) {
  // A hand-edited Config.ini may name anything; only a valid name may become a path.
  if (!isUsableName(name)) throw std::domain_error(msg::kCorruptUserData);
  std::string stored;
  int32_t mode = state.files.loadPasswordFile(name, stored);
  if (typed && *typed != stored) return false;
  state.files.loadAccountText(mode, name, state.scratchAccount);
  // Moved, not copied: a large store is then never held twice.
  state.registry.loadAccountFromScratch(std::move(state.scratchAccount));
  return true;
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
  if (!loadAccount(state, name, typed)) return false;
  const UserAccount* account = state.registry.findAccount(name);
  return account && account->password == typed;
}

void loadOtherAccounts(ProgramState& state) {
  OperatorKeyRestorer restorer(state);
  for (size_t i = 0; i < state.registry.names.size(); ++i) {
    const std::string name = state.registry.names[i];
    if (name == state.operatorName || state.registry.findAccount(name)) continue;
    state.files.keyCodeTable(name);
    loadAccount(state, name, std::nullopt);
  }
  state.operatorAccount();  // throws when the Operator is not among the loaded accounts
}

void saveOperatorCredentials(ProgramState& state) {
  const UserAccount& account = state.operatorAccount();
  state.files.storePasswordFile(account.name, account.mode, account.password);
}

// The Operator's saves write the text straight from the registry's account: a copy into the
// scratch account first would hold a large store twice and cost as much as the writing.
void saveOperatorChange(ProgramState& state) {
  state.files.saveAccount(state.operatorAccount());
}

void saveOperatorAccount(ProgramState& state) {
  OperatorKeyRestorer restorer(state);
  state.files.keyCodeTable(state.operatorName);
  state.files.saveAccountAndPassword(state.operatorAccount());
}

bool hasAccountFiles(ProgramState& state, std::string_view name) {
  return state.files.hasFiles(name);
}

void saveNewAccount(ProgramState& state, std::string_view name) {
  OperatorKeyRestorer restorer(state);
  state.registry.copyAccountToScratch(name, state.scratchAccount);
  state.files.keyCodeTable(name);
  try {
    state.files.writeNewAccount(state.scratchAccount);
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
