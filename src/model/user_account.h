// A program user: role, encryption mode, login password and password store.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/encryption_modes.h"
#include "model/password_store.h"

namespace vellumkeep {

// DO NOT CHANGE THESE VALUES: they are stored in the data files and are the bits of the
// permission masks.
enum AccountRole : int32_t {
  SuperAdministrator = 1,
  SystemAdministrator = 2,
  Administrator = 4,
  User = 8,
};

// True for the roles an account may hold: those the registry files accounts by.
inline bool isAccountRole(int32_t role) {
  return role == SystemAdministrator || role == Administrator || role == User;
}

struct UserAccount {
  std::string name;
  int32_t role = 0;         // an AccountRole value, as stored
  int32_t mode = 0;         // an EncryptionMode value, as stored
  int32_t groupCount = 0;   // kept equal to groups.size()
  int32_t lastGroupId = 0;  // only ever increased; ids are never reused
  std::string password;
  std::vector<Group> groups;
};

// A new account without groups.
inline UserAccount makeAccount(std::string name, std::string password, int32_t mode, int32_t role) {
  UserAccount account;
  account.name = std::move(name);
  account.role = role;
  account.mode = mode;
  account.password = std::move(password);
  return account;
}

}  // namespace vellumkeep
