// A user's password store: named groups of credentials, each with (type, content) info words.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vellumkeep {

// One credential. The three fields share one allocation: a store holds hundreds of
// thousands of entries, and three strings each would take about twice their text.
class PasswordEntry {
 public:
  PasswordEntry() = default;
  // Throws std::length_error when the fields together exceed 4 GiB.
  PasswordEntry(std::string_view account, std::string_view password, std::string_view info);

  std::string_view account() const { return std::string_view(fields_).substr(0, passwordAt_); }
  std::string_view password() const {
    return std::string_view(fields_).substr(passwordAt_, infoAt_ - passwordAt_);
  }
  // type, content, type, content... separated by whitespace
  std::string_view info() const { return std::string_view(fields_).substr(infoAt_); }

 private:
  std::string fields_;  // account, password and info, one after the other
  uint32_t passwordAt_ = 0;
  uint32_t infoAt_ = 0;
};

struct Group {
  int32_t id = 0;
  int32_t entryCount = 0;  // kept equal to entries.size()
  std::string name;        // key within its account
  std::vector<PasswordEntry> entries;
};

// One (type, content) pair of an entry's info.
struct InfoField {
  std::string type;
  std::string content;
};

struct UserAccount;

// Look-ups: null when absent; never throw.
Group* findGroup(UserAccount& account, std::string_view name);
const Group* findGroup(const UserAccount& account, std::string_view name);
PasswordEntry* findEntry(Group& group, std::string_view accountName);
const PasswordEntry* findEntry(const Group& group, std::string_view accountName);

// Appends `group`; throws "分组已存在!" when its name is taken.
void insertGroup(UserAccount& account, Group group);
// Removes the named group with its entries; throws "分组不存在!".
void removeGroup(UserAccount& account, std::string_view name);
// The named group; throws "分组不存在!".
Group& requireGroup(UserAccount& account, std::string_view name);
const Group& requireGroup(const UserAccount& account, std::string_view name);
// A group or an entry taken out of its sequence, with the place it had there.
template <typename T>
struct Taken {
  T item;
  size_t position;
};

// Removes the named group as removeGroup does and hands it back with its place.
Taken<Group> takeGroup(UserAccount& account, std::string_view name);
// Puts a taken group back where it was: the undoing of takeGroup.
void restoreGroup(UserAccount& account, Taken<Group> taken);

// Appends `entry`; throws "数据已存在!" when its account is taken in the group.
void insertEntry(Group& group, PasswordEntry entry);
// Removes the entry of that account; throws "数据不存在!".
void removeEntry(Group& group, std::string_view accountName);
// Puts `entry` in the place of the entry of its account and hands back the one it replaced;
// throws "数据不存在!" when the group holds no entry of that account.
PasswordEntry replaceEntry(Group& group, PasswordEntry entry);

// Removes the entry as removeEntry does and hands it back with its place.
Taken<PasswordEntry> takeEntry(Group& group, std::string_view accountName);
// Puts a taken entry back where it was: the undoing of takeEntry.
void restoreEntry(Group& group, Taken<PasswordEntry> taken);

// The info words taken two at a time; a lone last word is dropped.
std::vector<InfoField> splitInfo(std::string_view info);

}  // namespace vellumkeep
