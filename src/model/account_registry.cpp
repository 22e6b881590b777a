#include "model/account_registry.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "model/messages.h"

namespace vellumkeep {

namespace {

const UserAccount* findIn(const std::vector<UserAccount>& accounts, std::string_view name) {
  auto it = std::find_if(accounts.begin(), accounts.end(),
                         [&](const UserAccount& a) { return a.name == name; });
  return it == accounts.end() ? nullptr : &*it;
}

void eraseFirstName(std::vector<std::string>& names, std::string_view name) {
  auto it = std::find(names.begin(), names.end(), name);
  if (it != names.end()) names.erase(it);
}

void eraseAccount(std::vector<UserAccount>& accounts, const UserAccount* account) {
  accounts.erase(accounts.begin() + (account - accounts.data()));
}

}  // namespace

const UserAccount* AccountRegistry::findAdministrator(std::string_view name) const {
  return findIn(administrators, name);
}

const UserAccount* AccountRegistry::findUser(std::string_view name) const {
  return findIn(users, name);
}

const UserAccount* AccountRegistry::findAccount(std::string_view name) const {
  if (const UserAccount* user = findUser(name)) return user;
  return findAdministrator(name);
}

UserAccount& AccountRegistry::operatorAccount(std::string_view operatorName) {
  UserAccount* account = findAccount(operatorName);
  if (!account) throw std::runtime_error(msg::kOperatorMissing);
  return *account;
}

bool AccountRegistry::isNameTaken(std::string_view name) const {
  return findUser(name) || findAdministrator(name) ||
         std::find(names.begin(), names.end(), name) != names.end();
}

bool AccountRegistry::isDamaged(std::string_view name) const {
  return std::find(damaged.begin(), damaged.end(), name) != damaged.end();
}

void AccountRegistry::markDamaged(std::string_view name) {
  if (!isDamaged(name)) damaged.emplace_back(name);
}

std::vector<std::string> AccountRegistry::namesWithout(std::string_view name) const {
  std::vector<std::string> remaining = names;
  eraseFirstName(remaining, name);
  return remaining;
}

void AccountRegistry::registerAccount(const UserAccount& account) {
  names.push_back(account.name);
  loadAccountFromScratch(account);
}

void AccountRegistry::checkRemovable(std::string_view name) {
  if (name == kRootName) throw std::runtime_error(msg::kCannotDeleteRoot);
  if (name == kSystemName) throw std::runtime_error(msg::kCannotDeleteSystem);
  if (!findAccount(name) && !isDamaged(name)) throw std::runtime_error(msg::kNoSuchUser);
}

void AccountRegistry::removeAccount(std::string_view name) {
  checkRemovable(name);
  eraseFirstName(names, name);
  if (UserAccount* user = findUser(name)) {
    eraseAccount(users, user);
  } else if (UserAccount* administrator = findAdministrator(name)) {
    eraseAccount(administrators, administrator);
  } else {
    eraseFirstName(damaged, name);
  }
}

void AccountRegistry::loadAccountFromScratch(const UserAccount& scratch) {
  loadAccountFromScratch(UserAccount(scratch));
}

void AccountRegistry::loadAccountFromScratch(UserAccount&& scratch) {
  if (scratch.role == SystemAdministrator || scratch.role == Administrator) {
    administrators.push_back(std::move(scratch));
  } else if (scratch.role == User) {
    users.push_back(std::move(scratch));
  }
  scratch = UserAccount();
}

void AccountRegistry::copyAccountToScratch(std::string_view name, UserAccount& scratch) {
  scratch = *findAccount(name);
}

}  // namespace vellumkeep
