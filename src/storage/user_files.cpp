#include "storage/user_files.h"

#include <stdexcept>

#include "model/messages.h"
#include "storage/account_text.h"
#include "storage/file_io.h"
#include "storage/password_file.h"

namespace vellumkeep {

namespace {

// Suffix of the two new files of saveAccountAndPassword while they wait to be renamed.
constexpr char kPendingSuffix[] = ".pending";

[[noreturn]] void throwCorrupt() {
  throw std::domain_error(msg::kCorruptUserData);
}

std::string readUserFile(const std::string& path) {
  std::string contents;
  if (!readFile(path, contents)) throwCorrupt();
  return contents;
}

}  // namespace

UserFiles::UserFiles() : random_(std::random_device{}()) {}

std::string UserFiles::dataFile(std::string_view name) const {
  return dataPath + std::string(name) + ".usr";
}

std::string UserFiles::passwordFile(std::string_view name) const {
  return dataPath + std::string(name) + ".usrpas";
}

std::string UserFiles::workingFile(std::string_view name) const {
  return dataPath + std::string(name) + ".tmp";
}

std::string UserFiles::passwordFileContents(int32_t mode, std::string_view password) {
  return addFiller(writePasswordHeader(codeTable_, mode, password), random_);
}

void UserFiles::storePasswordFile(std::string_view name, int32_t mode, std::string_view password) {
  writeFileAtomically(passwordFile(name), passwordFileContents(mode, password));
  removeFile(workingFile(name));
}

int32_t UserFiles::loadPasswordFile(std::string_view name, std::string& password) {
  std::string header = dropFiller(readUserFile(passwordFile(name)));
  return readPasswordHeader(codeTable_, header, password);
}

std::string UserFiles::openWorkingFile(int32_t mode, std::string_view name) {
  std::string data = readUserFile(dataFile(name));
  std::string text;
  if (mode == Simple) {
    text = codeTable_.decode(data);
  } else if (mode == Unencrypted) {
    text = std::move(data);
  } else {
    return text;
  }
  writeFilePrivately(workingFile(name), text);
  return text;
}

bool UserFiles::dataFileContents(int32_t mode, const std::string& text,
                                 std::string& contents) const {
  if (mode == Simple) {
    contents = codeTable_.encode(text);
  } else if (mode == Unencrypted) {
    contents = text;
  } else {
    return false;
  }
  return true;
}

void UserFiles::saveAccount(const UserAccount& account) {
  std::string text = writeAccountText(account);
  std::string contents;
  bool known = dataFileContents(account.mode, text, contents);
  writeFilePrivately(workingFile(account.name), text);
  if (known) writeFileAtomically(dataFile(account.name), contents);
}

void UserFiles::saveAccountAndPassword(const UserAccount& account) {
  const std::string& name = account.name;
  std::string text = writeAccountText(account);
  std::string data;
  bool known = dataFileContents(account.mode, text, data);
  std::string password = passwordFileContents(account.mode, account.password);
  writeFilePrivately(workingFile(name), text);
  std::string pendingData = dataFile(name) + kPendingSuffix;
  std::string pendingPassword = passwordFile(name) + kPendingSuffix;
  try {
    // Both new files are whole on disk before either replaces an old one; the rename of
    // the data file is the moment the new pair counts (see completePendingSave).
    if (known) writeFileDurably(pendingData, data);
    writeFileDurably(pendingPassword, password);
    if (known) renameFile(pendingData, dataFile(name));
  } catch (const std::runtime_error&) {
    removeFile(pendingData);
    removeFile(pendingPassword);
    throw;
  }
  renameFile(pendingPassword, passwordFile(name));
  removeFile(workingFile(name));
}

void UserFiles::completePendingSave(std::string_view name) {
  std::string pendingData = dataFile(name) + kPendingSuffix;
  std::string pendingPassword = passwordFile(name) + kPendingSuffix;
  if (fileExists(pendingData)) {
    // Interrupted before the new pair counted: the old files stand.
    removeFile(pendingData);
    removeFile(pendingPassword);
  } else if (fileExists(pendingPassword)) {
    renameFile(pendingPassword, passwordFile(name));
  }
}

}  // namespace vellumkeep
