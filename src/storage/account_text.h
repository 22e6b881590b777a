// The account text: one user's account and password store as lines, the plain form of the
// data file. DO NOT CHANGE THE LAYOUT: existing data files hold it.
//   name, password, role, mode, group count, last group id;
//   per group: name, id, entry count; per entry: account, password, info.
// Every line ends with a line feed; numbers are plain signed decimal.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "model/user_account.h"

namespace vellumkeep {

// The account text of `account`. The counts written are the numbers of groups and entries
// held, so the text always reads back whole. Line feeds inside info are written as blanks.
std::string writeAccountText(const UserAccount& account);

// The same text handed to `sink` in order, in pieces of about kAccountTextPiece bytes, so
// that a large store can be written out without holding its whole text.
inline constexpr std::size_t kAccountTextPiece = std::size_t{64} << 10;
void writeAccountText(const UserAccount& account,
                      const std::function<void(std::string_view)>& sink);

// Parses an account text into `scratch`, replacing all it held, including its groups.
// A carriage return ending a line is dropped; lines after the last entry are ignored; a
// number line without a number gives 0. Throws std::domain_error("该用户数据已损坏!") when
// lines are missing or a needed line lacks its line end (a file cut short), a group or entry
// count is unreadable or negative, or an id is negative or the largest int32: nothing the
// program writes. `scratch` is then unchanged. Does not file the account anywhere.
void readAccountText(std::string_view text, UserAccount& scratch);

// Hands over the next piece of a text in its argument, replacing what it held; false at the
// end of the text.
using TextPieces = std::function<bool(std::string&)>;

// As above for a text that arrives in pieces, so that a large one is never held whole. Reads
// no further than the last entry. `sizeHint`, at least the text's size, bounds the room
// reserved for the counts.
void readAccountText(const TextPieces& nextPiece, size_t sizeHint, UserAccount& scratch);

}  // namespace vellumkeep
