#include "shell/command_parser.h"

#include <stdexcept>
#include <vector>

#include "commands/command_table.h"
#include "model/charsets.h"
#include "model/messages.h"
#include "model/name_rules.h"
#include "model/password_store.h"

namespace vellumkeep {

namespace {

void push(ProgramState& state, SecretString text) {
  state.argumentStack.push_back(ArgumentEntry{1, std::move(text)});
}

void requireText(std::string_view text) {
  if (!consistsOf(text, kTextCharset)) throw std::runtime_error(msg::kIllegalCharacter);
}

void checkPermission(ProgramState& state, const CommandRow& row) {
  if (!mayUse(state.operatorAccount().role, row)) throw std::runtime_error(msg::kNoPermission);
}

// Writes a question that is answered on the same line.
void prompt(ProgramState& state, const char* text) {
  state.console.out.text(text).flush();
}

// Reads every remaining word, tests it with `test` and pushes it; returns how many.
template <typename Test>
int pushRemainingWords(ProgramState& state, Test test) {
  int count = 0;
  SecretString word;
  while (readWord(state, word)) {
    test(count, word);
    push(state, std::move(word));
    ++count;
  }
  return count;
}

// Writes `question` and reads the answer; a secret is read without echo on a terminal.
SecretString ask(ProgramState& state, const char* question, bool secret = false) {
  prompt(state, question);
  return secret ? state.console.readSecretLine() : state.console.readLine();
}

// An answer that stands for one word of the line: text bytes, and not empty, since an empty
// answer is the word's absence (an empty group name could never be named again).
SecretString askWord(ProgramState& state, const char* question, bool secret = false) {
  SecretString answer = ask(state, question, secret);
  requireText(answer);
  if (answer.empty()) throw std::runtime_error(msg::kBadArguments);
  return answer;
}

// The mode whose password rules apply to the password just read: the mode named after it on
// the line (mode strong allows longer passwords), else simple.
int32_t modeNamedNext(const ProgramState& state) {
  const ModeRow* mode = findNewAccountMode(state.commandStream.upcoming());
  return mode ? mode->code : Simple;
}

CommandCode parseNewAccount(ProgramState& state, const CommandRow& row) {
  int typed = pushRemainingWords(state, [&state](int index, std::string_view word) {
    if (index == 0) checkUserName(word);
    if (index == 1) checkPassword(word, modeNamedNext(state));
  });
  checkPermission(state, row);
  if (typed > 0) return row.code;
  const auto& asked = row.dialogue.questions;
  const bool asksMode = row.form == ParseForm::kNewAccountMode;
  SecretString name = ask(state, asked[0]);
  checkUserName(name);
  push(state, std::move(name));
  SecretString password = ask(state, asked[1], true);
  // The mode is asked afterwards: the operation applies its rules then.
  checkPassword(password, asksMode ? Strong : Simple);
  push(state, std::move(password));
  if (asksMode) push(state, ask(state, asked[2]));
  return row.code;
}

// The Operator's mode, whose password rules setpassword applies; simple when there is none.
int32_t operatorMode(const ProgramState& state) {
  const UserAccount* op = state.registry.findAccount(state.operatorName);
  return op ? op->mode : Simple;
}

// Asks every question of the row, hidden, and pushes the answers.
void askHiddenQuestions(ProgramState& state, const CommandRow& row) {
  for (const char* question : row.dialogue.questions) {
    if (question) push(state, ask(state, question, true));
  }
}

// setmode: a move into mode strong asks a new password, since the old one was kept reversibly.
CommandCode parseModeChange(ProgramState& state, const CommandRow& row) {
  const int typed =
      pushRemainingWords(state, [](int, std::string_view word) { requireText(word); });
  checkPermission(state, row);
  const ModeRow* named = typed == 1 ? findMode(state.argumentStack.back().text.str()) : nullptr;
  if (named && named->code == Strong && operatorMode(state) != Strong) {
    askHiddenQuestions(state, row);
  }
  return row.code;
}

// The answer to a yes/no question of addpassword or editpassword (another type/content pair?),
// asked again after "输入错误!" until it is Y or N in either case.
bool askMoreInfo(ProgramState& state, const char* question) {
  for (;;) {
    state.console.out.text(question).endLine();
    const SecretString answer = state.console.readLine();
    if (answer == "Y" || answer == "y") return true;
    if (answer == "N" || answer == "n") return false;
    state.console.err.text(msg::kWrongAnswer).endLine();
  }
}

SecretString joinItems(const std::vector<SecretString>& items) {
  std::string info;
  size_t size = items.size();
  for (const SecretString& item : items) size += item.size();
  info.reserve(size);  // not left behind in pieces by growing
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) info += '\n';
    info += items[i].str();
  }
  return info;
}

CommandCode parseNewEntry(ProgramState& state, const CommandRow& row) {
  int count = 0;
  SecretString word;
  while (count < 3 && readWord(state, word)) {
    ++count;
    requireText(word);
    push(state, std::move(word));
  }
  checkPermission(state, row);
  if (count == 1 || count == 2) throw std::runtime_error(msg::kBadArguments);
  std::vector<SecretString> items;
  if (count == 3) {
    while (readWord(state, word)) {
      requireText(word);
      items.push_back(std::move(word));
    }
    push(state, joinItems(items));
    if (items.size() % 2 != 0) throw std::runtime_error(msg::kBadArguments);
    return row.code;
  }
  const auto& asked = row.dialogue.questions;
  push(state, askWord(state, asked[0]));
  push(state, askWord(state, asked[1]));
  push(state, askWord(state, asked[2], true));
  while (askMoreInfo(state, asked[3])) {
    items.push_back(askWord(state, asked[4]));
    items.push_back(askWord(state, asked[5]));
  }
  push(state, joinItems(items));
  return row.code;
}

// Refuses with the operation's message when the entry that the words on the stack name is
// missing: nobody types a new password for nothing.
void requireNamedEntry(ProgramState& state) {
  const ArgumentStack& stack = state.argumentStack;
  const Group& group = requireGroup(state.operatorAccount(), stack[1].text.str());
  if (!findEntry(group, stack[2].text.str())) throw std::runtime_error(msg::kEntryMissing);
}

// Group and account, then the new password on the line; without it the password is asked for
// (an empty answer keeps the old one) and, on request, type/content pairs that replace the old.
CommandCode parseEditEntry(ProgramState& state, const CommandRow& row) {
  const int count =
      pushRemainingWords(state, [](int, std::string_view word) { requireText(word); });
  checkPermission(state, row);
  if (count != 2 && count != 3) throw std::runtime_error(msg::kBadArguments);
  if (count == 3) return row.code;
  requireNamedEntry(state);
  const auto& asked = row.dialogue.questions;
  SecretString password = ask(state, asked[0], true);
  requireText(password);
  push(state, std::move(password));
  if (!askMoreInfo(state, asked[1])) return row.code;
  std::vector<SecretString> items;
  while (askMoreInfo(state, asked[2])) {
    items.push_back(askWord(state, asked[3]));
    items.push_back(askWord(state, asked[4]));
  }
  push(state, joinItems(items));
  return row.code;
}

bool confirmDeletion(ProgramState& state, const CommandRow& row) {
  const Dialogue& dialogue = row.dialogue;
  if (!dialogue.warning) return askYesNo(state, dialogue.confirmation);
  return askYesNo(state, std::string(dialogue.warning) + "\n" + dialogue.confirmation);
}

CommandCode parseForm(ProgramState& state, const CommandRow& row) {
  auto textWord = [](int, std::string_view word) { requireText(word); };
  switch (row.form) {
    case ParseForm::kPlainWords:
      pushRemainingWords(state, [](int, std::string_view) {});
      break;
    case ParseForm::kNoArguments:
      break;
    case ParseForm::kEnd:
      return row.code;
    case ParseForm::kNewAccount:
    case ParseForm::kNewAccountMode:
      return parseNewAccount(state, row);
    case ParseForm::kNewGroup:
      if (pushRemainingWords(state, textWord) > 0) break;
      checkPermission(state, row);
      push(state, askWord(state, row.dialogue.questions[0]));
      return row.code;
    case ParseForm::kNewEntry:
      return parseNewEntry(state, row);
    case ParseForm::kEditEntry:
      return parseEditEntry(state, row);
    case ParseForm::kDeletion:
      pushRemainingWords(state, textWord);
      checkPermission(state, row);
      return confirmDeletion(state, row) ? row.code : kDeclined;
    case ParseForm::kTextWords:
      pushRemainingWords(state, textWord);
      break;
    case ParseForm::kPasswordChange:
      pushRemainingWords(state, textWord);
      checkPermission(state, row);
      askHiddenQuestions(state, row);
      return row.code;
    case ParseForm::kModeChange:
      return parseModeChange(state, row);
    case ParseForm::kNewPassword: {
      SecretString password;
      readWord(state, password);
      checkPassword(password, operatorMode(state));
      push(state, std::move(password));
      break;
    }
  }
  checkPermission(state, row);
  return row.code;
}

}  // namespace

CommandCode parseCommand(ProgramState& state, std::string_view line) {
  state.commandStream.load(line);
  SecretString word;
  readWord(state, word);
  const CommandRow* row = findCommand(word);
  if (!row) throw std::runtime_error(msg::kUnknownCommand);
  push(state, std::move(word));
  return parseForm(state, *row);
}

bool readWord(ProgramState& state, SecretString& word) {
  return state.commandStream.readWord(word);
}

bool askYesNo(ProgramState& state, std::string_view question) {
  for (;;) {
    state.console.out.text(question).endLine();
    const SecretString answer = state.console.readLine();
    if (answer == "Y" || answer == "y") return true;
    if (answer == "N" || answer == "n") return false;
    state.console.out.text(msg::kAnswerAgain).flush();
  }
}

}  // namespace vellumkeep
