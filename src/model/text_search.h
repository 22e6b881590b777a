// Searching stored words for a text regardless of the case of its letters, as find does. Names
// and words hold only ASCII, so folding A-Z to a-z is the whole of case.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace vellumkeep {

// One text to look for, prepared once for many searches (Horspool's skip table over folded
// bytes): a search through a whole store reads most bytes only once.
class CaseInsensitiveSearch {
 public:
  explicit CaseInsensitiveSearch(std::string_view text);

  // True when `haystack` holds the text, letters compared without case; always for an empty
  // text.
  bool foundIn(std::string_view haystack) const;

 private:
  std::string folded_;
  std::array<std::size_t, 256> skip_{};  // by folded byte: how far the window may move
};

}  // namespace vellumkeep
