// The commands that create and delete program users and change the Operator's own
// mode and password.
#pragma once

#include <cstdint>
#include <string_view>

#include "exec/program_state.h"

namespace vellumkeep {

void addAdmin(ProgramState& state, LayoutCode layout);  // addadmin
void addUser(ProgramState& state, LayoutCode layout);   // adduser
// deladmin: deletes an administrator; any other name is refused, deleting nothing.
void deleteAdmin(ProgramState& state, LayoutCode layout);
// deluser: deletes a user, a damaged account, or (for root and system) an administrator; an
// Administrator deletes users and its own account only. Never root or system.
void deleteUser(ProgramState& state, LayoutCode layout);
// setmode MODE: into mode strong from another mode with a new password, asked twice.
void setMode(ProgramState& state, LayoutCode layout);
void setPassword(ProgramState& state, LayoutCode layout);  // setpassword
// changepassword [strong]: the current password, then the new one twice; with strong the
// account moves into mode strong too.
void changePassword(ProgramState& state, LayoutCode layout);

// Makes `fresh` the Operator's password and `mode` its mode, saving both its files with new
// keys (in mode strong a new salt). Throws, changing nothing, "两次输入的新密码不一致!" unless
// `again` repeats it, "新密码不能与当前密码相同!" for the current password, the password rule's
// message for `mode`, or "文件写入失败!".
void replaceOwnPassword(ProgramState& state, std::string_view fresh, std::string_view again,
                        int32_t mode);

}  // namespace vellumkeep
