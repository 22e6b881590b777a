#include "exec/password_generator.h"

#include <sodium.h>

#include <stdexcept>

#include "model/charsets.h"
#include "model/messages.h"

namespace vellumkeep {

namespace {

bool isLower(char c) {
  return c >= 'a' && c <= 'z';
}
bool isUpper(char c) {
  return c >= 'A' && c <= 'Z';
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isSign(char c) {
  return kSigns.find(c) != std::string_view::npos;
}

template <typename Kind>
bool holds(std::string_view text, Kind kind) {
  for (char c : text) {
    if (kind(c)) return true;
  }
  return false;
}

}  // namespace

std::string drawPassword(size_t length, const UniformSource& uniform) {
  const auto bound = static_cast<uint32_t>(kTextCharset.size());
  std::string password(length, ' ');
  do {
    for (char& c : password) c = kTextCharset[uniform(bound)];
  } while (!holdsEveryKind(password));
  return password;
}

bool holdsEveryKind(std::string_view password) {
  return holds(password, isLower) && holds(password, isUpper) && holds(password, isDigit) &&
         holds(password, isSign);
}

size_t generatedLength(std::string_view text) {
  size_t length = 0;
  for (char c : text) {
    // Stops before a long run of digits could overflow.
    if (!isDigit(c) || length > kLongestGeneratedLength) break;
    length = length * 10 + static_cast<size_t>(c - '0');
  }
  const bool digitsOnly = !text.empty() && text.find_first_not_of("0123456789") == text.npos;
  if (!digitsOnly || length < kShortestGeneratedLength || length > kLongestGeneratedLength) {
    throw std::runtime_error(msg::kBadGeneratedLength);
  }
  return length;
}

uint32_t secureUniform(uint32_t bound) {
  return randombytes_uniform(bound);
}

}  // namespace vellumkeep
