// The five listing commands: they change nothing and leave their rows on the ArgumentStack.
#pragma once

#include "program_state.h"
#include "shell/command_table.h"

namespace vellumkeep {

void queryModes(ProgramState& state, const CommandRow& row);     // mode
void queryGroups(ProgramState& state, const CommandRow& row);    // dir
void searchEntries(ProgramState& state, const CommandRow& row);  // seach
void queryEntry(ProgramState& state, const CommandRow& row);     // password
void queryUsers(ProgramState& state, const CommandRow& row);     // user

// copypassword GROUP ACCOUNT: puts the entry's password on the terminal's clipboard without
// showing it and pushes how many seconds it stays there. Throws "参数异常!" unless both are
// given, "只能在终端中复制密码!" without a terminal, "分组不存在!" and "数据不存在!".
void copyPassword(ProgramState& state, const CommandRow& row);

}  // namespace vellumkeep
