// The words of a command line: the runs of bytes between blanks and tabs, the only separators a
// line that passed the line check can hold.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/secret_memory.h"

namespace vellumkeep {

// Every word of `line`, in order, as views into it.
std::vector<std::string_view> splitWords(std::string_view line);

// The CommandStream: the words of the line being parsed, handed out one at a time. A word may
// be a password, so each is wiped once dropped.
class CommandStream {
 public:
  // Replaces what the stream held with the words of `line`.
  void load(std::string_view line);
  // Forgets every word.
  void clear() { load({}); }
  // Replaces `word` with the next word; false, with `word` empty, when none is left.
  bool readWord(SecretString& word);
  // The word that readWord gives next, without taking it; empty when none is left.
  std::string_view upcoming() const;

 private:
  std::vector<SecretString> words_;
  std::size_t next_ = 0;
};

}  // namespace vellumkeep
