// One user's files in the data folder: the data file (account text, plain or coded) and the
// password file (coded header behind random filler), and the coding table keyed with the name
// of the user whose files are handled. The account text passes between memory and disk in
// pieces and is never written anywhere but the data file.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "model/user_account.h"
#include "storage/code_table.h"
#include "storage/file_system.h"

namespace vellumkeep {

class UserFiles {
 public:
  explicit UserFiles(FileSystem& fs);

  std::string dataFile(std::string_view name) const;
  std::string passwordFile(std::string_view name) const;
  FileSystem& fileSystem() const { return fs_; }

  void keyCodeTable(std::string_view name) { codeTable_.keyCodeTable(name); }
  const CodeTable& codeTable() const { return codeTable_; }

  // Replaces the password file with the header of `mode` and `password` behind fresh filler.
  // The table must be keyed with `name`. Throws "文件写入失败!".
  void storePasswordFile(std::string_view name, int32_t mode, std::string_view password);

  // The mode and password kept in the password file. Throws the corruption error when the
  // file is missing or damaged. The table must be keyed with `name`.
  int32_t loadPasswordFile(std::string_view name, std::string& password);

  // Loads the account text of the data file, read in `mode`, into `scratch`: the file is read,
  // decoded and parsed a piece at a time, so that neither it nor the text is ever held whole.
  // Throws the corruption error when the data file is missing, the mode unknown or the text
  // damaged.
  void loadAccountText(int32_t mode, std::string_view name, UserAccount& scratch);

  // Replaces the data file with `account` in the account's mode, piece by piece. On a failure
  // (a coding error included) the old data file stays whole.
  void saveAccount(const UserAccount& account);

  // Replaces the data file and the password file of `account` together: after a failure or
  // a crash at any moment, the next start finds both old files or both new ones.
  void saveAccountAndPassword(const UserAccount& account);

  // True when the data file or the password file of `name` exists.
  bool hasFiles(std::string_view name) const;

  // The files of a new account, in three steps around the change of Config.ini that makes it
  // count: writeNewAccount writes both as synced temporaries, commitNewAccount renames them
  // into place (a crash in between is finished at the next start), discardNewAccount removes
  // them and whatever of them was already in place. The table must be keyed with the name.
  void writeNewAccount(const UserAccount& account);
  void commitNewAccount(std::string_view name);
  void discardNewAccount(std::string_view name);

  // The files of an account being deleted, in three steps around the change of Config.ini
  // that makes it count: beginRemoval sets the password file aside (throws "文件写入失败!"),
  // undoRemoval puts it back, finishRemoval removes the data file and the set-aside password
  // file (false when the data file could not be removed). Missing files are no error.
  void beginRemoval(std::string_view name);
  void undoRemoval(std::string_view name);
  bool finishRemoval(std::string_view name);

  std::string dataPath;  // the data folder: empty, or ending in a path separator

 private:
  std::string passwordFileContents(int32_t mode, std::string_view password);
  // Writes `account` in its mode to `data`, a piece at a time; nothing for an unknown mode.
  template <typename DataFile>
  void writeDataFile(const UserAccount& account, DataFile& data) const;

  FileSystem& fs_;
  CodeTable codeTable_;
  std::mt19937 random_;  // filler of the password files
};

}  // namespace vellumkeep
