#include "shell/completion.h"

#include <algorithm>
#include <iterator>

#include "shell/command_table.h"

namespace vellumkeep {

namespace {

// What a command's argument can be completed with.
enum class WordKind {
  kNone,
  kCommands,        // command words the Operator may use
  kGroups,          // the Operator's groups
  kGroupAccounts,   // the accounts of the group named by the first argument
  kAllAccounts,     // the accounts of every group
  kModes,           // the encryption modes
  kNewUserModes,    // the modes a new user may start in
  kUsers,           // accounts of role User
  kAdministrators,  // accounts of role Administrator
};

// The arguments a command completes, by position; the last kind stands for every later one.
struct ArgumentWords {
  const char* command;
  WordKind kinds[3];
};

constexpr ArgumentWords kArgumentWords[] = {
    {"dir", {WordKind::kGroups, WordKind::kGroups, WordKind::kGroups}},
    {"seach", {WordKind::kAllAccounts, WordKind::kAllAccounts, WordKind::kAllAccounts}},
    {"password", {WordKind::kGroups, WordKind::kGroupAccounts, WordKind::kNone}},
    {"copypassword", {WordKind::kGroups, WordKind::kGroupAccounts, WordKind::kNone}},
    {"delpassword", {WordKind::kGroups, WordKind::kGroupAccounts, WordKind::kNone}},
    {"addpassword", {WordKind::kGroups, WordKind::kNone, WordKind::kNone}},
    {"deldir", {WordKind::kGroups, WordKind::kNone, WordKind::kNone}},
    {"setmode", {WordKind::kModes, WordKind::kNone, WordKind::kNone}},
    {"adduser", {WordKind::kNone, WordKind::kNone, WordKind::kNewUserModes}},
    {"deluser", {WordKind::kUsers, WordKind::kNone, WordKind::kNone}},
    {"deladmin", {WordKind::kAdministrators, WordKind::kNone, WordKind::kNone}},
    {"help", {WordKind::kCommands, WordKind::kNone, WordKind::kNone}},
};

std::vector<std::string> splitWords(std::string_view line) {
  std::vector<std::string> words;
  size_t at = line.find_first_not_of(" \t");
  while (at != std::string_view::npos) {
    size_t end = std::min(line.find_first_of(" \t", at), line.size());
    words.emplace_back(line.substr(at, end - at));
    at = line.find_first_not_of(" \t", end);
  }
  return words;
}

WordKind kindOf(std::string_view command, size_t argument) {
  if (argument == 0 && command.empty()) return WordKind::kCommands;
  for (const ArgumentWords& entry : kArgumentWords) {
    if (command == entry.command) return entry.kinds[std::min<size_t>(argument, 2)];
  }
  return WordKind::kNone;
}

// Every word of `kind`, possibly repeated.
std::vector<std::string> wordsOf(ProgramState& state, const UserAccount& op, WordKind kind,
                                 const std::vector<std::string>& typed) {
  std::vector<std::string> words;
  switch (kind) {
    case WordKind::kNone:
      break;
    case WordKind::kCommands:
      for (const CommandRow& row : commandRows()) {
        if (mayUse(op.role, row)) words.push_back(row.word);
      }
      break;
    case WordKind::kGroups:
      for (const Group& group : op.groups) words.push_back(group.name);
      break;
    case WordKind::kGroupAccounts:
      if (const Group* group = typed.size() > 1 ? findGroup(op, typed[1]) : nullptr) {
        for (const PasswordEntry& entry : group->entries) words.emplace_back(entry.account());
      }
      break;
    case WordKind::kAllAccounts:
      for (const Group& group : op.groups) {
        for (const PasswordEntry& entry : group.entries) words.emplace_back(entry.account());
      }
      break;
    case WordKind::kModes:
      words.assign(std::begin(kModeNames), std::end(kModeNames));
      break;
    case WordKind::kNewUserModes:
      words = {kSimpleModeName, kStrongModeName};
      break;
    case WordKind::kUsers:
      for (const UserAccount& user : state.registry.users) words.push_back(user.name);
      break;
    case WordKind::kAdministrators:
      for (const UserAccount& admin : state.registry.administrators) {
        if (admin.role == Administrator) words.push_back(admin.name);
      }
      break;
  }
  return words;
}

}  // namespace

std::vector<std::string> completeWord(ProgramState& state, std::string_view before) {
  const UserAccount* op = state.registry.findAccount(state.operatorName);
  if (!op) return {};
  std::vector<std::string> typed = splitWords(before);
  const bool newWord = before.empty() || before.back() == ' ' || before.back() == '\t';
  std::string partial = newWord || typed.empty() ? "" : typed.back();
  if (!newWord && !typed.empty()) typed.pop_back();
  std::string_view command;
  if (!typed.empty()) {
    const CommandRow* row = findCommand(typed[0]);
    if (!row || !mayUse(op->role, *row)) return {};
    command = row->word;
  }
  const size_t argument = typed.empty() ? 0 : typed.size() - 1;
  std::vector<std::string> candidates;
  for (std::string& word : wordsOf(state, *op, kindOf(command, argument), typed)) {
    if (word.compare(0, partial.size(), partial) != 0) continue;
    if (std::find(candidates.begin(), candidates.end(), word) != candidates.end()) continue;
    candidates.push_back(std::move(word));
  }
  return candidates;
}

}  // namespace vellumkeep
