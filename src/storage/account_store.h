// The accounts' side of the disk for one run: Config.ini, the users' files in the data folder,
// and the keys of the Operator's files. Moves accounts between their files and the registry:
// start-up, logging in against the files, loading every other user for an administrator, and
// the file steps of each changing command. Sees nothing of the console or the command state.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "model/account_registry.h"
#include "platform/file_system.h"
#include "storage/account_keys.h"
#include "storage/strong_keys.h"
#include "storage/user_files.h"

namespace vellumkeep {

class AccountStore {
 public:
  AccountStore(FileSystem& fs, std::string configPath);

  const std::string& configPath() const { return configPath_; }
  UserFiles& files() { return files_; }
  const UserFiles& files() const { return files_; }

  // Reads Config.ini (the data folder and the names of all users into `registry`) and brings
  // the data folder back to whole file pairs after a run that was killed.
  void startUp(AccountRegistry& registry);

  // True when `name` is listed, `typed` is the password in its password file, and the account
  // loaded from its data file (now registered) carries the same password; the account's keys
  // are then the Operator's. Throws the corruption error for damaged or missing files, for a
  // listed name that breaks the user-name rules (no path is ever built of it), and when the
  // system refuses a strong user's derivation its memory. A refusal costs one key derivation
  // whatever the name, so that its time tells neither which names exist nor their modes.
  bool checkCredentials(AccountRegistry& registry, std::string_view name, std::string_view typed);

  // The derivation that a refused login spends when it derived no key of its own (unknown
  // name, or a wrong password in a mode without derivation), at files().kdfParameters. Tests
  // wrap it to count.
  std::function<SecretBytes(std::string_view, const Salt&, const KdfParameters&)>
      refusalDerivation = deriveKey;

  // True when the Operator's password file says that another account chose its password,
  // which is then to be changed before the session starts.
  bool passwordChangeDue() const { return passwordChangeDue_; }

  // Loads the account of every other listed user: a user in mode strong as its identity only,
  // without its password or credentials. A user that cannot be loaded (see readOtherAccount)
  // is recorded in the registry as damaged instead, and the others are loaded all the same.
  // Throws "操作员异常!" when the Operator is not loaded.
  void loadOtherAccounts(AccountRegistry& registry, std::string_view operatorName);

  // Rewrites the Operator's password file with fresh filler; nothing in mode strong, whose
  // password file holds none.
  void renewPasswordFile(const UserAccount& op);

  // Writes the Operator's data file.
  void saveDataFile(const UserAccount& op);

  // Writes both files of the Operator after a change of its mode or password, with new keys
  // (in mode strong a new salt, so that the old password opens nothing).
  void saveBothFiles(const UserAccount& op);

  // True when the data folder holds a file of the account `name`, which Config.ini does not
  // list. What a deletion or an addition of the name left behind goes first, as the next start
  // would remove it. Throws "文件写入失败!" when the folder cannot tell.
  bool hasFiles(std::string_view name);

  // Writes the files of the newly registered account `name` and Config.ini listing it. On
  // failure the account is neither listed nor has files, and "文件写入失败!" is thrown; when
  // even Config.ini cannot drop the name again, the addition stands (the next start finishes
  // it) and nothing is thrown.
  void addAccountFiles(AccountRegistry& registry, std::string_view name);

  // Writes Config.ini without the account `name` and deletes its files, those of a damaged
  // account too (missing files are no error; a name that breaks the rules only loses its
  // line). On failure the account stays listed with its files, and "文件写入失败!" is thrown; a
  // deletion that counted but could not remove every file, nor be undone, is finished by the
  // next start and reported as done.
  void deleteAccountFiles(const AccountRegistry& registry, std::string_view name);

 private:
  // Renames the new account's files into place; on failure Config.ini drops the name again
  // and the files go, unless Config.ini cannot be written: then the addition stands.
  void placeNewAccount(const AccountRegistry& registry, std::string_view name);
  // Writes Config.ini listing `names`; false when it cannot be written.
  bool rewriteUserList(const std::vector<std::string>& names);
  // The keys of the Operator's files: those of its login, or, in the coded modes, its table.
  const AccountKeys& operatorKeys(const UserAccount& op);
  // Spends refusalDerivation on `typed`, also when it cannot get its memory; false.
  bool refuseLogin(std::string_view typed);
  // The keys of `name`'s files when `typed` opens them; nothing for a wrong password.
  std::optional<AccountKeys> unlockAccount(std::string_view name, const PasswordRecord& record,
                                           std::string_view typed);
  // Reads the account of another user `name` into the scratch account. Throws the corruption
  // error for a name that breaks the rules, missing or damaged files, and a role that its
  // files may not claim.
  void readOtherAccount(std::string_view name);
  void writeUserList(const std::vector<std::string>& names);

  FileSystem& fs_;
  std::string configPath_;  // Config.ini: the data folder and the user list
  UserFiles files_;
  std::optional<AccountKeys> operatorKeys_;
  bool passwordChangeDue_ = false;
  UserAccount scratchAccount_;  // transfer record between the files and the registry
};

}  // namespace vellumkeep
