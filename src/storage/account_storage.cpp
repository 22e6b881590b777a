#include "storage/working_files.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <utility>

#include "model/messages.h"
#include "storage/config_file.h"
#include "storage/file_io.h"

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

// Loads the account `name` through its working file and files it in the registry; the
// table must be keyed with `name`. With `typed`, stops before the data file and returns
// false when `typed` is not the password kept in the password file.
bool loadAccount(ProgramState& state, std::string_view name,
                 std::optional<std::string_view> typed) {
  ScopedFileRemover workingFile(state.files.workingFile(name));
  state.files.completePendingSave(name);
  std::string stored;
  int32_t mode = state.files.loadPasswordFile(name, stored);
  if (typed && *typed != stored) return false;
  state.files.loadAccountText(mode, name, state.scratchAccount);
  // Moved, not copied: a large store is then never held twice.
  state.registry.loadAccountFromScratch(std::move(state.scratchAccount));
  return true;
}

void writeUserList(ProgramState& state) {
  writeConfig(state.configPath, state.files.dataPath, state.registry.names);
}

}  // namespace

void startUp(ProgramState& state) {
  readConfig(state.configPath, state.files.dataPath, state.registry.names);
  // Plain text left by a run that was killed mid-command goes now, not at the user's login.
  cleanAllWorkingFiles(state);
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

void cleanOperatorWorkingFile(ProgramState& state) {
  removeFile(state.files.workingFile(state.operatorName));
}

void cleanAllWorkingFiles(ProgramState& state) {
  for (const std::string& name : state.registry.names) removeFile(state.files.workingFile(name));
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

void saveNewAccount(ProgramState& state, std::string_view name) {
  OperatorKeyRestorer restorer(state);
  ScopedFileRemover workingFile(state.files.workingFile(name));
  state.registry.copyAccountToScratch(name, state.scratchAccount);
  state.files.keyCodeTable(name);
  try {
    state.files.saveAccount(state.scratchAccount);
    state.files.storePasswordFile(name, Simple, state.scratchAccount.password);
    writeUserList(state);
  } catch (const std::runtime_error&) {
    // Config.ini does not list the account: no file of it may stay behind.
    state.files.removeAccountFiles(name);
    throw;
  }
}

void deleteAccountFiles(ProgramState& state, std::string_view name) {
  std::vector<std::string> remaining = state.registry.names;
  auto listed = std::find(remaining.begin(), remaining.end(), name);
  if (listed != remaining.end()) remaining.erase(listed);
  // Config.ini first: a crash in between leaves orphan files, never a listed user without.
  writeConfig(state.configPath, state.files.dataPath, remaining);
  if (!state.files.removeAccountFiles(name)) {
    writeUserList(state);  // listed again, with its files
    throw std::runtime_error(msg::kWriteFailed);
  }
}

}  // namespace vellumkeep
