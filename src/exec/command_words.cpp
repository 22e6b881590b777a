#include "exec/command_words.h"

#include <algorithm>

namespace vellumkeep {

namespace {

constexpr std::string_view kSeparators = " \t";

}  // namespace

std::vector<std::string_view> splitWords(std::string_view line) {
  std::vector<std::string_view> words;
  size_t at = line.find_first_not_of(kSeparators);
  while (at != std::string_view::npos) {
    const size_t end = std::min(line.find_first_of(kSeparators, at), line.size());
    words.emplace_back(line.substr(at, end - at));
    at = line.find_first_not_of(kSeparators, end);
  }
  return words;
}

void CommandStream::load(std::string_view line) {
  words_.clear();
  for (std::string_view word : splitWords(line)) words_.emplace_back(std::string(word));
  next_ = 0;
}

std::string_view CommandStream::upcoming() const {
  return next_ < words_.size() ? std::string_view(words_[next_]) : std::string_view();
}

bool CommandStream::readWord(SecretString& word) {
  if (next_ >= words_.size()) {
    word.clear();
    return false;
  }
  word = std::move(words_[next_++]);
  return true;
}

}  // namespace vellumkeep
