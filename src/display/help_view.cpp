#include "display/help_view.h"

#include <algorithm>
#include <string>

#include "model/messages.h"

namespace vellumkeep {

namespace {

constexpr size_t kIndent = 2;
constexpr size_t kColumnGap = 2;

// The command word and its arguments.
std::string usageOf(const CommandRow& row) {
  std::string usage = row.word;
  if (*row.help.synopsis != '\0') usage += std::string(" ") + row.help.synopsis;
  return usage;
}

// The questions the row asks, in the order it asks them: its confirmation, or what it asks when
// no word is typed.
std::vector<const char*> questionsOf(const CommandRow& row) {
  const Dialogue& dialogue = row.dialogue;
  std::vector<const char*> questions;
  if (dialogue.confirmation) {
    if (dialogue.warning) questions.push_back(dialogue.warning);
    questions.push_back(dialogue.confirmation);
    return questions;
  }
  for (const char* question : dialogue.questions) {
    if (question) questions.push_back(question);
  }
  return questions;
}

// The prompts end in a blank where the answer follows; a list shows them without it.
std::string_view withoutTrailingBlanks(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

void printQuestions(ConsoleWriter& out, const CommandRow& row) {
  std::vector<const char*> questions = questionsOf(row);
  if (questions.empty()) return;
  const Dialogue& dialogue = row.dialogue;
  const char* label = dialogue.confirmation ? msg::kHelpConfirmLabel : msg::kHelpAskedLabel;
  out.text(dialogue.askedWhen ? dialogue.askedWhen : label).endLine();
  for (const char* question : questions) {
    out.data(std::string(kIndent, ' ')).text(withoutTrailingBlanks(question)).endLine();
  }
}

void printRoles(ConsoleWriter& out, const CommandRow& row) {
  struct RoleName {
    AccountRole role;
    const char* name;
  };
  constexpr RoleName kRoleNames[] = {
      {SuperAdministrator, msg::kRoleSuperAdministrator},
      {SystemAdministrator, msg::kRoleSystemAdministrator},
      {Administrator, msg::kRoleAdministrator},
      {User, msg::kRoleUser},
  };
  out.text(msg::kHelpRolesLabel);
  const char* separator = "";
  for (const RoleName& each : kRoleNames) {
    if (!mayUse(each.role, row)) continue;
    out.text(separator).text(each.name);
    separator = msg::kHelpRoleSeparator;
  }
  out.endLine();
}

}  // namespace

void printCommandList(ConsoleWriter& out, const std::vector<const CommandRow*>& rows) {
  size_t column = 0;
  for (const CommandRow* row : rows) column = std::max(column, displayWidth(usageOf(*row)));
  column += kColumnGap;
  out.text(msg::kHelpHeading).endLine();
  for (const CommandRow* row : rows) {
    std::string usage = usageOf(*row);
    out.data(std::string(kIndent, ' ')).text(usage);
    out.data(std::string(column - displayWidth(usage), ' ')).text(row->help.summary).endLine();
  }
  out.text(msg::kHelpFooter).endLine();
}

void printCommandHelp(ConsoleWriter& out, const CommandRow& row) {
  out.text(msg::kHelpUsageLabel).text(usageOf(row)).endLine();
  out.text(row.help.details).endLine();
  printQuestions(out, row);
  printRoles(out, row);
  out.text(msg::kHelpExampleLabel).data(row.help.example).endLine();
}

size_t displayWidth(std::string_view utf8) {
  size_t width = 0;
  for (unsigned char byte : utf8) {
    if (byte < 0x80) {
      width += 1;
    } else if (byte >= 0xC0) {
      width += 2;  // the first byte of a character; the bytes that follow it add nothing
    }
  }
  return width;
}

}  // namespace vellumkeep
