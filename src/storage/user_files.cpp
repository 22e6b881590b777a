#include "storage/user_files.h"

#include <stdexcept>

#include "model/messages.h"
#include "platform/secret_memory.h"
#include "storage/account_text.h"
#include "storage/corruption.h"
#include "storage/data_file.h"
#include "storage/file_io.h"
#include "storage/file_names.h"
#include "storage/password_file.h"
#include "storage/strong_format.h"

namespace vellumkeep {

UserFiles::UserFiles(FileSystem& fs) : fs_(fs), random_(std::random_device{}()) {}

std::string UserFiles::dataFile(std::string_view name) const {
  return dataPath + std::string(name) + std::string(kDataExtension);
}

std::string UserFiles::passwordFile(std::string_view name) const {
  return dataPath + std::string(name) + std::string(kPasswordExtension);
}

std::string UserFiles::passwordFileContents(const UserAccount& account, const AccountKeys& keys,
                                            bool chosenByOther) {
  if (const CodeTable* table = keys.table()) {
    return addFiller(writePasswordHeader(*table, account.mode, account.password), random_);
  }
  return writeStrongPasswordFile(passwordFileOf(*keys.strong(), chosenByOther));
}

void UserFiles::storePasswordFile(const UserAccount& account, const AccountKeys& keys) {
  writeFileAtomically(fs_, passwordFile(account.name), passwordFileContents(account, keys));
}

PasswordRecord UserFiles::loadPasswordFile(std::string_view name) const {
  std::string file;
  if (!readFile(fs_, passwordFile(name), file)) throwCorruptUserData();
  PasswordRecord record;
  if (isStrongFile(file)) {
    record.mode = Strong;
    record.strong = readStrongPasswordFile(file);
  } else {
    const AccountKeys keys = AccountKeys::coded(name);
    record.mode = readPasswordHeader(*keys.table(), dropFiller(file), record.password);
  }
  return record;
}

std::optional<AccountKeys> UserFiles::unlock(std::string_view name, const PasswordRecord& record,
                                             std::string_view typed) const {
  if (!record.strong) {
    if (!samePassword(typed, record.password)) return std::nullopt;
    return AccountKeys::coded(name);
  }
  StrongKeys keys = deriveStrongKeys(typed, record.strong->salt, record.strong->params);
  if (!verifyPassword(keys, *record.strong)) return std::nullopt;
  return AccountKeys(std::move(keys));
}

void UserFiles::loadAccountText(int32_t mode, std::string_view name, const AccountKeys& keys,
                                UserAccount& scratch) {
  DataFileReader data(fs_, dataFile(name), mode, keys, name);
  UserAccount account;
  readAccountText(
      [&](std::string& piece) {
        while (data.next(piece)) {
          if (!piece.empty()) return true;
        }
        return false;
      },
      data.sizeHint(), account);
  data.finish(account);
  scratch = std::move(account);
}

UserAccount UserFiles::loadStrongIdentity(std::string_view name) {
  const StrongDataHeader header = readStrongHeader(fs_, dataFile(name));
  if (header.identity.name != name) throwCorruptUserData();
  UserAccount account;
  account.name = header.identity.name;
  account.role = header.identity.role;
  account.mode = Strong;
  return account;
}

AccountKeys UserFiles::makeKeys(const UserAccount& account) const {
  if (account.mode != Strong) return AccountKeys::coded(account.name);
  return AccountKeys(deriveStrongKeys(account.password, randomSalt(), kdfParameters));
}

template <typename DataFile>
void UserFiles::writeData(const UserAccount& account, const AccountKeys& keys, DataFile& data) {
  writeDataFile(account, keys, sealingMemory_, [&](std::string_view piece) { data.write(piece); });
}

void UserFiles::saveAccount(const UserAccount& account, const AccountKeys& keys) {
  if (!isKnownMode(account.mode)) return;
  AtomicFileWriter data(fs_, dataFile(account.name));
  writeData(account, keys, data);
  data.commit();
}

void UserFiles::saveAccountAndPassword(const UserAccount& account, const AccountKeys& keys) {
  const std::string& name = account.name;
  const bool known = isKnownMode(account.mode);
  std::string password = passwordFileContents(account, keys);
  const std::string pendingData = dataFile(name) + std::string(kPendingSuffix);
  const std::string pendingPassword = passwordFile(name) + std::string(kPendingSuffix);
  {
    // Both new files are whole on disk before either replaces an old one; the rename of
    // the data file is the moment the new pair counts (see recoverDataFolder). On failure the
    // new data file goes last: while it is there, the next start knows the pair did not count.
    ScopedFileRemover onFailure(fs_, {pendingPassword, pendingData});
    if (known) {
      FileWriter data(fs_, pendingData);
      writeData(account, keys, data);
      data.finish();
    }
    writeFileDurably(fs_, pendingPassword, password);
    if (known) renameFile(fs_, pendingData, dataFile(name));
    onFailure.keep();
  }
  // The new pair counts from here: should this rename fail, the next start finishes it.
  static_cast<void>(moveFile(fs_, pendingPassword, passwordFile(name)));
}

std::vector<std::string> UserFiles::firstLines(int32_t mode, std::string_view name,
                                               const AccountKeys& keys, std::size_t count) const {
  DataFileReader data(fs_, dataFile(name), mode, keys, name);
  std::vector<std::string> lines(1);
  std::string piece;
  while (lines.size() <= count && data.next(piece)) {
    for (const char c : piece) {
      if (lines.size() > count) break;
      if (c == '\n') {
        lines.emplace_back();
      } else {
        lines.back() += c;
      }
    }
    wipe(piece);
  }
  lines.pop_back();  // the line not yet ended
  return lines;
}

bool UserFiles::hasFiles(std::string_view name) const {
  for (std::string_view suffix : kUserFileSuffixes) {
    const Presence presence = fs_.exists(dataPath + std::string(name) + std::string(suffix));
    if (presence == Presence::kUnknown) throw std::runtime_error(msg::kWriteFailed);
    if (presence == Presence::kPresent) return true;
  }
  return false;
}

bool UserFiles::belongsToDataFile(std::string_view name, const std::string& passwordPath) const {
  std::string file;
  if (!readFile(fs_, passwordPath, file)) return false;
  try {
    if (isStrongFile(file)) {
      const StrongPasswordFile check = readStrongPasswordFile(file);
      const StrongDataHeader header = readStrongHeader(fs_, dataFile(name));
      return header.identity.name == name && header.salt == check.salt &&
             header.params == check.params;
    }
    const AccountKeys keys = AccountKeys::coded(name);
    std::string password;
    const int32_t mode = readPasswordHeader(*keys.table(), dropFiller(file), password);
    // The text begins: name, password, role, mode.
    std::vector<std::string> lines = firstLines(mode, name, keys, 4);
    const bool same = lines.size() == 4 && lines[0] == name && samePassword(lines[1], password) &&
                      lines[3] == std::to_string(mode);
    wipe(password);
    for (std::string& line : lines) wipe(line);
    return same;
  } catch (const std::domain_error&) {
    return false;  // damaged
  } catch (const std::runtime_error&) {
    return false;  // a coding the table refuses
  }
}

void UserFiles::writeNewAccount(const UserAccount& account, const AccountKeys& keys,
                                bool chosenByOther) {
  const std::string& name = account.name;
  ScopedFileRemover dataOnFailure(fs_, atomicTemporaryOf(dataFile(name)));
  ScopedFileRemover passwordOnFailure(fs_, atomicTemporaryOf(passwordFile(name)));
  FileWriter data(fs_, dataOnFailure.path());
  writeData(account, keys, data);
  data.finish();
  writeFileDurably(fs_, passwordOnFailure.path(),
                   passwordFileContents(account, keys, chosenByOther));
  // The temporaries must be on disk before Config.ini names the account.
  if (!fs_.syncFolder(folderOf(dataFile(name)))) throw std::runtime_error(msg::kWriteFailed);
  dataOnFailure.keep();
  passwordOnFailure.keep();
}

void UserFiles::commitNewAccount(std::string_view name) {
  renameFile(fs_, atomicTemporaryOf(passwordFile(name)), passwordFile(name));
  renameFile(fs_, atomicTemporaryOf(dataFile(name)), dataFile(name));
}

void UserFiles::discardNewAccount(std::string_view name) {
  // The name had no files before, so whatever of them is in place is the new account's own.
  const std::string data = dataFile(name);
  const std::string password = passwordFile(name);
  removeFilesInOrder(fs_, {atomicTemporaryOf(password), password, data, atomicTemporaryOf(data)});
}

void UserFiles::beginRemoval(std::string_view name) {
  const std::string password = passwordFile(name);
  const Presence presence = fs_.exists(password);
  if (presence == Presence::kUnknown) throw std::runtime_error(msg::kWriteFailed);
  if (presence == Presence::kPresent) {
    renameFile(fs_, password, password + std::string(kRemovedSuffix));
  }
}

void UserFiles::undoRemoval(std::string_view name) {
  const std::string password = passwordFile(name);
  const std::string setAside = password + std::string(kRemovedSuffix);
  if (fs_.exists(setAside) != Presence::kAbsent) {
    static_cast<void>(moveFile(fs_, setAside, password));
  }
}

bool UserFiles::finishRemoval(std::string_view name) {
  if (!fs_.removeFile(dataFile(name))) return false;
  // Should the mark stay, the next start, or the next account of this name, removes it.
  fs_.removeFile(passwordFile(name) + std::string(kRemovedSuffix));
  return true;
}

}  // namespace vellumkeep
