#include "shell/completion.h"

#include <algorithm>
#include <iterator>

#include "commands/command_table.h"
#include "exec/command_words.h"

namespace vellumkeep {

namespace {

// What the argument at `argument` (0 for the first) of `row` completes with; the command word
// itself without a row.
CompletedWord kindOf(const CommandRow* row, size_t argument) {
  if (!row) return CompletedWord::kCommand;
  if (argument == 0) return row->completes.first;
  return argument == 1 ? row->completes.second : row->completes.later;
}

// Every word of `kind`, possibly repeated.
std::vector<std::string> wordsOf(const ProgramState& state, const UserAccount& op,
                                 CompletedWord kind, const std::vector<std::string_view>& typed) {
  std::vector<std::string> words;
  switch (kind) {
    case CompletedWord::kNone:
      break;
    case CompletedWord::kCommand:
      for (const CommandRow& row : commandRows()) {
        if (mayUse(op.role, row)) words.push_back(row.word);
      }
      break;
    case CompletedWord::kGroup:
      for (const Group& group : op.groups) words.push_back(group.name);
      break;
    case CompletedWord::kGroupAccount:
      if (const Group* group = typed.size() > 1 ? findGroup(op, typed[1]) : nullptr) {
        for (const PasswordEntry& entry : group->entries) words.emplace_back(entry.account());
      }
      break;
    case CompletedWord::kAnyAccount:
      for (const Group& group : op.groups) {
        for (const PasswordEntry& entry : group.entries) words.emplace_back(entry.account());
      }
      break;
    case CompletedWord::kStrongMode:
      words.push_back(modeName(Strong));
      break;
    case CompletedWord::kMode:
    case CompletedWord::kNewUserMode:
      for (const ModeRow& mode : kModes) {
        if (kind == CompletedWord::kMode || mode.newAccounts) words.push_back(mode.name);
      }
      break;
    case CompletedWord::kUser:
      for (const UserAccount& user : state.registry.users) words.push_back(user.name);
      break;
    case CompletedWord::kAdministrator:
      for (const UserAccount& admin : state.registry.administrators) {
        if (admin.role == Administrator) words.push_back(admin.name);
      }
      break;
  }
  return words;
}

}  // namespace

std::vector<std::string> completeWord(const ProgramState& state, std::string_view before) {
  const UserAccount* op = state.registry.findAccount(state.operatorName);
  if (!op) return {};
  std::vector<std::string_view> typed = splitWords(before);
  const bool newWord = before.empty() || before.back() == ' ' || before.back() == '\t';
  std::string_view partial = newWord || typed.empty() ? "" : typed.back();
  if (!newWord && !typed.empty()) typed.pop_back();
  const CommandRow* row = nullptr;
  if (!typed.empty()) {
    row = findCommand(typed[0]);
    if (!row || !mayUse(op->role, *row)) return {};
  }
  const size_t argument = typed.empty() ? 0 : typed.size() - 1;
  std::vector<std::string> candidates;
  for (std::string& word : wordsOf(state, *op, kindOf(row, argument), typed)) {
    if (word.compare(0, partial.size(), partial) != 0) continue;
    if (std::find(candidates.begin(), candidates.end(), word) != candidates.end()) continue;
    candidates.push_back(std::move(word));
  }
  return candidates;
}

}  // namespace vellumkeep
