// The program's users: every known name, and the accounts loaded into memory.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/user_account.h"

namespace vellumkeep {

inline constexpr char kRootName[] = "root";
inline constexpr char kSystemName[] = "system";

class AccountRegistry {
 public:
  // Every user name that has data files, in Config.ini order; may name unloaded accounts.
  std::vector<std::string> names;
  // Loaded accounts of role SystemAdministrator or Administrator.
  std::vector<UserAccount> administrators;
  // Loaded accounts of role User.
  std::vector<UserAccount> users;
  // Listed names whose accounts could not be loaded (files missing or damaged, a role the
  // files may not claim, a name that breaks the rules), in the order found. No look-up finds
  // them; only their removal does.
  std::vector<std::string> damaged;

  // Look-ups return null when absent. A pointer is valid until its sequence next changes.
  const UserAccount* findAdministrator(std::string_view name) const;
  const UserAccount* findUser(std::string_view name) const;
  // findUser, then findAdministrator.
  const UserAccount* findAccount(std::string_view name) const;
  UserAccount* findAdministrator(std::string_view name) {
    return mutableOf(std::as_const(*this).findAdministrator(name));
  }
  UserAccount* findUser(std::string_view name) {
    return mutableOf(std::as_const(*this).findUser(name));
  }
  UserAccount* findAccount(std::string_view name) {
    return mutableOf(std::as_const(*this).findAccount(name));
  }

  // The account of `operatorName`; throws "操作员异常!" when it is not loaded.
  UserAccount& operatorAccount(std::string_view operatorName);

  // True when an account of that name is loaded or the name is listed.
  bool isNameTaken(std::string_view name) const;

  // True when `name` is recorded as damaged.
  bool isDamaged(std::string_view name) const;
  // Records `name` as damaged, once.
  void markDamaged(std::string_view name);

  // `names` without the first occurrence of `name`, as Config.ini lists them once the account
  // is gone.
  std::vector<std::string> namesWithout(std::string_view name) const;

  // Appends the name to `names` and files a copy of the account by its role.
  void registerAccount(const UserAccount& account);

  // Throws the refusal of removeAccount for `name`, if any.
  void checkRemovable(std::string_view name);

  // Removes a loaded or damaged account and one occurrence of its name. Refuses "root",
  // "system" and names without a loaded or damaged account, changing nothing.
  void removeAccount(std::string_view name);

  // Files a copy of `scratch` by its role (2 or 4: administrators, 8: users, else nowhere).
  void loadAccountFromScratch(const UserAccount& scratch);
  // As above, moving the account out of `scratch`, which is left empty.
  void loadAccountFromScratch(UserAccount&& scratch);

  // Copies the loaded account `name` into `scratch`; it must be loaded.
  void copyAccountToScratch(std::string_view name, UserAccount& scratch);

 private:
  // A found account of this registry, as the non-const finders hand it out.
  static UserAccount* mutableOf(const UserAccount* account) {
    return const_cast<UserAccount*>(account);
  }
};

}  // namespace vellumkeep
