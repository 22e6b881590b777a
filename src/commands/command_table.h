// The command language in one table: for every command its word, CommandCode, the roles that
// may use it, how the parser reads its words, the operation that runs it, the LayoutCode that
// operation pushes, how its result is shown, its help, what Tab completes, the questions and
// confirmation it asks, and which of its lines hold a secret. Parser, executor, display, help,
// completion and the history all read this table; a new command is a new row and its operation.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "exec/command_stacks.h"
#include "model/messages.h"
#include "model/user_account.h"

namespace vellumkeep {

struct ProgramState;

// Runs a command; `layout` is the LayoutCode of its row, what it pushes first.
using Operation = void (*)(ProgramState& state, LayoutCode layout);

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
  kEditEntry,       // group and account, then a new password on the line or asked for, and
                    // on request new type/content pairs
  kPasswordChange,  // text words (a mode), then the current password and a new one twice,
                    // each asked and hidden
  kModeChange,      // text words; a move into mode strong asks a new password twice, hidden
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
  kSuccess,       // the success line
  kHelp,          // the list of commands, or one command in full
  kPassword,      // a generated password
  kCopied,        // that a password was copied, and for how long
  kFoundEntries,  // a group and an account per line
  kOneTimeCode,   // a one-time code and how long it stays valid
  kNothing,       // only the empty line that follows every result
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
  kStrongMode,     // mode strong's name
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

// What a command asks on the console beyond the words of its line.
struct Dialogue {
  // Asked in this order when no word follows the command word (the parse form says how each
  // answer is read); unused places are null. kNewEntry asks the first three, then the fourth
  // (a yes/no question) before each pair of the fifth and sixth. kEditEntry asks the first (a
  // password), then the second (a yes/no question), and on yes as kNewEntry asks from its fourth.
  std::array<const char*, 6> questions{};
  // kDeletion: a line shown before the confirmation, or null, and the yes/no question.
  const char* warning = nullptr;
  const char* confirmation = nullptr;
  // What help says of when the questions are asked; null for "when no word is typed".
  const char* askedWhen = nullptr;
};

// A deletion's confirmation, with or without a warning before it.
constexpr Dialogue confirms(const char* warning, const char* question) {
  Dialogue dialogue;
  dialogue.warning = warning;
  dialogue.confirmation = question;
  return dialogue;
}
constexpr Dialogue confirms(const char* question) {
  return confirms(nullptr, question);
}

// No line of the command holds a secret.
inline constexpr int kNoSecret = -1;

struct CommandRow {
  const char* word;
  CommandCode code;  // the row's index in the table
  int32_t mask;      // the AccountRole bits that may use the command
  ParseForm form;
  Operation operation;
  LayoutCode layout;  // what the operation pushes first (dir: when no group is named)
  ResultView view;
  msg::CommandHelp help;
  CompletedWords completes = {};
  Dialogue dialogue = {};
  // A line holding at least this many words after the command word holds a password and is
  // never kept for recall; kNoSecret when none does.
  int secretFrom = kNoSecret;
};

// True when the command line of `row` with `arguments` words after the command word holds a
// secret.
inline bool holdsSecret(const CommandRow& row, std::size_t arguments) {
  return row.secretFrom != kNoSecret && arguments >= static_cast<std::size_t>(row.secretFrom);
}

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

inline constexpr size_t kCommandCount = 26;

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
