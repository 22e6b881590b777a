// The listing commands: they change nothing and leave their rows on the ArgumentStack.
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

// find TEXT: pushes the group and the account of every entry whose group name, account or info
// words hold TEXT, letters compared without case; passwords are never compared. Throws
// "参数异常!" unless one word is given, "数据不存在!" when nothing matches.
void findEntries(ProgramState& state, LayoutCode layout);

// otp GROUP ACCOUNT: pushes the current one-time code of the entry's info word "otp" and the
// seconds it stays valid, at the time of state.clock. Throws "参数异常!", "分组不存在!",
// "数据不存在!", "该数据没有otp信息!" and "otp密钥不是有效的base32编码!".
void showOneTimeCode(ProgramState& state, LayoutCode layout);

}  // namespace vellumkeep
