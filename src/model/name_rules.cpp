#include "model/name_rules.h"

#include <stdexcept>

#include "model/charsets.h"
#include "model/messages.h"

namespace vellumkeep {

namespace {

constexpr size_t kMinLength = 6;
constexpr size_t kMaxLength = 12;

void checkRule(std::string_view text, const char* tooShort, const char* tooLong) {
  if (text.size() < kMinLength) throw std::runtime_error(tooShort);
  if (text.size() > kMaxLength) throw std::runtime_error(tooLong);
  if (!consistsOf(text, kTextCharset)) throw std::runtime_error(msg::kIllegalCharacter);
}

}  // namespace

void checkUserName(std::string_view text) {
  checkRule(text, msg::kNameTooShort, msg::kNameTooLong);
  // A name becomes part of file paths; a slash would lead out of the data folder.
  if (text.find('/') != std::string_view::npos) {
    throw std::runtime_error(msg::kIllegalCharacter);
  }
}

void checkPassword(std::string_view text) {
  checkRule(text, msg::kPasswordTooShort, msg::kPasswordTooLong);
}

}  // namespace vellumkeep
