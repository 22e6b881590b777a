#include "storage/code_table.h"

#include <algorithm>
#include <cstring>
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

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "fourDigitNumber reads little-endian");

// The number that four digit bytes spell, read as they lie in memory (first digit in the
// lowest byte); kNotDigits when any byte is no digit.
constexpr uint32_t kNotDigits = 0xFFFFFFFF;

uint32_t fourDigitNumber(uint32_t group) {
  const uint32_t values = group - 0x30303030u;
  // Each byte must lie in '0'..'9': subtracting '0' leaves no borrow and a value below 10.
  if (((group & 0xF0F0F0F0u) | ((values + 0x76767676u) & 0x80808080u)) != 0x30303030u) {
    return kNotDigits;
  }
  // Pairs of digits, then the pairs: first byte is the most significant digit.
  const uint32_t pairs = (values * 10 + (values >> 8)) & 0x00FF00FFu;
  return (pairs & 0xFF) * 100 + (pairs >> 16);
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
  byteToDigits_.fill(0);
  for (int32_t byte = 0; byte < 128; ++byte) {
    const int32_t number = encodedNumber(byte);
    if (number >= kCodeLimit) continue;
    const char digits[4] = {
        static_cast<char>('0' + number / 1000), static_cast<char>('0' + number / 100 % 10),
        static_cast<char>('0' + number / 10 % 10), static_cast<char>('0' + number % 10)};
    std::memcpy(&byteToDigits_[byte], digits, 4);
  }
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

void CodeTable::throwCodingError(char c) const {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 0x80) throw std::overflow_error(msg::kNonAscii);
  throw std::underflow_error(msg::kValueTooLarge);
}

void CodeTable::appendCode(char c, std::string& out) const {
  const uint32_t digits = byteToDigits_[static_cast<unsigned char>(c)];
  if (digits == 0) throwCodingError(c);
  out.append(reinterpret_cast<const char*>(&digits), 4);
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
  encodeInto(plain, out);
  return out;
}

void CodeTable::encodeInto(std::string_view plain, std::string& coded) const {
  coded.resize(plain.size() * 4);
  char* out = coded.data();
  for (char c : plain) {
    const uint32_t digits = byteToDigits_[static_cast<unsigned char>(c)];
    if (digits == 0) throwCodingError(c);
    std::memcpy(out, &digits, 4);
    out += 4;
  }
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
  decodeInto(coded, plain);
  return plain;
}

std::size_t CodeTable::decodeInto(std::string_view coded, std::string& plain) const {
  const std::size_t size = coded.size();
  // Every group takes four bytes at least, so a quarter of the input is room enough.
  const std::size_t kept = plain.size();
  plain.resize(kept + size / 4);
  char* out = plain.data() + kept;
  std::size_t pos = 0;
  for (;;) {
    // Four digits in a row, the usual case, are read at once; anything else goes the slow way.
    while (pos + 4 <= size) {
      uint32_t group;
      std::memcpy(&group, coded.data() + pos, 4);
      const uint32_t number = fourDigitNumber(group);
      if (number >= kCodeLimit) break;
      *out++ = numberToByte_[number];
      pos += 4;
    }
    const std::size_t start = skipWhitespace(coded, pos);
    if (!decodeChar(coded, pos, *out)) {
      plain.resize(static_cast<std::size_t>(out - plain.data()));
      return start;
    }
    ++out;
  }
}

void CodeTable::decodePiece(std::string_view piece, std::string& carried,
                            std::string& plain) const {
  if (carried.empty()) {
    carried.assign(piece.substr(decodeInto(piece, plain)));
  } else {
    carried.append(piece);
    carried.erase(0, decodeInto(carried, plain));
  }
}

}  // namespace vellumkeep
