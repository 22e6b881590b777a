#include "exec/group_operations.h"

#include <stdexcept>
#include <string_view>
#include <utility>

#include "exec/operation_steps.h"
#include "model/messages.h"

namespace vellumkeep {

namespace {

// Takes the arguments, pushes the row's layout code and checks the count.
Arguments takeExactly(ProgramState& state, LayoutCode layout, size_t count) {
  Arguments args = takeArguments(state);
  pushResultMarker(state, layout);
  if (args.count != count) throw std::runtime_error(msg::kBadArguments);
  return args;
}

// Saves the Operator's changed store. A save that fails is reported with the old data file
// in force, so `undo` takes the change back: memory keeps matching the file, and a later save
// cannot carry out a change that was reported as failed.
template <typename Undo>
void saveOrUndo(ProgramState& state, Undo undo) {
  try {
    state.store.saveDataFile(state.operatorAccount());
  } catch (const std::runtime_error&) {
    undo();
    throw;
  }
}

// The entry the first two arguments name; throws "分组不存在!" or "数据不存在!".
PasswordEntry& requireEntry(ProgramState& state, const Arguments& args) {
  PasswordEntry* entry =
      findEntry(requireGroup(state.operatorAccount(), args.values[0]), args.values[1]);
  if (!entry) throw std::runtime_error(msg::kEntryMissing);
  return *entry;
}

}  // namespace

void addGroup(ProgramState& state, LayoutCode layout) {
  Arguments args = takeExactly(state, layout, 2);
  const std::string& name = args.values[0];
  // The id is used up even when the name is refused: ids are never reused.
  int32_t id = ++state.operatorAccount().lastGroupId;
  Group group;
  group.id = id;
  group.name = name;
  insertGroup(state.operatorAccount(), std::move(group));
  saveOrUndo(state, [&] {
    removeGroup(state.operatorAccount(), name);
    --state.operatorAccount().lastGroupId;
  });
}

void addPasswordEntry(ProgramState& state, LayoutCode layout) {
  Arguments args = takeExactly(state, layout, 5);
  const std::string& groupName = args.values[0];
  const std::string& account = args.values[1];
  insertEntry(requireGroup(state.operatorAccount(), groupName),
              PasswordEntry{account, args.values[2], args.values[3]});
  saveOrUndo(state,
             [&] { removeEntry(requireGroup(state.operatorAccount(), groupName), account); });
}

void deleteGroup(ProgramState& state, LayoutCode layout) {
  Arguments args = takeExactly(state, layout, 2);
  Taken<Group> taken = takeGroup(state.operatorAccount(), args.values[0]);
  saveOrUndo(state, [&] { restoreGroup(state.operatorAccount(), std::move(taken)); });
}

void deletePasswordEntry(ProgramState& state, LayoutCode layout) {
  Arguments args = takeExactly(state, layout, 3);
  const std::string& groupName = args.values[0];
  Taken<PasswordEntry> taken =
      takeEntry(requireGroup(state.operatorAccount(), groupName), args.values[1]);
  saveOrUndo(state, [&] {
    restoreEntry(requireGroup(state.operatorAccount(), groupName), std::move(taken));
  });
}

void editPasswordEntry(ProgramState& state, LayoutCode layout) {
  Arguments args = takeArguments(state);
  pushResultMarker(state, layout);
  if (args.count != 4 && args.count != 5) throw std::runtime_error(msg::kBadArguments);
  const PasswordEntry& old = requireEntry(state, args);
  const std::string_view password = args.values[2].empty() ? old.password() : args.values[2];
  const std::string_view info = args.count == 5 ? std::string_view(args.values[3]) : old.info();
  const std::string& groupName = args.values[0];
  Group& group = requireGroup(state.operatorAccount(), groupName);
  PasswordEntry replaced = replaceEntry(group, PasswordEntry(old.account(), password, info));
  saveOrUndo(state, [&] {
    replaceEntry(requireGroup(state.operatorAccount(), groupName), std::move(replaced));
  });
}

void movePasswordEntry(ProgramState& state, LayoutCode layout) {
  Arguments args = takeExactly(state, layout, 4);
  const std::string& from = args.values[0];
  const std::string& account = args.values[1];
  const std::string& to = args.values[2];
  requireEntry(state, args);
  if (findEntry(requireGroup(state.operatorAccount(), to), account)) {
    throw std::runtime_error(msg::kEntryExists);
  }
  Taken<PasswordEntry> taken = takeEntry(requireGroup(state.operatorAccount(), from), account);
  insertEntry(requireGroup(state.operatorAccount(), to), std::move(taken.item));
  saveOrUndo(state, [&] {
    UserAccount& op = state.operatorAccount();
    taken.item = takeEntry(requireGroup(op, to), account).item;
    restoreEntry(requireGroup(op, from), std::move(taken));
  });
}

void renameGroup(ProgramState& state, LayoutCode layout) {
  Arguments args = takeExactly(state, layout, 3);
  const std::string& newName = args.values[1];
  Group& group = requireGroup(state.operatorAccount(), args.values[0]);
  if (findGroup(state.operatorAccount(), newName)) throw std::runtime_error(msg::kGroupExists);
  std::string oldName = std::exchange(group.name, newName);
  saveOrUndo(state,
             [&] { requireGroup(state.operatorAccount(), newName).name = std::move(oldName); });
}

}  // namespace vellumkeep
