#include "storage/account_store.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <utility>

#include "model/messages.h"
#include "model/name_rules.h"
#include "platform/secret_memory.h"
#include "storage/config_file.h"
#include "storage/corruption.h"
#include "storage/file_io.h"
#include "storage/folder_recovery.h"

namespace vellumkeep {

namespace {

bool isListed(const AccountRegistry& registry, std::string_view name) {
  const auto& names = registry.names;
  return std::find(names.begin(), names.end(), name) != names.end();
}

// A hand-edited Config.ini may name anything; only a valid name may become a path.
void requireUsableName(std::string_view name) {
  if (!isUsableName(name)) throwCorruptUserData();
}

// Whether the role an account read from its files claims is one it may hold. A strong header
// is read without the key, so nothing vouches for its role: there the system administrator's
// role is believed of root alone.
bool claimsAllowedRole(const UserAccount& account, bool fromStrongHeader) {
  if (!fromStrongHeader) return isAccountRole(account.role);
  return account.role == User || account.role == Administrator ||
         (account.role == SystemAdministrator && account.name == kRootName);
}

}  // namespace

AccountStore::AccountStore(FileSystem& fs, std::string configPath)
    : fs_(fs), configPath_(std::move(configPath)), files_(fs) {}

void AccountStore::writeUserList(const std::vector<std::string>& names) {
  writeConfig(fs_, configPath_, files_.dataPath, names);
}

const AccountKeys& AccountStore::operatorKeys(const UserAccount& op) {
  if (!operatorKeys_) {
    if (op.mode == Strong) throw std::logic_error("the Operator's keys come from its login");
    operatorKeys_ = AccountKeys::coded(op.name);
  }
  return *operatorKeys_;
}

void AccountStore::startUp(AccountRegistry& registry) {
  readConfig(fs_, configPath_, files_.dataPath, registry.names);
  // Config.ini is replaced through a temporary too; the old file stands.
  fs_.removeFile(atomicTemporaryOf(configPath_));
  recoverDataFolder(files_, configPath_, registry.names);
}

bool AccountStore::refuseLogin(std::string_view typed) {
  try {
    refusalDerivation(typed, Salt{}, files_.kdfParameters);
  } catch (const std::bad_alloc&) {
    // Short of memory the refusal stands all the same; it only comes sooner.
  }
  return false;
}

std::optional<AccountKeys> AccountStore::unlockAccount(std::string_view name,
                                                       const PasswordRecord& record,
                                                       std::string_view typed) {
  try {
    // In mode strong one derivation checks the password and gives the key of the data file.
    return files_.unlock(name, record, typed);
  } catch (const std::bad_alloc&) {
    // Parameters within the bounds may still ask more memory than this system gives.
    throwCorruptUserData();
  }
}

bool AccountStore::checkCredentials(AccountRegistry& registry, std::string_view name,
                                    std::string_view typed) {
  if (!isListed(registry, name)) return refuseLogin(typed);
  requireUsableName(name);
  const PasswordRecord record = files_.loadPasswordFile(name);
  std::optional<AccountKeys> keys = unlockAccount(name, record, typed);
  if (!keys) return record.strong ? false : refuseLogin(typed);
  files_.loadAccountText(record.mode, name, *keys, scratchAccount_);
  // Moved, not copied: a large store is then never held twice.
  registry.loadAccountFromScratch(std::move(scratchAccount_));
  const UserAccount* account = registry.findAccount(name);
  if (!account || !samePassword(typed, account->password)) return false;
  operatorKeys_ = std::move(keys);
  passwordChangeDue_ = record.strong && record.strong->chosenByOther;
  return true;
}

void AccountStore::loadOtherAccounts(AccountRegistry& registry, std::string_view operatorName) {
  for (size_t i = 0; i < registry.names.size(); ++i) {
    const std::string name = registry.names[i];
    if (name == operatorName || registry.findAccount(name) || registry.isDamaged(name)) continue;
    // One damaged account must not hide the others: it is recorded, and loading goes on.
    try {
      readOtherAccount(name);
    } catch (const std::domain_error&) {
      registry.markDamaged(name);
      continue;
    }
    registry.loadAccountFromScratch(std::move(scratchAccount_));
  }
  registry.operatorAccount(operatorName);  // throws when the Operator is not loaded
}

void AccountStore::readOtherAccount(std::string_view name) {
  requireUsableName(name);
  const PasswordRecord record = files_.loadPasswordFile(name);
  if (record.strong) {
    scratchAccount_ = files_.loadStrongIdentity(name);
  } else {
    files_.loadAccountText(record.mode, name, AccountKeys::coded(name), scratchAccount_);
  }
  if (!claimsAllowedRole(scratchAccount_, record.strong.has_value())) {
    scratchAccount_ = UserAccount();
    throwCorruptUserData();
  }
}

void AccountStore::renewPasswordFile(const UserAccount& op) {
  if (op.mode == Strong) return;
  files_.storePasswordFile(op, operatorKeys(op));
}

// The Operator's saves write the text straight from the registry's account: a copy into the
// scratch account first would hold a large store twice and cost as much as the writing.
void AccountStore::saveDataFile(const UserAccount& op) {
  files_.saveAccount(op, operatorKeys(op));
}

void AccountStore::saveBothFiles(const UserAccount& op) {
  AccountKeys keys = files_.makeKeys(op);
  files_.saveAccountAndPassword(op, keys);
  operatorKeys_ = std::move(keys);
  passwordChangeDue_ = false;  // the password file no longer says that another chose it
}

bool AccountStore::hasFiles(std::string_view name) {
  recoverUnlistedName(files_, name);
  return files_.hasFiles(name);
}

void AccountStore::addAccountFiles(AccountRegistry& registry, std::string_view name) {
  registry.copyAccountToScratch(name, scratchAccount_);
  const UserAccount& account = scratchAccount_;
  const AccountKeys keys = files_.makeKeys(account);
  try {
    // The Operator chose the new account's password.
    files_.writeNewAccount(account, keys, true);
    writeUserList(registry.names);  // the account counts from here
  } catch (const std::runtime_error&) {
    files_.discardNewAccount(name);  // what stays, the next start removes
    throw;
  }
  placeNewAccount(registry, name);
  // An administrator holds a user in mode strong as its identity only, as after a login.
  if (keys.strong()) wipe(registry.findAccount(name)->password);
  wipe(scratchAccount_.password);
}

void AccountStore::placeNewAccount(const AccountRegistry& registry, std::string_view name) {
  try {
    files_.commitNewAccount(name);
  } catch (const std::runtime_error&) {
    // Should Config.ini keep the name after all, the addition stands: the next start
    // finishes it.
    if (!rewriteUserList(registry.namesWithout(name))) return;
    files_.discardNewAccount(name);  // what stays, the next start removes
    throw;
  }
}

void AccountStore::deleteAccountFiles(const AccountRegistry& registry, std::string_view name) {
  // A listed name that breaks the rules has no files that a path may be built for.
  if (!isUsableName(name)) {
    writeUserList(registry.namesWithout(name));
    return;
  }
  files_.beginRemoval(name);
  try {
    writeUserList(registry.namesWithout(name));  // the deletion counts from here
  } catch (const std::runtime_error&) {
    files_.undoRemoval(name);  // should this fail, the next start puts the file back
    throw;
  }
  if (files_.finishRemoval(name)) return;
  // The data file stays. The account is listed again before its password file comes back:
  // until then the set-aside file marks a deletion that counted, which the next start
  // finishes; so it stands when Config.ini cannot be written.
  if (!rewriteUserList(registry.names)) return;
  files_.undoRemoval(name);  // should this fail, the next start puts the file back
  throw std::runtime_error(msg::kWriteFailed);
}

bool AccountStore::rewriteUserList(const std::vector<std::string>& names) {
  try {
    writeUserList(names);
    return true;
  } catch (const std::runtime_error&) {
    return false;
  }
}

}  // namespace vellumkeep
