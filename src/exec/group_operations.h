// The commands that change the Operator's own password store, each saved at once.
#pragma once

#include "exec/program_state.h"

namespace vellumkeep {

void addGroup(ProgramState& state, LayoutCode layout);             // adddir
void addPasswordEntry(ProgramState& state, LayoutCode layout);     // addpassword
void deleteGroup(ProgramState& state, LayoutCode layout);          // deldir
void deletePasswordEntry(ProgramState& state, LayoutCode layout);  // delpassword

// editpassword GROUP ACCOUNT PASSWORD [INFO]: replaces the entry in its place. An empty PASSWORD
// keeps the old one; the info words are replaced only when INFO is given (empty removes them).
// Throws "参数异常!", "分组不存在!" and "数据不存在!".
void editPasswordEntry(ProgramState& state, LayoutCode layout);
// movepassword GROUP ACCOUNT NEWGROUP: moves the entry to the end of NEWGROUP. Throws
// "参数异常!", "分组不存在!" (either group), "数据不存在!" and "数据已存在!" (NEWGROUP holds
// ACCOUNT, also when it is GROUP).
void movePasswordEntry(ProgramState& state, LayoutCode layout);
// renamedir GROUP NEWNAME: renames the group, keeping its place and id. Throws "参数异常!",
// "分组不存在!" and "分组已存在!" (also when NEWNAME is GROUP).
void renameGroup(ProgramState& state, LayoutCode layout);

}  // namespace vellumkeep
