#include "model/password_store.h"

#include <algorithm>
#include <stdexcept>

#include "model/messages.h"
#include "model/user_account.h"

namespace vellumkeep {

namespace {

template <typename Account>
auto findGroupIn(Account& account, std::string_view name) -> decltype(&account.groups[0]) {
  auto it = std::find_if(account.groups.begin(), account.groups.end(),
                         [&](const Group& g) { return g.name == name; });
  return it == account.groups.end() ? nullptr : &*it;
}

template <typename G>
auto findEntryIn(G& group, std::string_view accountName) -> decltype(&group.entries[0]) {
  auto it = std::find_if(group.entries.begin(), group.entries.end(),
                         [&](const PasswordEntry& e) { return e.account() == accountName; });
  return it == group.entries.end() ? nullptr : &*it;
}

// Moves the element at `item` out of `items`, keeping the order of the rest and the count.
template <typename T>
Taken<T> takeAt(std::vector<T>& items, T* item, int32_t& count) {
  const size_t position = static_cast<size_t>(item - items.data());
  Taken<T> taken{std::move(*item), position};
  items.erase(items.begin() + static_cast<std::ptrdiff_t>(position));
  --count;
  return taken;
}

template <typename T>
void restoreAt(std::vector<T>& items, Taken<T> taken, int32_t& count) {
  items.insert(items.begin() + static_cast<std::ptrdiff_t>(taken.position), std::move(taken.item));
  ++count;
}

}  // namespace

PasswordEntry::PasswordEntry(std::string_view account, std::string_view password,
                             std::string_view info) {
  const size_t size = account.size() + password.size() + info.size();
  if (size > UINT32_MAX) throw std::length_error("credential too long");
  fields_.reserve(size);
  fields_.append(account).append(password).append(info);
  passwordAt_ = static_cast<uint32_t>(account.size());
  infoAt_ = static_cast<uint32_t>(account.size() + password.size());
}

Group* findGroup(UserAccount& account, std::string_view name) {
  return findGroupIn(account, name);
}

const Group* findGroup(const UserAccount& account, std::string_view name) {
  return findGroupIn(account, name);
}

PasswordEntry* findEntry(Group& group, std::string_view accountName) {
  return findEntryIn(group, accountName);
}

const PasswordEntry* findEntry(const Group& group, std::string_view accountName) {
  return findEntryIn(group, accountName);
}

void insertGroup(UserAccount& account, Group group) {
  if (findGroup(account, group.name)) throw std::runtime_error(msg::kGroupExists);
  account.groups.push_back(std::move(group));
  ++account.groupCount;
}

void removeGroup(UserAccount& account, std::string_view name) {
  takeGroup(account, name);
}

Taken<Group> takeGroup(UserAccount& account, std::string_view name) {
  return takeAt(account.groups, &requireGroup(account, name), account.groupCount);
}

void restoreGroup(UserAccount& account, Taken<Group> taken) {
  restoreAt(account.groups, std::move(taken), account.groupCount);
}

Group& requireGroup(UserAccount& account, std::string_view name) {
  Group* group = findGroup(account, name);
  if (!group) throw std::runtime_error(msg::kGroupMissing);
  return *group;
}

const Group& requireGroup(const UserAccount& account, std::string_view name) {
  return requireGroup(const_cast<UserAccount&>(account), name);
}

void insertEntry(Group& group, PasswordEntry entry) {
  if (findEntry(group, entry.account())) throw std::runtime_error(msg::kEntryExists);
  group.entries.push_back(std::move(entry));
  ++group.entryCount;
}

void removeEntry(Group& group, std::string_view accountName) {
  takeEntry(group, accountName);
}

PasswordEntry replaceEntry(Group& group, PasswordEntry entry) {
  PasswordEntry* stored = findEntry(group, entry.account());
  if (!stored) throw std::runtime_error(msg::kEntryMissing);
  std::swap(*stored, entry);
  return entry;
}

Taken<PasswordEntry> takeEntry(Group& group, std::string_view accountName) {
  PasswordEntry* entry = findEntry(group, accountName);
  if (!entry) throw std::runtime_error(msg::kEntryMissing);
  return takeAt(group.entries, entry, group.entryCount);
}

void restoreEntry(Group& group, Taken<PasswordEntry> taken) {
  restoreAt(group.entries, std::move(taken), group.entryCount);
}

std::vector<InfoField> splitInfo(std::string_view info) {
  static constexpr std::string_view kWhitespace = " \t\n\v\f\r";
  std::vector<std::string> words;
  size_t pos = info.find_first_not_of(kWhitespace);
  while (pos != std::string_view::npos) {
    size_t end = std::min(info.find_first_of(kWhitespace, pos), info.size());
    words.emplace_back(info.substr(pos, end - pos));
    pos = info.find_first_not_of(kWhitespace, end);
  }
  std::vector<InfoField> fields;
  for (size_t i = 0; i + 1 < words.size(); i += 2) fields.push_back({words[i], words[i + 1]});
  return fields;
}

}  // namespace vellumkeep
