#include "exec/group_operations.h"

#include <stdexcept>

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

}  // namespace vellumkeep
