#include "platform/terminal_editor.h"

#include <histedit.h>

#include <algorithm>
#include <climits>
#include <clocale>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <string_view>

#include "platform/secret_memory.h"
#include "platform/terminal.h"
#include "platform/terminal_mode.h"

namespace vellumkeep {

namespace {

constexpr int kHistorySize = 100;
constexpr unsigned char kCtrlC = 0x03;
constexpr unsigned char kCtrlD = 0x04;
constexpr unsigned char kCtrlU = 0x15;
constexpr unsigned char kBackspace = 0x08;
constexpr unsigned char kDelete = 0x7f;
constexpr unsigned char kEscape = 0x1b;

// Key bindings beyond libedit's emacs defaults, as (keys, function). Ctrl-Y puts nothing back:
// what was killed may be a line that holds a password.
constexpr const char* kBindings[][2] = {
    {"^W", "ed-delete-prev-word"},     {"^U", "vi-kill-line-prev"},  {"^R", "em-inc-search-prev"},
    {"^L", "ed-clear-screen"},         {"\\e[H", "ed-move-to-beg"},  {"\\e[1~", "ed-move-to-beg"},
    {"\\eOH", "ed-move-to-beg"},       {"\\e[7~", "ed-move-to-beg"}, {"\\e[F", "ed-move-to-end"},
    {"\\e[4~", "ed-move-to-end"},      {"\\eOF", "ed-move-to-end"},  {"\\e[8~", "ed-move-to-end"},
    {"\\e[3~", "ed-delete-next-char"}, {"^Y", "ed-unassigned"},
};

// Removes the last character of `text`, with its UTF-8 continuation bytes.
void eraseLastCharacter(std::string& text) {
  while (!text.empty()) {
    unsigned char last = static_cast<unsigned char>(text.back());
    text.back() = '\0';
    text.pop_back();
    if ((last & 0xC0) != 0x80) return;
  }
}

size_t blankAfterLastWord(std::string_view before) {
  size_t blank = before.find_last_of(" \t");
  return blank == std::string_view::npos ? 0 : blank + 1;
}

// The columns that `prompt` (in the locale's code page) and `typed` take on the screen.
int columnsOf(const std::string& prompt, std::wstring_view typed) {
  std::wstring text(prompt.size() + 1, L'\0');
  const size_t length = std::mbstowcs(text.data(), prompt.c_str(), text.size());
  text.resize(length == static_cast<size_t>(-1) ? 0 : length);
  text.append(typed);
  return std::max(0, wcswidth(text.c_str(), text.size()));
}

}  // namespace

bool EscapeSequenceFilter::skip(unsigned char key) {
  if (key == kEscape) {
    state_ = State::kEscape;
    return true;
  }
  if (key < 0x20 || key == kDelete) {
    state_ = State::kText;
    return false;
  }
  switch (state_) {
    case State::kText:
      return false;
    case State::kEscape:
      state_ = key == '['   ? State::kControlSequence
               : key == 'O' ? State::kSingleShift
                            : State::kText;  // a key with Alt
      return true;
    case State::kControlSequence:
      if (key >= 0x40 && key <= 0x7e) state_ = State::kText;  // the final byte
      return true;
    case State::kSingleShift:
      state_ = State::kText;
      return true;
  }
  return false;
}

CompletionStep completionStep(std::string_view word, const std::vector<std::string>& candidates) {
  CompletionStep step;
  if (candidates.empty()) return step;
  if (candidates.size() == 1) {
    step.insert = candidates[0].substr(std::min(word.size(), candidates[0].size())) + " ";
    return step;
  }
  std::string_view common = candidates[0];
  for (const std::string& candidate : candidates) {
    size_t same = 0;
    while (same < common.size() && same < candidate.size() && common[same] == candidate[same]) {
      ++same;
    }
    common = common.substr(0, same);
  }
  if (common.size() > word.size()) step.insert = std::string(common.substr(word.size()));
  step.list = step.insert.empty();
  return step;
}

std::unique_ptr<TerminalEditor> TerminalEditor::open(std::FILE* in, std::FILE* out, std::FILE* err,
                                                     ConsoleEncoding encoding) {
  if (!useLocaleOf(encoding)) return nullptr;
  std::unique_ptr<TerminalEditor> editor(new TerminalEditor(in, out, err));
  if (!editor->el_ || !editor->history_) return nullptr;
  return editor;
}

TerminalEditor::TerminalEditor(std::FILE* in, std::FILE* out, std::FILE* err)
    : inFd_(fileno(in)), out_(out), keys_(inFd_) {
  el_ = el_init_fd("vellumkeep", in, out, err, inFd_, fileno(out), fileno(err));
  history_ = history_init();
  if (!el_ || !history_) return;
  HistEvent event;
  history(history_, &event, H_SETSIZE, kHistorySize);
  history(history_, &event, H_SETUNIQUE, 1);
  char replacement[MB_LEN_MAX];
  if (std::wctomb(replacement, L'\uFFFD') > 0) replacement_ = L'\uFFFD';
  el_set(el_, EL_CLIENTDATA, this);
  el_set(el_, EL_EDITOR, "emacs");
  el_set(el_, EL_SIGNAL, 0);
  // Ctrl-C comes as a key while a line is edited, so that it ends only the line.
  el_set(el_, EL_SETTY, "-d", "-isig", nullptr);
  el_set(el_, EL_GETCFN, &TerminalEditor::readKey);
  el_set(el_, EL_PROMPT, &TerminalEditor::promptOf);
  el_set(el_, EL_HIST, history, history_);
  bindKeys();
  watchWindowSize();
}

TerminalEditor::~TerminalEditor() {
  if (el_) el_end(el_);
  if (history_) history_end(history_);
}

void TerminalEditor::bindKeys() {
  // The wide form keeps the names as given; the narrow one copies them and never frees them.
  el_wset(el_, EL_ADDFN, L"vk-interrupt", L"Discard the line", &TerminalEditor::interrupt);
  el_set(el_, EL_BIND, "^C", "vk-interrupt", nullptr);
  el_wset(el_, EL_ADDFN, L"vk-complete", L"Complete the word", &TerminalEditor::complete);
  el_set(el_, EL_BIND, "^I", "vk-complete", nullptr);
  for (const auto& binding : kBindings) el_set(el_, EL_BIND, binding[0], binding[1], nullptr);
}

TerminalEditor& TerminalEditor::of(EditLine* el) {
  void* editor = nullptr;
  el_get(el, EL_CLIENTDATA, &editor);
  return *static_cast<TerminalEditor*>(editor);
}

int TerminalEditor::readKey(EditLine* el, wchar_t* key) {
  TerminalEditor& editor = of(el);
  for (;;) {
    unsigned char byte = 0;
    KeyReader::Result result = editor.keys_.next(byte);
    if (result == KeyReader::Result::kResized) {
      editor.redrawAtNewWidth();
      continue;
    }
    if (result != KeyReader::Result::kKey) {
      editor.status_ = result == KeyReader::Result::kIdle ? Status::kIdle : Status::kHungUp;
      return 0;
    }
    char c = static_cast<char>(byte);
    size_t used = std::mbrtowc(key, &c, 1, &editor.decoding_);
    if (used == static_cast<size_t>(-2)) continue;  // the character goes on
    if (used == static_cast<size_t>(-1)) {
      // A byte the locale cannot read stays visible (and refused later) rather than lost.
      editor.decoding_ = {};
      *key = editor.replacement_;
    }
    return 1;
  }
}

char* TerminalEditor::promptOf(EditLine* el) {
  return of(el).prompt_.data();
}

unsigned char TerminalEditor::interrupt(EditLine* el, int) {
  TerminalEditor& editor = of(el);
  editor.status_ = Status::kInterrupted;
  // As a shell does: past the rest of the line, ^C marks it as discarded.
  const LineInfo* line = el_line(el);
  editor.write(std::string(line->cursor, line->lastchar) + "^C");
  return CC_EOF;
}

unsigned char TerminalEditor::complete(EditLine* el, int) {
  TerminalEditor& editor = of(el);
  if (!editor.completer_) return CC_ERROR;
  const LineInfo* line = el_line(el);
  std::string_view before(line->buffer, static_cast<size_t>(line->cursor - line->buffer));
  std::vector<std::string> candidates = editor.completer_(before);
  CompletionStep step = completionStep(before.substr(blankAfterLastWord(before)), candidates);
  if (!step.insert.empty()) {
    el_insertstr(el, step.insert.c_str());
    return CC_REFRESH;
  }
  if (!step.list) return CC_REFRESH_BEEP;
  std::string listing = "\n";
  for (const std::string& candidate : candidates) listing += candidate + "  ";
  editor.write(listing + "\n");
  return CC_REDISPLAY;
}

void TerminalEditor::write(std::string_view bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), out_);
  std::fflush(out_);
}

void TerminalEditor::redrawAtNewWidth() {
  // The terminal has wrapped the prompt and the line anew at its new width, as most do (on one
  // that keeps its rows the line may land a row off). Back to the row where the prompt starts,
  // erase down, and let libedit draw both at the new width.
  el_resize(el_);
  int columns = 0;
  el_get(el_, EL_GETTC, "co", &columns);
  const LineInfoW* line = el_wline(el_);
  const int beforeCursor =
      columnsOf(prompt_, std::wstring_view(line->buffer, line->cursor - line->buffer));
  const int rowsUp = columns > 0 ? beforeCursor / columns : 0;
  std::string back = "\r";
  if (rowsUp > 0) back += "\x1b[" + std::to_string(rowsUp) + "A";
  write(back + "\x1b[J");
  el_set(el_, EL_REFRESH);
}

void TerminalEditor::throwUnlessLine(Status status, bool gotLine) {
  if (status == Status::kIdle) throw InputIdle{};
  if (status == Status::kReading && gotLine) return;
  write("\n");  // the line was not ended by Enter
  if (status == Status::kHungUp) throw InputExhausted{};
  if (status == Status::kInterrupted) throw InputCancelled{InputCancelled::Key::kInterrupt};
  throw InputCancelled{InputCancelled::Key::kEnd};
}

std::string TerminalEditor::readLine(std::string_view prompt) {
  prompt_ = prompt;
  status_ = Status::kReading;
  decoding_ = {};
  takeWindowResized();  // the prompt is drawn at the size of now
  el_resize(el_);
  int count = 0;
  const char* line = nullptr;
  {
    // Keys are read one at a time from before the prompt shows, so that none typed at the
    // prompt reaches the terminal's own line handling (where Ctrl-C is a signal). libedit
    // changes the settings further while it reads; all are put back afterwards.
    TerminalModeChange keysOneByOne(inFd_, TerminalModeKind::kKeysWithoutEcho);
    line = el_gets(el_, &count);
  }
  std::fflush(out_);
  throwUnlessLine(status_, line != nullptr && count > 0);
  std::string text(line, static_cast<size_t>(count));
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

TerminalEditor::Status TerminalEditor::readHidden(std::string_view prompt, SecretString& line,
                                                  bool& endKey) {
  // Echo goes off before the question shows, so that no key typed in answer is ever echoed.
  TerminalModeChange mode(inFd_, TerminalModeKind::kKeysWithoutEcho);
  write(prompt);
  EscapeSequenceFilter escapes;
  for (;;) {
    unsigned char key = 0;
    KeyReader::Result result = keys_.next(key);
    if (result == KeyReader::Result::kIdle) return Status::kIdle;
    if (result == KeyReader::Result::kEnd) return Status::kHungUp;
    if (result == KeyReader::Result::kResized || escapes.skip(key)) continue;
    if (key == '\r' || key == '\n') return Status::kReading;
    if (key == kCtrlC) return Status::kInterrupted;
    if (key == kCtrlD && line.empty()) {
      endKey = true;
      return Status::kReading;
    }
    if (key == kCtrlU) {
      line.clear();
    } else if (key == kDelete || key == kBackspace) {
      line.edit(eraseLastCharacter);
    } else if (key != kCtrlD) {
      line.append(static_cast<char>(key));
    }
  }
}

SecretString TerminalEditor::readSecretLine(std::string_view prompt) {
  SecretString line;
  bool endKey = false;
  Status status = readHidden(prompt, line, endKey);
  if (status != Status::kReading || endKey) throwUnlessLine(status, false);
  write("\n");
  return line;
}

void TerminalEditor::remember(std::string_view line) {
  HistEvent event;
  history(history_, &event, H_ENTER, std::string(line).c_str());
}

}  // namespace vellumkeep
