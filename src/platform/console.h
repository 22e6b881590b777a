// The console seen by the program: lines in, system texts and stored data out.
// System texts are UTF-8 in the source and leave in the console's code page; stored data
// and typed bytes pass unchanged.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "platform/line_editor.h"
#include "platform/secret_memory.h"

namespace vellumkeep {

enum class ConsoleEncoding {
  kUtf8,  // a terminal whose locale uses UTF-8
  kGbk,   // code page 936: pipes, files and other terminals
};

// Thrown when the console input is exhausted. Not a std::exception, so that no command
// handler mistakes it for a command's failure.
struct InputExhausted {};

// Converts UTF-8 text to code page 936; invalid input passes unchanged.
class GbkConverter {
 public:
  GbkConverter();
  ~GbkConverter();
  GbkConverter(const GbkConverter&) = delete;
  GbkConverter& operator=(const GbkConverter&) = delete;

  std::string convert(std::string_view utf8);

 private:
  void* descriptor_;  // iconv_t
};

// One output stream of the console.
class ConsoleWriter {
 public:
  ConsoleWriter(std::ostream& stream, ConsoleEncoding encoding);
  ~ConsoleWriter();

  // A system text: converted to the stream's code page.
  ConsoleWriter& text(std::string_view utf8);
  // Stored data or typed bytes: written unchanged.
  ConsoleWriter& data(std::string_view bytes);
  // A line end, flushed.
  ConsoleWriter& endLine();
  // Flushes what was written (prompts without a line end).
  void flush();

  // From now on the text after the last line end is held back rather than written: it is
  // the prompt that the line editor shows itself. The destructor writes what is held.
  void holdPartialLine() { holding_ = true; }
  // The held text, which is then forgotten.
  std::string takePartialLine();

 private:
  void write(std::string_view bytes);

  std::ostream& stream_;
  std::unique_ptr<GbkConverter> converter_;  // null for UTF-8
  bool holding_ = false;
  std::string partialLine_;
};

class TerminalModeChange;

class Console {
 public:
  Console(std::istream& in, std::ostream& out, ConsoleEncoding outEncoding, std::ostream& err,
          ConsoleEncoding errEncoding, bool inputIsTerminal = false);
  ~Console();

  // Reads one line without its line end; throws InputExhausted at the end of input. With a
  // line editor it may also throw InputCancelled or InputIdle (line_editor.h). Any line may
  // carry a password (a command line, an answer), so it is wiped once dropped.
  SecretString readLine();
  // Like readLine; on a terminal the line is read without echo and a line end follows. Echo
  // stays off until the next readLine shows its question, so that keys typed ahead meanwhile
  // (the next name and password after a wrong one) are never echoed.
  SecretString readSecretLine();
  // Reads through `editor` from now on: the prompts written on `out` go to it.
  void attachEditor(LineEditor& editor);
  // Offers a command line to the editor's history; nothing without an editor.
  void remember(std::string_view line);
  // Lets reads wait for ever while paused; nothing without an editor.
  void pauseIdleLimit(bool paused);
  bool hasEditor() const { return editor_ != nullptr; }
  // Clears the error state of the input stream.
  void clearInputState();
  bool inputIsTerminal() const { return inputIsTerminal_; }
  bool outputIsTerminal() const { return outputIsTerminal_; }
  void setOutputIsTerminal(bool terminal) { outputIsTerminal_ = terminal; }

  ConsoleWriter out;
  ConsoleWriter err;

 private:
  // One line of the input stream.
  SecretString readStreamLine();

  std::istream& in_;
  LineEditor* editor_ = nullptr;
  bool inputIsTerminal_;
  bool outputIsTerminal_ = false;
  std::unique_ptr<TerminalModeChange> echoOff_;  // from a hidden answer to the next question
};

}  // namespace vellumkeep
