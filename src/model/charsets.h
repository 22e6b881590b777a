// The byte sets that decide what an operator may type.
#pragma once

#include <string_view>

namespace vellumkeep {

// Bytes allowed in user names, passwords, group names, entry fields and most arguments.
inline constexpr std::string_view kTextCharset =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_1234567890@.~!#$%^&*()-=+/";

// Bytes allowed anywhere on a command line: the text bytes, blank, tab and backslash.
inline constexpr std::string_view kLineCharset =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_1234567890@.~!#$%^&*()-=+/ \t\\";

// True when every byte of `text` is one of `charset`.
inline bool consistsOf(std::string_view text, std::string_view charset) {
  return text.find_first_not_of(charset) == std::string_view::npos;
}

}  // namespace vellumkeep
