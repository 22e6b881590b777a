// The table of the `simple` encoding: every byte of a coded file is written as four decimal
// digits, the keyed code of a table character or the byte's own number. Keying with a user's
// name makes the same text code differently for different users. Works on strings only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vellumkeep {

class CodeTable {
 public:
  static constexpr std::size_t kSize = 66;

  // DO NOT CHANGE: stored files depend on it. Every lower-case letter, every digit, the
  // upper-case letters but 'X', blank, line feed and underscore; 'e' and 'o' occur twice.
  static constexpr std::string_view kCharacters =
      "VD2cd5UYI3iZ9nEewxaRWrjyh_JCqTNFH6LQoBve\n8zbK7p1Sls P4mOMG0Atgfoku";
  static_assert(kCharacters.size() == kSize);

  struct CodePair {
    int32_t character;
    int32_t code;
  };

  // An unkeyed table: every code equals its own character.
  CodeTable();

  // Derives every code from `name`. Afterwards the 66 codes are distinct and each is at least
  // its own character.
  void keyCodeTable(std::string_view name);

  // Exactly four digits: a table character's keyed code, else the byte's value plus 256 as
  // often as needed to be no code (it decodes back to the byte). Throws std::overflow_error
  // for a byte from 0x80 up and std::underflow_error when the number is 10000 or more.
  std::string encodeChar(char c) const;
  // As encodeChar, appending the digits to `out`.
  void appendCode(char c, std::string& out) const;
  // encodeChar of the byte '0' + d (8-bit sum).
  std::string encodeDigit(int d) const;
  // Every byte coded, in order; throws as encodeChar.
  std::string encode(std::string_view plain) const;
  // Replaces `coded` with the codes of every byte of `plain`; throws as encodeChar, leaving
  // `coded` unspecified. For coding a long text piece by piece into one reused buffer.
  void encodeInto(std::string_view plain, std::string& coded) const;

  // Reads four characters from `text` at `pos`, skipping whitespace before each, and decodes
  // them into `out`. Returns false, without a value, when fewer than four remain.
  bool decodeChar(std::string_view text, std::size_t& pos, char& out) const;
  // Every group decoded; a trailing group of fewer than four characters is dropped.
  std::string decode(std::string_view coded) const;
  // Appends to `plain` every whole group of `coded` and returns how many bytes of `coded`
  // that took, whitespace after the last group included: what is left is a group cut short,
  // to be put in front of the next piece. For decoding a long file piece by piece.
  std::size_t decodeInto(std::string_view coded, std::string& plain) const;
  // For a file read a piece at a time: appends to `plain` every whole group of `carried`
  // followed by `piece`, and leaves in `carried` what is left, a group cut at the piece's end.
  void decodePiece(std::string_view piece, std::string& carried, std::string& plain) const;

  const std::array<CodePair, kSize>& pairs() const { return pairs_; }

 private:
  static constexpr int32_t kCodeLimit = 10000;

  void rebuildLookups();
  int32_t encodedNumber(int32_t byte) const;
  [[noreturn]] void throwCodingError(char c) const;

  std::array<CodePair, kSize> pairs_;
  // The four digits written for each byte, as they lie in memory; 0 for a byte that cannot
  // be coded (no code consists of zero bytes).
  std::array<uint32_t, 256> byteToDigits_;
  // Byte read back for each four-digit number.
  std::array<char, kCodeLimit> numberToByte_;
};

// Position of the first byte at or after `pos` that is not whitespace (blank, tab, line feed,
// carriage return, vertical tab, form feed), as formatted reads skip; text.size() if none.
std::size_t skipWhitespace(std::string_view text, std::size_t pos);

}  // namespace vellumkeep
