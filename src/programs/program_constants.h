// What vellumkeep and vellumkeep-init share: the installation's files in the folder they are
// started in, and their exit statuses.
#pragma once

namespace vellumkeep {

inline constexpr char kConfigFileName[] = "Config.ini";
inline constexpr char kLockFileName[] = "Config.ini.lock";

// Exit statuses of both programs.
inline constexpr int kExitSuccess = 0;  // a normal end: exit, quit, or input ended after login
inline constexpr int kExitFailure = 1;  // busy installation, no Config.ini, input ended early
inline constexpr int kExitUsage = 2;    // arguments refused
inline constexpr int kInterruptedStatus = 130;  // as a shell reports a program ended by Ctrl-C

}  // namespace vellumkeep
