// The two stacks between parser, executor and display, the parser's command code and the
// layout code with which every operation's result begins.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/secret_memory.h"

namespace vellumkeep {

// The codes of the command table's rows (commands/command_table.h); -2 means a confirmation was
// answered no.
using CommandCode = int32_t;

inline constexpr CommandCode kDeclined = -2;
inline constexpr CommandCode kNoCommand = -1;

// An argument may be a password, so its text is wiped when the stack lets it go.
struct ArgumentEntry {
  int32_t tag = 1;  // always 1; nothing reads it
  SecretString text;
};

// The first entry an operation pushes. Values are shared on purpose: mode and dir with named
// groups both use 0, setmode, setpassword and changepassword use 12 like delpassword.
enum LayoutCode : int32_t {
  kNamedGroupsLayout = 0,  // dir with group names
  kModesLayout = 0,
  kGroupsLayout = 1,  // dir alone
  kSearchLayout = 2,
  kEntryLayout = 3,
  kUsersLayout = 4,
  kAddAdminLayout = 5,
  kAddUserLayout = 6,
  kAddGroupLayout = 7,
  kAddEntryLayout = 8,
  kDeleteAdminLayout = 9,
  kDeleteUserLayout = 10,
  kDeleteGroupLayout = 11,
  kDeleteEntryLayout = 12,
  kOwnAccountLayout = 12,   // setmode, setpassword, changepassword
  kHelpLayout = 15,         // help alone: the commands the Operator may use
  kCommandHelpLayout = 16,  // help WORD
  kEndLayout = 17,          // exit, quit
  kGeneratedPasswordLayout = 18,
  kCopiedPasswordLayout = 19,
  kEditEntryLayout = 20,
  kMoveEntryLayout = 21,
  kRenameGroupLayout = 22,
  kFoundEntriesLayout = 23,
  kOneTimeCodeLayout = 24,
};

// Top is the back of each vector.
using OpcodeStack = std::vector<CommandCode>;
using ArgumentStack = std::vector<ArgumentEntry>;

}  // namespace vellumkeep
