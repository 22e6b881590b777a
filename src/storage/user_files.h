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
#include "storage/file_io.h"

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

  // Loads the account text of the data file, read in `mode`, into `scratch` through the
  // working file: the file is read, decoded, copied to the working file and parsed a piece
  // at a time, so that neither the file nor the text is ever held whole. Throws the
  // corruption error when the data file is missing, the mode unknown or the text short.
  void loadAccountText(int32_t mode, std::string_view name, UserAccount& scratch);

  // Writes `account` as account text to its working file and replaces its data file in the
  // account's mode, piece by piece. On a failure (a coding error included) the old data file
  // stays whole and the working file is removed.
  void saveAccount(const UserAccount& account);

  // Replaces the data file and the password file of `account` together: after a failure or
  // a crash at any moment, the next load finds both old files or both new ones.
  void saveAccountAndPassword(const UserAccount& account);

  // Removes the data file and the password file of `name`, both or, as far as the file
  // system allows, neither: false when they could not be removed. Missing files are no error.
  bool removeAccountFiles(std::string_view name);

  // Finishes or undoes a saveAccountAndPassword that a crash interrupted, and removes the
  // temporaries of an interrupted atomic write.
  void completePendingSave(std::string_view name);

  std::string dataPath;  // the data folder: empty, or ending in a path separator

 private:
  // Writes the account text to the file `working` and, unless null, its coded form to `coded`,
  // piece by piece.
  template <typename DataFile>
  void writeWorkingText(const UserAccount& account, const std::string& working,
                        DataFile* coded) const;
  // Writes the working file and, unless null, the data file `data` (at `dataPath`) in the
  // account's mode, piece by piece.
  template <typename DataFile>
  void writeAccountFiles(const UserAccount& account, const std::string& working, DataFile* data,
                         const std::string& dataPath) const;
  std::string passwordFileContents(int32_t mode, std::string_view password);

  CodeTable codeTable_;
  std::mt19937 random_;  // filler of the password files
};

}  // namespace vellumkeep
