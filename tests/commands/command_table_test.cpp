#include "commands/command_table.h"

#include <gtest/gtest.h>

#include <string>

namespace vellumkeep {
namespace {

// The roles of a mask as letters: s(ystem), r(oot), a(dministrator), u(ser).
std::string rolesOf(const CommandRow& row) {
  std::string roles;
  if (mayUse(SuperAdministrator, row)) roles += 's';
  if (mayUse(SystemAdministrator, row)) roles += 'r';
  if (mayUse(Administrator, row)) roles += 'a';
  if (mayUse(User, row)) roles += 'u';
  return roles;
}

// How many questions the parser asks in each form when no word is typed.
size_t questionsNeeded(ParseForm form) {
  switch (form) {
    case ParseForm::kNewAccount:
      return 2;
    case ParseForm::kNewAccountMode:
      return 3;
    case ParseForm::kNewGroup:
      return 1;
    case ParseForm::kNewEntry:
      return 6;
    case ParseForm::kEditEntry:
      return 5;
    case ParseForm::kPasswordChange:
      return 3;
    case ParseForm::kModeChange:
      return 2;
    default:
      return 0;
  }
}

size_t questionCount(const CommandRow& row) {
  size_t count = 0;
  for (const char* question : row.dialogue.questions) count += question != nullptr;
  return count;
}

// The fifteen commands that operators and their scripts know keep their codes, rights and
// layout codes.
TEST(CommandTable, OriginalCommandsKeepCodesRolesAndLayouts) {
  struct Case {
    const char* word;
    CommandCode code;
    const char* roles;
    int32_t layout;
  } cases[] = {
      {"dir", 0, "su", 1},           {"seach", 1, "su", 2},      {"password", 2, "su", 3},
      {"user", 3, "sra", 4},         {"mode", 4, "srau", 0},     {"addadmin", 5, "sr", 5},
      {"adduser", 6, "sra", 6},      {"adddir", 7, "su", 7},     {"addpassword", 8, "su", 8},
      {"deladmin", 9, "sr", 9},      {"deluser", 10, "sra", 10}, {"deldir", 11, "su", 11},
      {"delpassword", 12, "su", 12}, {"setmode", 13, "u", 12},   {"setpassword", 14, "sra", 12},
  };
  for (const Case& c : cases) {
    const CommandRow* row = findCommand(c.word);
    ASSERT_NE(nullptr, row) << c.word;
    EXPECT_EQ(c.code, row->code) << c.word;
    EXPECT_EQ(row, commandRow(c.code)) << c.word;
    EXPECT_EQ(c.roles, rolesOf(*row)) << c.word;
    EXPECT_EQ(c.layout, row->layout) << c.word;
  }
}

TEST(CommandTable, WordsMatchExactlyAndCodesOutsideHaveNoRow) {
  for (const char* word : {"", "Dir", "DIR", "dir ", " dir", "search", "di"}) {
    EXPECT_EQ(nullptr, findCommand(word)) << '"' << word << '"';
  }
  const CommandCode size = static_cast<CommandCode>(commandRows().size());
  for (CommandCode code : {kNoCommand, kDeclined, size, size + 1}) {
    EXPECT_EQ(nullptr, commandRow(code)) << code;
  }
}

TEST(CommandTable, EveryRowIsCompleteAndFoundByItsWordAndItsCode) {
  CommandCode expected = 0;
  for (const CommandRow& row : commandRows()) {
    EXPECT_EQ(expected, row.code) << row.word;
    EXPECT_EQ(&row, findCommand(row.word)) << row.word;
    EXPECT_EQ(&row, commandRow(row.code)) << row.word;
    EXPECT_NE(nullptr, row.operation) << row.word;
    EXPECT_EQ(row.form == ParseForm::kDeletion, row.dialogue.confirmation != nullptr) << row.word;
    EXPECT_EQ(questionsNeeded(row.form), questionCount(row)) << row.word;
    ++expected;
  }
  EXPECT_EQ(kCommandCount, commandRows().size());
}

}  // namespace
}  // namespace vellumkeep
