// The command language in one table: for every command its word, CommandCode, the roles that
// may use it, how the parser reads its words, the operation that runs it, the LayoutCode that
// operation pushes, how its result is shown, and its help. Parser, executor, display, help and
// completion all read this table; a new command is a new row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "exec/command_stacks.h"
#include "model/messages.h"
#include "model/user_account.h"

namespace vellumkeep {

struct ProgramState;
struct CommandRow;

// Runs a command; `row` is the command's own row (its LayoutCode, for instance).
using Operation = void (*)(ProgramState& state, const CommandRow& row);

// The first entry an operation pushes. Values are shared on purpose: mode and dir with named
// groups both use 0, setmode and setpassword use 12 like delpassword.
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
  kOwnAccountLayout = 12,   // setmode, setpassword
  kHelpLayout = 15,         // help alone: the commands the Operator may use
  kCommandHelpLayout = 16,  // help WORD
  kEndLayout = 17,          // exit, quit
  kGeneratedPasswordLayout = 18,
  kCopiedPasswordLayout = 19,
};

// How the parser reads the words after the command word.
enum class ParseForm {
  kPlainWords,      // every word pushed untested
  kNoArguments,     // further words ignored
  kNewAccount,      // name and password tested; both asked when no word is typed
  kNewAccountMode,  // as kNewAccount, and the mode asked too
  kNewGroup,        // text words; the group asked when none is typed
  kNewEntry,        // group, account, password and type/content pairs
  kDeletion,        // text words, then the row's confirmation
  kTextWords,       // text words
  kNewPassword,     // exactly one word, the password rule applied
  kEnd,             // further words ignored, and no right needed: even an Operator whose
                    // account is gone can end the session
};

// What the display prints after the operation succeeded.
enum class ResultView {
  kModes,
  kGroups,
  kSearchHits,
  kEntry,
  kUsers,
  kSuccess,   // the success line
  kHelp,      // the list of commands, or one command in full
  kPassword,  // a generated password
  kCopied,    // that a password was copied, and for how long
  kNothing,   // only the empty line that follows every result
};

// Role bits, as the masks are written.
inline constexpr int32_t kEveryRole =
    SuperAdministrator | SystemAdministrator | Administrator | User;

// What Tab offers for a command's argument.
enum class CompletedWord {
  kNone,
  kCommand,        // command words the Operator may use
  kGroup,          // the Operator's groups
  kGroupAccount,   // the accounts of the group named by the first argument
  kAnyAccount,     // the accounts of every group
  kMode,           // the encryption modes
  kNewUserMode,    // the modes a new user may start in
  kUser,           // accounts of role User
  kAdministrator,  // accounts of role Administrator
};

// What Tab offers for the first, the second, and every later argument.
struct CompletedWords {
  CompletedWord first = CompletedWord::kNone;
  CompletedWord second = CompletedWord::kNone;
  CompletedWord later = CompletedWord::kNone;
};

struct CommandRow {
  const char* word;
  CommandCode code;  // the row's index in the table
  int32_t mask;      // the AccountRole bits that may use the command
  ParseForm form;
  Operation operation;
  LayoutCode layout;  // what the operation pushes first (dir: when no group is named)
  ResultView view;
  const char* warning;   // deletions: a line shown before the question, or null
  const char* question;  // deletions: the confirmation, or null
  msg::CommandHelp help;
  CompletedWords completes = {};
};

// The rows, in the order of their codes.
class CommandRows {
 public:
  CommandRows(const CommandRow* first, size_t count) : first_(first), count_(count) {}
  const CommandRow* begin() const { return first_; }
  const CommandRow* end() const { return first_ + count_; }
  size_t size() const { return count_; }

 private:
  const CommandRow* first_;
  size_t count_;
};

inline constexpr size_t kCommandCount = 20;

// Every command; row i has code i.
CommandRows commandRows();

// The row of the command word `word` (exact bytes); null when there is none.
const CommandRow* findCommand(std::string_view word);

// The row of `code`; null when no command has that code.
const CommandRow* commandRow(CommandCode code);

// True when an Operator of `role` may use the command.
inline bool mayUse(int32_t role, const CommandRow& row) {
  return (role & row.mask) != 0;
}

}  // namespace vellumkeep
