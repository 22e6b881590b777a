// The users' files in the data folder: each user's data file (the account text, plain, coded or
// sealed) and password file (in modes unencrypted and simple the coded mode and password
// behind random filler; in mode strong what checks a password), each read and written with the
// account's own keys. The account text passes between memory and disk in pieces and is never
// written anywhere but the data file.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "model/user_account.h"
#include "platform/file_system.h"
#include "storage/account_keys.h"
#include "storage/strong_data_file.h"
#include "storage/strong_keys.h"
#include "storage/strong_password_file.h"

namespace vellumkeep {

// What a password file holds.
struct PasswordRecord {
  int32_t mode = 0;                          // the mode of the data file
  std::string password;                      // modes unencrypted and simple: the password
  std::optional<StrongPasswordFile> strong;  // mode strong: what checks a password
};

class UserFiles {
 public:
  explicit UserFiles(FileSystem& fs);

  std::string dataFile(std::string_view name) const;
  std::string passwordFile(std::string_view name) const;
  FileSystem& fileSystem() const { return fs_; }

  // What the password file of `name` holds. Throws the corruption error when the file is
  // missing or damaged.
  PasswordRecord loadPasswordFile(std::string_view name) const;

  // The keys of the files of `name` when `typed` is the password that `record`, its password
  // file, holds; none when it is not. In mode strong one key derivation: it checks the
  // password and gives the key that opens the data file.
  std::optional<AccountKeys> unlock(std::string_view name, const PasswordRecord& record,
                                    std::string_view typed) const;

  // Loads the account text of the data file, read in `mode` with `keys`, into `scratch`: the
  // file is read, decoded or opened, and parsed a piece at a time. Throws the corruption error
  // when the data file is missing, the mode unknown or not that of the keys, or the file
  // damaged.
  void loadAccountText(int32_t mode, std::string_view name, const AccountKeys& keys,
                       UserAccount& scratch);

  // The identity (name, role, mode strong) of a user in mode strong, from the data file's
  // header: no key needed, and no password or credential read. Throws the corruption error.
  UserAccount loadStrongIdentity(std::string_view name);

  // The keys for writing the files of `account` anew: in mode strong derived from its password
  // with a fresh salt (one key derivation), otherwise the table keyed with its name.
  AccountKeys makeKeys(const UserAccount& account) const;

  // Replaces the password file of an account in mode unencrypted or simple with its mode and
  // password behind fresh filler. Throws "文件写入失败!".
  void storePasswordFile(const UserAccount& account, const AccountKeys& keys);

  // Replaces the data file with `account` in the account's mode, piece by piece. On a failure
  // (a coding error included) the old data file stays whole.
  void saveAccount(const UserAccount& account, const AccountKeys& keys);

  // Replaces the data file and the password file of `account` together: after a failure or
  // a crash at any moment, the next start finds both old files or both new ones.
  void saveAccountAndPassword(const UserAccount& account, const AccountKeys& keys);

  // True when the data folder holds any file of `name` (kUserFileSuffixes): its data file,
  // its password file, or a leftover of a change. Throws "文件写入失败!" when a check cannot
  // tell.
  bool hasFiles(std::string_view name) const;

  // True when the password file at `passwordPath` belongs to the data file of `name`: in mode
  // strong both carry the same salt, in the other modes the data file's text begins with the
  // name, the password and the mode that the password file holds. False for a file that is
  // missing or damaged, or does not belong.
  bool belongsToDataFile(std::string_view name, const std::string& passwordPath) const;

  // The files of a new account, in three steps around the change of Config.ini that makes it
  // count: writeNewAccount writes both as synced temporaries, commitNewAccount renames them
  // into place (a crash in between is finished at the next start), discardNewAccount removes
  // them and whatever of them was already in place, the new data file last, as the mark of an
  // addition that the next start undoes (it stops at a file that cannot be removed).
  // In mode strong a password that another account chose is marked so in the password file,
  // and is to be changed at the account's next login.
  void writeNewAccount(const UserAccount& account, const AccountKeys& keys,
                       bool chosenByOther = false);
  void commitNewAccount(std::string_view name);
  void discardNewAccount(std::string_view name);

  // The files of an account being deleted, in three steps around the change of Config.ini
  // that makes it count: beginRemoval sets the password file aside (throws "文件写入失败!",
  // also when it cannot tell whether the file is there), undoRemoval puts it back,
  // finishRemoval removes the data file and then the set-aside password file, the mark of a
  // removal that the next start finishes (false when the data file could not be removed; the
  // mark stays then). Missing files are no error.
  void beginRemoval(std::string_view name);
  void undoRemoval(std::string_view name);
  bool finishRemoval(std::string_view name);

  std::string dataPath;  // the data folder: empty, or ending in a path separator
  // The cost of the key derivation for new keys in mode strong. Tests lower it; the program
  // always uses the default.
  KdfParameters kdfParameters = kDefaultKdfParameters;

 private:
  // The password file of `account` in its mode.
  std::string passwordFileContents(const UserAccount& account, const AccountKeys& keys,
                                   bool chosenByOther = false);
  // The first `count` lines of the text of the data file of `name`, read in `mode` with
  // `keys`; fewer when the text ends before. Throws the corruption error.
  std::vector<std::string> firstLines(int32_t mode, std::string_view name, const AccountKeys& keys,
                                      std::size_t count) const;
  // Writes `account` in its mode to `data`, a piece at a time.
  template <typename DataFile>
  void writeData(const UserAccount& account, const AccountKeys& keys, DataFile& data);

  FileSystem& fs_;
  std::mt19937 random_;  // filler of the password files
  // What saves in mode strong seal in: made at the first, kept for the session.
  std::optional<StrongSealingMemory> sealingMemory_;
};

}  // namespace vellumkeep
