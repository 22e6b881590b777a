#include "exec/executor.h"

#include <stdexcept>

#include "exec/account_operations.h"
#include "exec/group_operations.h"
#include "exec/query_operations.h"
#include "model/messages.h"

namespace vellumkeep {

namespace {

using Operation = void (*)(ProgramState&);

// Indexed by CommandCode.
constexpr Operation kDispatchTable[] = {
    queryGroups,          // 0 dir
    searchEntries,        // 1 seach
    queryEntry,           // 2 password
    queryUsers,           // 3 user
    queryModes,           // 4 mode
    addAdmin,             // 5 addadmin
    addUser,              // 6 adduser
    addGroup,             // 7 adddir
    addPasswordEntry,     // 8 addpassword
    deleteAdmin,          // 9 deladmin
    deleteUser,           // 10 deluser
    deleteGroup,          // 11 deldir
    deletePasswordEntry,  // 12 delpassword
    setMode,              // 13 setmode
    setPassword,          // 14 setpassword
};

constexpr CommandCode kCommandCount = sizeof kDispatchTable / sizeof kDispatchTable[0];

}  // namespace

void executeCommand(ProgramState& state) {
  if (state.opcodeStack.empty()) return;
  CommandCode code = state.opcodeStack.back();
  if (code == kNoCommand) throw std::runtime_error(msg::kStackError);
  if (code < 0 || code >= kCommandCount) throw std::runtime_error(msg::kIllegalOperation);
  popCommandCode(state);
  kDispatchTable[code](state);
}

void popCommandCode(ProgramState& state) {
  if (!state.opcodeStack.empty()) state.opcodeStack.pop_back();
}

Arguments takeArguments(ProgramState& state) {
  Arguments args;
  args.count = state.argumentStack.size();
  for (size_t i = 1; i < state.argumentStack.size(); ++i) {
    args.values.push_back(std::move(state.argumentStack[i].text));
  }
  state.argumentStack.clear();
  return args;
}

void pushResultMarker(ProgramState& state, long value) {
  pushRow(state, std::to_string(value));
}

void pushRow(ProgramState& state, std::string text) {
  state.argumentStack.push_back(ArgumentEntry{1, std::move(text)});
}

}  // namespace vellumkeep
