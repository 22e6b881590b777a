#include "bench/bench_data.h"

#include <cstdio>

namespace vellumkeep::bench {

namespace {

constexpr char kPasswordCharacters[] =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_1234567890@.~!#$%^&*()-=+/";

std::string numbered(const char* format, int index) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, index);
  return buffer;
}

// A password of 12 characters that looks random and differs for every index.
std::string benchPassword(int index) {
  uint32_t state = 2654435761u * static_cast<uint32_t>(index + 1);
  std::string password;
  for (int i = 0; i < 12; ++i) {
    state = state * 1664525u + 1013904223u;
    password.push_back(kPasswordCharacters[(state >> 24) % (sizeof kPasswordCharacters - 1)]);
  }
  return password;
}

}  // namespace

std::string benchGroupName(int index) {
  return numbered("group%04d", index);
}

std::string benchEntryAccount(int index) {
  return numbered("name%06d@mail.com", index);
}

UserAccount makeBenchAccount(const std::string& name, const std::string& password, int32_t mode,
                             int32_t role, int credentials) {
  UserAccount account = makeAccount(name, password, mode, role);
  for (int first = 0; first < credentials; first += kEntriesPerGroup) {
    Group group;
    group.id = ++account.lastGroupId;
    group.name = benchGroupName(first / kEntriesPerGroup);
    for (int i = first; i < credentials && i < first + kEntriesPerGroup; ++i) {
      group.entries.push_back(
          PasswordEntry{benchEntryAccount(i), benchPassword(i),
                        numbered("url www.site%06d.com user u", i) + numbered("%06d", i)});
    }
    group.entryCount = static_cast<int32_t>(group.entries.size());
    account.groups.push_back(std::move(group));
  }
  account.groupCount = static_cast<int32_t>(account.groups.size());
  return account;
}

}  // namespace vellumkeep::bench
