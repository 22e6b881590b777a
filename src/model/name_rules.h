// The rules every user name and password must satisfy: 6 to 12 bytes of the text set; a login
// password of an account in mode strong may have up to 64.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/encryption_modes.h"

namespace vellumkeep {

// Throws "用户名太短!", "用户名太长!" or "含有非法字符!" (also for "/", which would leave
// the data folder); returns when `text` is a valid user name.
void checkUserName(std::string_view text);

// Throws "密码太短!", "密码太长!" or "含有非法字符!"; returns when `text` is a valid login
// password of an account in `mode`.
void checkPassword(std::string_view text, int32_t mode = Simple);

// True for a name that may name files in the data folder: one the user-name rule accepts, or
// the reserved "root". Names read from Config.ini must pass before any path is built of them.
bool isUsableName(std::string_view name);

}  // namespace vellumkeep
