// One user's files in the data folder: the data file (account text, plain or coded), the
// password file (coded header behind random filler) and the transient working file, and the
// coding table keyed with the name of the user whose files are handled.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "model/user_account.h"
#include "storage/code_table.h"

namespace vellumkeep {

class UserFiles {
 public:
  UserFiles();

  std::string dataFile(std::string_view name) const;
  std::string passwordFile(std::string_view name) const;
  std::string workingFile(std::string_view name) const;

  void keyCodeTable(std::string_view name) { codeTable_.keyCodeTable(name); }
  const CodeTable& codeTable() const { return codeTable_; }

  // Replaces the password file with the header of `mode` and `password` behind fresh filler,
  // and removes the working file. The table must be keyed with `name`.
  void storePasswordFile(std::string_view name, int32_t mode, std::string_view password);

  // The mode and password kept in the password file. Throws the corruption error when the
  // file is missing or damaged. The table must be keyed with `name`.
  int32_t loadPasswordFile(std::string_view name, std::string& password);

  // The account text of the data file read in `mode` (empty for an unknown mode), also
  // written to the working file. Throws the corruption error when the data file is missing.
  std::string openWorkingFile(int32_t mode, std::string_view name);

  // Writes `account` as account text to its working file and replaces its data file in the
  // account's mode. Coding errors are raised before anything is written.
  void saveAccount(const UserAccount& account);

  // Replaces the data file and the password file of `account` together: after a failure or
  // a crash at any moment, the next load finds both old files or both new ones.
  void saveAccountAndPassword(const UserAccount& account);

  // Finishes or undoes a saveAccountAndPassword that a crash interrupted.
  void completePendingSave(std::string_view name);

  std::string dataPath;  // the data folder: empty, or ending in a path separator

 private:
  // The data file's contents for `text` in `mode`; false for a mode that writes nothing.
  bool dataFileContents(int32_t mode, const std::string& text, std::string& contents) const;
  std::string passwordFileContents(int32_t mode, std::string_view password);

  CodeTable codeTable_;
  std::mt19937 random_;  // filler of the password files
};

}  // namespace vellumkeep
