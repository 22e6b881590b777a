#include "commands/command_table.h"

#include <iterator>

#include "commands/help_command.h"
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
constexpr CompletedWords kGroupAccountGroup{CompletedWord::kGroup, CompletedWord::kGroupAccount,
                                            CompletedWord::kGroup};
constexpr CompletedWords kNewUsersMode{CompletedWord::kNone, CompletedWord::kNone,
                                       CompletedWord::kNewUserMode};
constexpr CompletedWords kUserName{CompletedWord::kUser};
constexpr CompletedWords kAdministratorName{CompletedWord::kAdministrator};
constexpr CompletedWords kModeName{CompletedWord::kMode};
constexpr CompletedWords kStrongModeName{CompletedWord::kStrongMode};
constexpr CompletedWords kCommandWord{CompletedWord::kCommand};

// What the commands ask when no word follows the command word.
constexpr Dialogue kNewAccountQuestions{{msg::kAskUserName, msg::kAskPassword}};
constexpr Dialogue kNewUserQuestions{{msg::kAskUserName, msg::kAskPassword, msg::kAskMode}};
constexpr Dialogue kNewGroupQuestions{{msg::kAskGroup}};
constexpr Dialogue kNewEntryQuestions{{msg::kAskTargetGroup, msg::kAskUserName, msg::kAskPassword,
                                       msg::kAskMoreInfo, msg::kAskInfoType, msg::kAskInfoContent}};
constexpr Dialogue kPasswordChangeQuestions{
    {msg::kAskCurrentPassword, msg::kAskNewPassword, msg::kAskNewPasswordAgain},
    nullptr,
    nullptr,
    msg::kHelpAlwaysAskedLabel};
constexpr Dialogue kModeChangeQuestions{{msg::kAskNewPassword, msg::kAskNewPasswordAgain},
                                        nullptr,
                                        nullptr,
                                        msg::kHelpAskedForStrongLabel};
constexpr Dialogue kEditEntryQuestions{{msg::kAskNewEntryPassword, msg::kAskReplaceInfo,
                                        msg::kAskMoreInfo, msg::kAskInfoType,
                                        msg::kAskInfoContent}};

// The password is typed on the line: after the command word (setpassword, addadmin, adduser,
// whose lines are all kept private), or as the third word (addpassword, editpassword).
constexpr int kAnyLine = 0;
constexpr int kFromThirdWord = 3;

// DO NOT CHANGE the codes, masks and layouts of the first fifteen rows: they are the command
// language that operators and their scripts know.
constexpr CommandRow kRows[] = {
    {"dir", 0, kDataKeepers, ParseForm::kPlainWords, queryGroups, kGroupsLayout,
     ResultView::kGroups, msg::kHelpDir, kGroupNames},
    {"seach", 1, kDataKeepers, ParseForm::kPlainWords, searchEntries, kSearchLayout,
     ResultView::kSearchHits, msg::kHelpSeach, kAccountNames},
    {"password", 2, kDataKeepers, ParseForm::kPlainWords, queryEntry, kEntryLayout,
     ResultView::kEntry, msg::kHelpPassword, kGroupThenAccount},
    {"user", 3, kUserManagers, ParseForm::kNoArguments, queryUsers, kUsersLayout,
     ResultView::kUsers, msg::kHelpUser},
    {"mode", 4, kEveryRole, ParseForm::kPlainWords, queryModes, kModesLayout, ResultView::kModes,
     msg::kHelpMode},
    {"addadmin", 5, kAdminManagers, ParseForm::kNewAccount, addAdmin, kAddAdminLayout,
     ResultView::kSuccess, msg::kHelpAddadmin, kNewUsersMode, kNewAccountQuestions, kAnyLine},
    {"adduser", 6, kUserManagers, ParseForm::kNewAccountMode, addUser, kAddUserLayout,
     ResultView::kSuccess, msg::kHelpAdduser, kNewUsersMode, kNewUserQuestions, kAnyLine},
    {"adddir",
     7,
     kDataKeepers,
     ParseForm::kNewGroup,
     addGroup,
     kAddGroupLayout,
     ResultView::kSuccess,
     msg::kHelpAdddir,
     {},
     kNewGroupQuestions},
    {"addpassword", 8, kDataKeepers, ParseForm::kNewEntry, addPasswordEntry, kAddEntryLayout,
     ResultView::kSuccess, msg::kHelpAddpassword, kGroupFirst, kNewEntryQuestions, kFromThirdWord},
    {"deladmin", 9, kAdminManagers, ParseForm::kDeletion, deleteAdmin, kDeleteAdminLayout,
     ResultView::kSuccess, msg::kHelpDeladmin, kAdministratorName,
     confirms(msg::kConfirmDeleteAdmin)},
    {"deluser", 10, kUserManagers, ParseForm::kDeletion, deleteUser, kDeleteUserLayout,
     ResultView::kSuccess, msg::kHelpDeluser, kUserName,
     confirms(msg::kWarnDeleteUser, msg::kConfirmDeleteUser)},
    {"deldir", 11, kDataKeepers, ParseForm::kDeletion, deleteGroup, kDeleteGroupLayout,
     ResultView::kSuccess, msg::kHelpDeldir, kGroupFirst,
     confirms(msg::kWarnDeleteGroup, msg::kConfirmDeleteGroup)},
    {"delpassword", 12, kDataKeepers, ParseForm::kDeletion, deletePasswordEntry, kDeleteEntryLayout,
     ResultView::kSuccess, msg::kHelpDelpassword, kGroupThenAccount,
     confirms(msg::kConfirmDeleteEntry)},
    {"setmode", 13, User, ParseForm::kModeChange, setMode, kOwnAccountLayout, ResultView::kSuccess,
     msg::kHelpSetmode, kModeName, kModeChangeQuestions},
    {"setpassword",
     14,
     kUserManagers,
     ParseForm::kNewPassword,
     setPassword,
     kOwnAccountLayout,
     ResultView::kSuccess,
     msg::kHelpSetpassword,
     {},
     {},
     kAnyLine},
    {"help", 15, kEveryRole, ParseForm::kPlainWords, describeCommands, kHelpLayout,
     ResultView::kHelp, msg::kHelpHelp, kCommandWord},
    {"exit", 16, kEveryRole, ParseForm::kEnd, endSession, kEndLayout, ResultView::kNothing,
     msg::kHelpExit},
    {"quit", 17, kEveryRole, ParseForm::kEnd, endSession, kEndLayout, ResultView::kNothing,
     msg::kHelpQuit},
    {"genpassword", 18, kDataKeepers, ParseForm::kPlainWords, generatePassword,
     kGeneratedPasswordLayout, ResultView::kPassword, msg::kHelpGenpassword},
    {"copypassword", 19, kDataKeepers, ParseForm::kTextWords, copyPassword, kCopiedPasswordLayout,
     ResultView::kCopied, msg::kHelpCopypassword, kGroupThenAccount},
    // The everyday commands of other password managers: changing a credential in place,
    // moving it, renaming a group, searching by any part of a name, one-time codes.
    {"editpassword", 20, kDataKeepers, ParseForm::kEditEntry, editPasswordEntry, kEditEntryLayout,
     ResultView::kSuccess, msg::kHelpEditpassword, kGroupThenAccount, kEditEntryQuestions,
     kFromThirdWord},
    {"movepassword", 21, kDataKeepers, ParseForm::kTextWords, movePasswordEntry, kMoveEntryLayout,
     ResultView::kSuccess, msg::kHelpMovepassword, kGroupAccountGroup},
    {"renamedir", 22, kDataKeepers, ParseForm::kTextWords, renameGroup, kRenameGroupLayout,
     ResultView::kSuccess, msg::kHelpRenamedir, kGroupFirst},
    {"find", 23, kDataKeepers, ParseForm::kTextWords, findEntries, kFoundEntriesLayout,
     ResultView::kFoundEntries, msg::kHelpFind},
    {"otp", 24, kDataKeepers, ParseForm::kTextWords, showOneTimeCode, kOneTimeCodeLayout,
     ResultView::kOneTimeCode, msg::kHelpOtp, kGroupThenAccount},
    // Every account changes its own password without typing it on a line.
    {"changepassword", 25, kEveryRole, ParseForm::kPasswordChange, changePassword,
     kOwnAccountLayout, ResultView::kSuccess, msg::kHelpChangepassword, kStrongModeName,
     kPasswordChangeQuestions},
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
