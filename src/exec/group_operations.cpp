#include "exec/group_operations.h"

#include <stdexcept>

#include "exec/executor.h"
#include "model/messages.h"
#include "storage/working_files.h"

namespace vellumkeep {

namespace {

// Takes the arguments, pushes the row's layout code and checks the count.
Arguments takeExactly(ProgramState& state, const CommandRow& row, size_t count) {
  Arguments args = takeArguments(state);
  pushResultMarker(state, row.layout);
  if (args.count != count) throw std::runtime_error(msg::kBadArguments);
  return args;
}

Group& requireGroup(ProgramState& state, const std::string& name) {
  Group* group = findGroup(state.operatorAccount(), name);
  if (!group) throw std::runtime_error(msg::kGroupMissing);
  return *group;
}

}  // namespace

void addGroup(ProgramState& state, const CommandRow& row) {
  Arguments args = takeExactly(state, row, 2);
  // The id is used up even when the name is refused: ids are never reused.
  int32_t id = ++state.operatorAccount().lastGroupId;
  Group group;
  group.id = id;
  group.name = args.values[0];
  insertGroup(state.operatorAccount(), std::move(group));
  saveOperatorChange(state);
}

void addPasswordEntry(ProgramState& state, const CommandRow& row) {
  Arguments args = takeExactly(state, row, 5);
  Group& group = requireGroup(state, args.values[0]);
  insertEntry(group, PasswordEntry{args.values[1], args.values[2], args.values[3]});
  saveOperatorChange(state);
}

void deleteGroup(ProgramState& state, const CommandRow& row) {
  Arguments args = takeExactly(state, row, 2);
  removeGroup(state.operatorAccount(), args.values[0]);
  saveOperatorChange(state);
}

void deletePasswordEntry(ProgramState& state, const CommandRow& row) {
  Arguments args = takeExactly(state, row, 3);
  removeEntry(requireGroup(state, args.values[0]), args.values[1]);
  saveOperatorChange(state);
}

}  // namespace vellumkeep
