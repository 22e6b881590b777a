#include "storage/code_table.h"

#include <algorithm>
#include <stdexcept>

#include "model/messages.h"

namespace vellumkeep {
namespace {

using Pairs = std::array<CodeTable::CodePair, CodeTable::kSize>;

// Adds each name byte that is a table character to its first pair and every pair after it.
void addNameBytes(Pairs& pairs, std::string_view name) {
  for (char byte : name) {
    const int32_t k = static_cast<signed char>(byte);
    auto first = std::find_if(pairs.begin(), pairs.end(),
                              [k](const CodeTable::CodePair& p) { return p.character == k; });
    for (auto it = first; it != pairs.end(); ++it) it->code += k;
  }
}

// Pairs the name left untouched take the sum of their character and the next pair's code.
void chainUntouchedPairs(Pairs& pairs) {
  for (std::size_t j = pairs.size() - 1; j >= 1; --j) {
    if (pairs[j - 1].code == pairs[j - 1].character) pairs[j - 1].code += pairs[j].code;
  }
}

// Raises each code until it differs from every earlier one.
void separateCodes(Pairs& pairs) {
  for (auto current = pairs.begin() + 1; current != pairs.end(); ++current) {
    const auto taken = [current](const CodeTable::CodePair& p) { return p.code == current->code; };
    while (std::any_of(pairs.begin(), current, taken)) ++current->code;
  }
}

bool isWhitespace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The number spelled by the leading digits of a group; 0 when it starts with a non-digit.
int32_t groupNumber(const char (&group)[4]) {
  int32_t number = 0;
  for (char c : group) {
    if (c < '0' || c > '9') break;
    number = number * 10 + (c - '0');
  }
  return number;
}

}  // namespace

std::size_t skipWhitespace(std::string_view text, std::size_t pos) {
  while (pos < text.size() && isWhitespace(text[pos])) ++pos;
  return pos;
}

CodeTable::CodeTable() {
  for (std::size_t i = 0; i < kSize; ++i) {
    const int32_t character = static_cast<unsigned char>(kCharacters[i]);
    pairs_[i] = {character, character};
  }
  rebuildLookups();
}

void CodeTable::keyCodeTable(std::string_view name) {
  for (auto& pair : pairs_) pair.code = pair.character;
  addNameBytes(pairs_, name);
  chainUntouchedPairs(pairs_);
  separateCodes(pairs_);
  rebuildLookups();
}

void CodeTable::rebuildLookups() {
  for (int32_t n = 0; n < kCodeLimit; ++n) numberToByte_[n] = static_cast<char>(n & 0xFF);
  // Backwards, so that a character occurring twice ends up with its first pair's code.
  for (auto it = pairs_.rbegin(); it != pairs_.rend(); ++it) {
    if (it->code >= 0 && it->code < kCodeLimit) {
      numberToByte_[it->code] = static_cast<char>(it->character);
    }
  }
  for (int32_t byte = 0; byte < 128; ++byte) byteToNumber_[byte] = encodedNumber(byte);
}

int32_t CodeTable::encodedNumber(int32_t byte) const {
  const auto first = std::find_if(pairs_.begin(), pairs_.end(),
                                  [byte](const CodePair& p) { return p.character == byte; });
  if (first != pairs_.end()) return first->code;
  // A byte outside the table must not be written as some character's code: step by 256,
  // which the decoder cuts away, until the number reads back as the byte itself.
  int32_t number = byte;
  while (number < kCodeLimit && numberToByte_[number] != static_cast<char>(byte)) number += 256;
  return number;
}

void CodeTable::appendCode(char c, std::string& out) const {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 0x80) throw std::overflow_error(msg::kNonAscii);
  const int32_t number = byteToNumber_[byte];
  if (number >= kCodeLimit) throw std::underflow_error(msg::kValueTooLarge);
  const char digits[4] = {
      static_cast<char>('0' + number / 1000), static_cast<char>('0' + number / 100 % 10),
      static_cast<char>('0' + number / 10 % 10), static_cast<char>('0' + number % 10)};
  out.append(digits, 4);
}

std::string CodeTable::encodeChar(char c) const {
  std::string out;
  appendCode(c, out);
  return out;
}

std::string CodeTable::encodeDigit(int d) const {
  return encodeChar(static_cast<char>(static_cast<unsigned char>(('0' + d) & 0xFF)));
}

std::string CodeTable::encode(std::string_view plain) const {
  std::string out;
  out.reserve(plain.size() * 4);
  for (char c : plain) appendCode(c, out);
  return out;
}

bool CodeTable::decodeChar(std::string_view text, std::size_t& pos, char& out) const {
  char group[4];
  std::size_t next = pos;
  for (char& c : group) {
    next = skipWhitespace(text, next);
    if (next >= text.size()) {
      pos = text.size();
      return false;
    }
    c = text[next++];
  }
  pos = next;
  out = numberToByte_[groupNumber(group)];
  return true;
}

std::string CodeTable::decode(std::string_view coded) const {
  std::string plain;
  plain.reserve(coded.size() / 4);
  std::size_t pos = 0;
  char c = 0;
  while (decodeChar(coded, pos, c)) plain.push_back(c);
  return plain;
}

}  // namespace vellumkeep
