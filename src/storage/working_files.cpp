#include "storage/working_files.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "storage/account_text.h"
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

// Removes a working file when it leaves scope, also on an error.
class WorkingFileRemover {
 public:
  WorkingFileRemover(ProgramState& state, std::string_view name)
      : path_(state.files.workingFile(name)) {}
  ~WorkingFileRemover() { removeFile(path_); }
  WorkingFileRemover(const WorkingFileRemover&) = delete;
  WorkingFileRemover& operator=(const WorkingFileRemover&) = delete;

 private:
  std::string path_;
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
  WorkingFileRemover remover(state, name);
  state.files.completePendingSave(name);
  std::string stored;
  int32_t mode = state.files.loadPasswordFile(name, stored);
  if (typed && *typed != stored) return false;
  readAccountText(state.files.openWorkingFile(mode, name), state.scratchAccount);
  state.registry.loadAccountFromScratch(state.scratchAccount);
  return true;
}

void writeUserList(ProgramState& state) {
  writeConfig(state.configPath, state.files.dataPath, state.registry.names);
}

}  // namespace

void startUp(ProgramState& state) {
  readConfig(state.configPath, state.files.dataPath, state.registry.names);
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
    if (name == state.operatorAccount().name || state.registry.findAccount(name)) continue;
    state.files.keyCodeTable(name);
    loadAccount(state, name, std::nullopt);
  }
  state.operatorAccount();
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

void saveOperatorChange(ProgramState& state) {
  state.registry.copyAccountToScratch(state.operatorName, state.scratchAccount);
  state.files.saveAccount(state.scratchAccount);
}

void saveOperatorAccount(ProgramState& state) {
  OperatorKeyRestorer restorer(state);
  state.files.keyCodeTable(state.operatorName);
  state.registry.copyAccountToScratch(state.operatorName, state.scratchAccount);
  state.files.saveAccountAndPassword(state.scratchAccount);
}

void saveNewAccount(ProgramState& state, std::string_view name) {
  OperatorKeyRestorer restorer(state);
  WorkingFileRemover remover(state, name);
  state.registry.copyAccountToScratch(name, state.scratchAccount);
  state.files.keyCodeTable(name);
  state.files.saveAccount(state.scratchAccount);
  state.files.storePasswordFile(name, Simple, state.scratchAccount.password);
  writeUserList(state);
}

void deleteAccountFiles(ProgramState& state, std::string_view name) {
  // Config.ini first: a crash in between leaves orphan files, never a listed user without.
  writeUserList(state);
  removeFile(state.files.passwordFile(name));
  removeFile(state.files.dataFile(name));
}

}  // namespace vellumkeep
