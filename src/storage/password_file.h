// The password file of a user: the mode and password as a coded header of digits, each header
// character hidden behind a run of random filler digits. Works on strings only.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "storage/code_table.h"

namespace vellumkeep {

// The header: the codes of '0' + mode, of '0' + password length and of each password byte,
// 8 + 4 * length digits. Throws std::overflow_error for a password of 80 bytes or more and the
// coding errors of CodeTable.
std::string writePasswordHeader(const CodeTable& table, int32_t mode, std::string_view password);

// Decodes a header, appends the password's bytes to `password` and returns the mode. Throws
// std::domain_error (the corruption error) when the header is short or its length negative.
int32_t readPasswordHeader(const CodeTable& table, std::string_view header, std::string& password);

// Puts a two-digit filler count k (17 to 91) and k random digits before each character of
// `header`; whitespace in `header` is skipped.
std::string addFiller(std::string_view header, std::mt19937& random);

// The header inside a password file; whitespace is skipped. Throws the corruption error for a
// filler count that is not two digits; a file cut short ends the header early.
std::string dropFiller(std::string_view passwordFile);

}  // namespace vellumkeep
