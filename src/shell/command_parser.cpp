#include "shell/command_parser.h"

#include <stdexcept>
#include <vector>

#include "model/charsets.h"
#include "model/messages.h"
#include "model/name_rules.h"

namespace vellumkeep {

namespace {

enum class ParseForm {
  kPlainWords,   // every word pushed untested
  kNoArguments,  // further words ignored
  kNewAccount,   // name and password tested, asked when none is typed
  kNewGroup,     // text words, the group asked when none is typed
  kNewEntry,     // group, account, password and info items
  kDeletion,     // text words, then a confirmation
  kTextWords,    // text words
  kNewPassword,  // exactly one word, the password rule applied
};

struct CommandSpec {
  const char* word;
  CommandCode code;
  int mask;  // roles allowed, as bits
  ParseForm form;
  const char* warning = nullptr;   // first line of a deletion's confirmation, if any
  const char* question = nullptr;  // confirmation of a deletion
};

const CommandSpec kCommandTable[] = {
    {"dir", 0, 9, ParseForm::kPlainWords},
    {"seach", 1, 9, ParseForm::kPlainWords},
    {"password", 2, 9, ParseForm::kPlainWords},
    {"user", 3, 7, ParseForm::kNoArguments},
    {"mode", 4, 15, ParseForm::kPlainWords},
    {"addadmin", 5, 3, ParseForm::kNewAccount},
    {"adduser", 6, 7, ParseForm::kNewAccount},
    {"adddir", 7, 9, ParseForm::kNewGroup},
    {"addpassword", 8, 9, ParseForm::kNewEntry},
    {"deladmin", 9, 3, ParseForm::kDeletion, nullptr, msg::kConfirmDeleteAdmin},
    {"deluser", 10, 7, ParseForm::kDeletion, msg::kWarnDeleteUser, msg::kConfirmDeleteUser},
    {"deldir", 11, 9, ParseForm::kDeletion, msg::kWarnDeleteGroup, msg::kConfirmDeleteGroup},
    {"delpassword", 12, 9, ParseForm::kDeletion, nullptr, msg::kConfirmDeleteEntry},
    {"setmode", 13, 8, ParseForm::kTextWords},
    {"setpassword", 14, 7, ParseForm::kNewPassword},
};

constexpr CommandCode kAddUserCode = 6;

void push(ProgramState& state, std::string text) {
  state.argumentStack.push_back(ArgumentEntry{1, std::move(text)});
}

void requireText(std::string_view text) {
  if (!consistsOf(text, kTextCharset)) throw std::runtime_error(msg::kIllegalCharacter);
}

void checkPermission(ProgramState& state, const CommandSpec& spec) {
  if ((state.operatorAccount().role & spec.mask) == 0) {
    throw std::runtime_error(msg::kNoPermission);
  }
}

// Writes a question that is answered on the same line.
void prompt(ProgramState& state, const char* text) {
  state.console.out.text(text).flush();
}

// Reads every remaining word, tests it with `test` and pushes it; returns how many.
template <typename Test>
int pushRemainingWords(ProgramState& state, Test test) {
  int count = 0;
  std::string word;
  while (readWord(state, word)) {
    test(count, word);
    push(state, word);
    ++count;
  }
  return count;
}

// Writes `question` and reads the answer; a secret is read without echo on a terminal.
std::string ask(ProgramState& state, const char* question, bool secret = false) {
  prompt(state, question);
  return secret ? state.console.readSecretLine() : state.console.readLine();
}

// An answer that must consist of text bytes.
std::string askText(ProgramState& state, const char* question, bool secret = false) {
  std::string answer = ask(state, question, secret);
  requireText(answer);
  return answer;
}

CommandCode parseNewAccount(ProgramState& state, const CommandSpec& spec) {
  int typed = pushRemainingWords(state, [](int index, const std::string& word) {
    if (index == 0) checkUserName(word);
    if (index == 1) checkPassword(word);
  });
  checkPermission(state, spec);
  if (typed > 0) return spec.code;
  std::string name = ask(state, msg::kAskUserName);
  checkUserName(name);
  push(state, name);
  std::string password = ask(state, msg::kAskPassword, true);
  checkPassword(password);
  push(state, password);
  if (spec.code == kAddUserCode) push(state, ask(state, msg::kAskMode));
  return spec.code;
}

// Whether the operator wants to add another (type, content) pair.
bool askMoreInfo(ProgramState& state) {
  for (;;) {
    state.console.out.text(msg::kAskMoreInfo).endLine();
    std::string answer = state.console.readLine();
    if (answer == "Y" || answer == "y") return true;
    if (answer == "N" || answer == "n") return false;
    state.console.err.text(msg::kWrongAnswer).endLine();
  }
}

std::string joinItems(const std::vector<std::string>& items) {
  std::string info;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) info += '\n';
    info += items[i];
  }
  return info;
}

CommandCode parseNewEntry(ProgramState& state, const CommandSpec& spec) {
  int count = 0;
  std::string word;
  while (count < 3 && readWord(state, word)) {
    ++count;
    requireText(word);
    push(state, word);
  }
  checkPermission(state, spec);
  if (count == 1 || count == 2) throw std::runtime_error(msg::kBadArguments);
  std::vector<std::string> items;
  if (count == 3) {
    while (readWord(state, word)) {
      requireText(word);
      items.push_back(word);
    }
    push(state, joinItems(items));
    if (items.size() % 2 != 0) throw std::runtime_error(msg::kBadArguments);
    return spec.code;
  }
  push(state, askText(state, msg::kAskTargetGroup));
  push(state, askText(state, msg::kAskUserName));
  push(state, askText(state, msg::kAskPassword, true));
  while (askMoreInfo(state)) {
    items.push_back(askText(state, msg::kAskInfoType));
    items.push_back(askText(state, msg::kAskInfoContent));
  }
  push(state, joinItems(items));
  return spec.code;
}

bool confirmDeletion(ProgramState& state, const CommandSpec& spec) {
  if (!spec.warning) return askYesNo(state, spec.question);
  return askYesNo(state, std::string(spec.warning) + "\n" + spec.question);
}

CommandCode parseForm(ProgramState& state, const CommandSpec& spec) {
  auto textWord = [](int, const std::string& word) { requireText(word); };
  switch (spec.form) {
    case ParseForm::kPlainWords:
      pushRemainingWords(state, [](int, const std::string&) {});
      break;
    case ParseForm::kNoArguments:
      break;
    case ParseForm::kNewAccount:
      return parseNewAccount(state, spec);
    case ParseForm::kNewGroup:
      if (pushRemainingWords(state, textWord) > 0) break;
      checkPermission(state, spec);
      push(state, askText(state, msg::kAskGroup));
      return spec.code;
    case ParseForm::kNewEntry:
      return parseNewEntry(state, spec);
    case ParseForm::kDeletion:
      pushRemainingWords(state, textWord);
      checkPermission(state, spec);
      return confirmDeletion(state, spec) ? spec.code : kDeclined;
    case ParseForm::kTextWords:
      pushRemainingWords(state, textWord);
      break;
    case ParseForm::kNewPassword: {
      std::string password;
      readWord(state, password);
      checkPassword(password);
      push(state, password);
      break;
    }
  }
  checkPermission(state, spec);
  return spec.code;
}

}  // namespace

CommandCode parseCommand(ProgramState& state, std::string_view line) {
  state.commandStream.clear();
  state.commandStream.str(std::string(line));
  std::string word;
  readWord(state, word);
  for (const CommandSpec& spec : kCommandTable) {
    if (word == spec.word) {
      push(state, word);
      return parseForm(state, spec);
    }
  }
  throw std::runtime_error(msg::kUnknownCommand);
}

bool readWord(ProgramState& state, std::string& word) {
  word.clear();
  return static_cast<bool>(state.commandStream >> word);
}

bool askYesNo(ProgramState& state, std::string_view question) {
  for (;;) {
    state.console.out.text(question).endLine();
    std::string answer = state.console.readLine();
    if (answer == "Y" || answer == "y") return true;
    if (answer == "N" || answer == "n") return false;
    state.console.out.text(msg::kAnswerAgain).flush();
  }
}

}  // namespace vellumkeep
