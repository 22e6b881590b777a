#include "model/text_search.h"

namespace vellumkeep {

namespace {

constexpr unsigned char fold(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

unsigned char foldAt(std::string_view text, std::size_t at) {
  return fold(static_cast<unsigned char>(text[at]));
}

}  // namespace

CaseInsensitiveSearch::CaseInsensitiveSearch(std::string_view text) {
  folded_.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i)
    folded_.push_back(static_cast<char>(foldAt(text, i)));
  skip_.fill(text.size());
  // Every byte but the last: the distance from its last place to the end.
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    skip_[static_cast<unsigned char>(folded_[i])] = text.size() - 1 - i;
  }
}

bool CaseInsensitiveSearch::foundIn(std::string_view haystack) const {
  const std::size_t length = folded_.size();
  if (length == 0) return true;
  for (std::size_t at = 0; at + length <= haystack.size();) {
    const unsigned char last = foldAt(haystack, at + length - 1);
    if (last == static_cast<unsigned char>(folded_[length - 1])) {
      std::size_t i = 0;
      while (i + 1 < length && foldAt(haystack, at + i) == static_cast<unsigned char>(folded_[i])) {
        ++i;
      }
      if (i + 1 >= length) return true;
    }
    at += skip_[last];
  }
  return false;
}

}  // namespace vellumkeep
