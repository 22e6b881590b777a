// The line editor of a terminal, on libedit: emacs keys (arrows, Home/End, Ctrl-A/E/K/U/W,
// Ctrl-L), history in memory with up/down and Ctrl-R, Tab completion, Ctrl-C and Ctrl-D
// reported to the program, an idle limit, and hidden answers that keep type-ahead.
#pragma once

#include <cstdio>
#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/console.h"
#include "platform/key_reader.h"
#include "platform/line_editor.h"

typedef struct editline EditLine;
typedef struct history History;

namespace vellumkeep {

// The words that may complete the word before the cursor, given the line up to the cursor.
using Completer = std::function<std::vector<std::string>(std::string_view before)>;

// What Tab does with the word before the cursor and the completer's `candidates`: the bytes
// to insert (the rest of the only candidate and a blank, or the candidates' common prefix),
// and whether to list the candidates (several, and nothing left to insert).
struct CompletionStep {
  std::string insert;
  bool list = false;
};
CompletionStep completionStep(std::string_view word, const std::vector<std::string>& candidates);

// Tells which keys of a hidden answer belong to the escape sequence of an editing key (an
// arrow, Home, Delete, a key with Alt), so that they stay out of the answer. A control key
// other than Escape (Backspace too) ends a sequence and counts as itself.
class EscapeSequenceFilter {
 public:
  // True when `key` is part of an escape sequence.
  bool skip(unsigned char key);

 private:
  enum class State { kText, kEscape, kControlSequence, kSingleShift };
  State state_ = State::kText;
};

class TerminalEditor : public LineEditor {
 public:
  // An editor reading keys from the terminal `in` and drawing on `out` (a terminal too);
  // libedit reports its own troubles on `err`. Null when no locale of the terminal's code page
  // `encoding` can be loaded: the console then reads as it does on pipes. Sets the process's
  // character type to that locale.
  static std::unique_ptr<TerminalEditor> open(std::FILE* in, std::FILE* out, std::FILE* err,
                                              ConsoleEncoding encoding);
  ~TerminalEditor() override;
  TerminalEditor(const TerminalEditor&) = delete;
  TerminalEditor& operator=(const TerminalEditor&) = delete;

  std::string readLine(std::string_view prompt) override;
  SecretString readSecretLine(std::string_view prompt) override;
  void remember(std::string_view line) override;
  void pauseIdleLimit(bool paused) override { keys_.pauseIdleLimit(paused); }

  void setCompleter(Completer completer) { completer_ = std::move(completer); }
  // The key source, for the idle limit and work due while waiting.
  KeyReader& keys() { return keys_; }

 private:
  enum class Status { kReading, kInterrupted, kIdle, kHungUp };

  TerminalEditor(std::FILE* in, std::FILE* out, std::FILE* err);
  void bindKeys();
  void write(std::string_view bytes);
  // Shows `prompt` and reads hidden keys up to Enter; the status tells why the reading
  // stopped, `endKey` whether it was Ctrl-D on an empty line.
  Status readHidden(std::string_view prompt, SecretString& line, bool& endKey);
  // Throws what a read that ended with `status` (or without a line) means.
  void throwUnlessLine(Status status, bool gotLine);
  // Draws the line being edited again at the window's new width.
  void redrawAtNewWidth();

  static TerminalEditor& of(EditLine* el);
  static int readKey(EditLine* el, wchar_t* key);
  static char* promptOf(EditLine* el);
  static unsigned char interrupt(EditLine* el, int key);
  static unsigned char complete(EditLine* el, int key);

  int inFd_;
  std::FILE* out_;
  EditLine* el_ = nullptr;
  History* history_ = nullptr;
  KeyReader keys_;
  Completer completer_;
  std::string prompt_;
  Status status_ = Status::kReading;
  std::mbstate_t decoding_{};
  wchar_t replacement_ = L'?';  // stands for bytes that are no character of the locale
};

}  // namespace vellumkeep
