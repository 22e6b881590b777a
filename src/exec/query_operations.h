// The five listing commands: they change nothing and leave their rows on the ArgumentStack.
#pragma once

#include "exec/program_state.h"

namespace vellumkeep {

void queryModes(ProgramState& state, LayoutCode layout);     // mode
void queryGroups(ProgramState& state, LayoutCode layout);    // dir
void searchEntries(ProgramState& state, LayoutCode layout);  // seach
void queryEntry(ProgramState& state, LayoutCode layout);     // password
void queryUsers(ProgramState& state, LayoutCode layout);     // user

// copypassword GROUP ACCOUNT: puts the entry's password on the terminal's clipboard without
// showing it and pushes how many seconds it stays there. Throws "参数异常!" unless both are
// given, "只能在终端中复制密码!" without a terminal, "分组不存在!" and "数据不存在!".
void copyPassword(ProgramState& state, LayoutCode layout);

}  // namespace vellumkeep
