#include "shell/command_table.h"

#include <iterator>

#include "exec/account_operations.h"
#include "exec/group_operations.h"
#include "exec/query_operations.h"
#include "exec/session_operations.h"
#include "model/messages.h"

namespace vellumkeep {

namespace {

// The roles that keep credentials, that manage users, and that manage administrators.
constexpr int32_t kDataKeepers = User | SuperAdministrator;
constexpr int32_t kUserManagers = SuperAdministrator | SystemAdministrator | Administrator;
constexpr int32_t kAdminManagers = SuperAdministrator | SystemAdministrator;

// What Tab offers after a command word, argument by argument.
constexpr CompletedWords kGroupNames{CompletedWord::kGroup, CompletedWord::kGroup,
                                     CompletedWord::kGroup};
constexpr CompletedWords kAccountNames{CompletedWord::kAnyAccount, CompletedWord::kAnyAccount,
                                       CompletedWord::kAnyAccount};
constexpr CompletedWords kGroupThenAccount{CompletedWord::kGroup, CompletedWord::kGroupAccount};
constexpr CompletedWords kGroupFirst{CompletedWord::kGroup};
constexpr CompletedWords kNewUsersMode{CompletedWord::kNone, CompletedWord::kNone,
                                       CompletedWord::kNewUserMode};
constexpr CompletedWords kUserName{CompletedWord::kUser};
constexpr CompletedWords kAdministratorName{CompletedWord::kAdministrator};
constexpr CompletedWords kModeName{CompletedWord::kMode};
constexpr CompletedWords kCommandWord{CompletedWord::kCommand};

// DO NOT CHANGE the codes, masks and layouts of the first fifteen rows: they are the command
// language that operators and their scripts know.
constexpr CommandRow kRows[] = {
    {"dir", 0, kDataKeepers, ParseForm::kPlainWords, queryGroups, kGroupsLayout,
     ResultView::kGroups, nullptr, nullptr, msg::kHelpDir, kGroupNames},
    {"seach", 1, kDataKeepers, ParseForm::kPlainWords, searchEntries, kSearchLayout,
     ResultView::kSearchHits, nullptr, nullptr, msg::kHelpSeach, kAccountNames},
    {"password", 2, kDataKeepers, ParseForm::kPlainWords, queryEntry, kEntryLayout,
     ResultView::kEntry, nullptr, nullptr, msg::kHelpPassword, kGroupThenAccount},
    {"user", 3, kUserManagers, ParseForm::kNoArguments, queryUsers, kUsersLayout,
     ResultView::kUsers, nullptr, nullptr, msg::kHelpUser},
    {"mode", 4, kEveryRole, ParseForm::kPlainWords, queryModes, kModesLayout, ResultView::kModes,
     nullptr, nullptr, msg::kHelpMode},
    {"addadmin", 5, kAdminManagers, ParseForm::kNewAccount, addAdmin, kAddAdminLayout,
     ResultView::kSuccess, nullptr, nullptr, msg::kHelpAddadmin},
    {"adduser", 6, kUserManagers, ParseForm::kNewAccountMode, addUser, kAddUserLayout,
     ResultView::kSuccess, nullptr, nullptr, msg::kHelpAdduser, kNewUsersMode},
    {"adddir", 7, kDataKeepers, ParseForm::kNewGroup, addGroup, kAddGroupLayout,
     ResultView::kSuccess, nullptr, nullptr, msg::kHelpAdddir},
    {"addpassword", 8, kDataKeepers, ParseForm::kNewEntry, addPasswordEntry, kAddEntryLayout,
     ResultView::kSuccess, nullptr, nullptr, msg::kHelpAddpassword, kGroupFirst},
    {"deladmin", 9, kAdminManagers, ParseForm::kDeletion, deleteAccount, kDeleteAdminLayout,
     ResultView::kSuccess, nullptr, msg::kConfirmDeleteAdmin, msg::kHelpDeladmin,
     kAdministratorName},
    {"deluser", 10, kUserManagers, ParseForm::kDeletion, deleteAccount, kDeleteUserLayout,
     ResultView::kSuccess, msg::kWarnDeleteUser, msg::kConfirmDeleteUser, msg::kHelpDeluser,
     kUserName},
    {"deldir", 11, kDataKeepers, ParseForm::kDeletion, deleteGroup, kDeleteGroupLayout,
     ResultView::kSuccess, msg::kWarnDeleteGroup, msg::kConfirmDeleteGroup, msg::kHelpDeldir,
     kGroupFirst},
    {"delpassword", 12, kDataKeepers, ParseForm::kDeletion, deletePasswordEntry, kDeleteEntryLayout,
     ResultView::kSuccess, nullptr, msg::kConfirmDeleteEntry, msg::kHelpDelpassword,
     kGroupThenAccount},
    {"setmode", 13, User, ParseForm::kTextWords, setMode, kOwnAccountLayout, ResultView::kSuccess,
     nullptr, nullptr, msg::kHelpSetmode, kModeName},
    {"setpassword", 14, kUserManagers, ParseForm::kNewPassword, setPassword, kOwnAccountLayout,
     ResultView::kSuccess, nullptr, nullptr, msg::kHelpSetpassword},
    {"help", 15, kEveryRole, ParseForm::kPlainWords, describeCommands, kHelpLayout,
     ResultView::kHelp, nullptr, nullptr, msg::kHelpHelp, kCommandWord},
    {"exit", 16, kEveryRole, ParseForm::kEnd, endSession, kEndLayout, ResultView::kNothing, nullptr,
     nullptr, msg::kHelpExit},
    {"quit", 17, kEveryRole, ParseForm::kEnd, endSession, kEndLayout, ResultView::kNothing, nullptr,
     nullptr, msg::kHelpQuit},
    {"genpassword", 18, kDataKeepers, ParseForm::kPlainWords, generatePassword,
     kGeneratedPasswordLayout, ResultView::kPassword, nullptr, nullptr, msg::kHelpGenpassword},
    {"copypassword", 19, kDataKeepers, ParseForm::kTextWords, copyPassword, kCopiedPasswordLayout,
     ResultView::kCopied, nullptr, nullptr, msg::kHelpCopypassword, kGroupThenAccount},
};

static_assert(std::size(kRows) == kCommandCount, "kCommandCount counts the rows");

constexpr bool sameWord(const char* a, const char* b) {
  while (*a != '\0' && *a == *b) ++a, ++b;
  return *a == *b;
}

// Row i has code i, every word is its own, and every row can be used by some role. (That every
// row has an operation and every deletion its question is tested instead: a sanitizer build
// does not compare addresses with null in a constant expression.)
constexpr bool rowsAreConsistent() {
  for (size_t i = 0; i < std::size(kRows); ++i) {
    const CommandRow& row = kRows[i];
    if (row.code != static_cast<CommandCode>(i)) return false;
    if ((row.mask & kEveryRole) == 0 || (row.mask & ~kEveryRole) != 0) return false;
    for (size_t j = 0; j < i; ++j) {
      if (sameWord(kRows[j].word, row.word)) return false;
    }
  }
  return true;
}

static_assert(rowsAreConsistent(), "codes, words and masks of the command table");

}  // namespace

CommandRows commandRows() {
  return CommandRows(kRows, std::size(kRows));
}

const CommandRow* findCommand(std::string_view word) {
  for (const CommandRow& row : kRows) {
    if (word == row.word) return &row;
  }
  return nullptr;
}

const CommandRow* commandRow(CommandCode code) {
  if (code < 0 || static_cast<size_t>(code) >= std::size(kRows)) return nullptr;
  return &kRows[code];
}

}  // namespace vellumkeep
