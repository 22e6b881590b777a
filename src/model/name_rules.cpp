#include "model/name_rules.h"

#include <stdexcept>

#include "model/account_registry.h"
#include "model/charsets.h"
#include "model/messages.h"

namespace vellumkeep {

namespace {

constexpr size_t kMinLength = 6;
constexpr size_t kMaxLength = 12;
// Mode strong keeps no password in a file, so its login password may be longer.
constexpr size_t kMaxStrongPasswordLength = 64;

// The message of the first rule `text` breaks, or null.
const char* ruleBroken(std::string_view text, const char* tooShort, const char* tooLong,
                       size_t maxLength = kMaxLength) {
  if (text.size() < kMinLength) return tooShort;
  if (text.size() > maxLength) return tooLong;
  if (!consistsOf(text, kTextCharset)) return msg::kIllegalCharacter;
  return nullptr;
}

const char* userNameRuleBroken(std::string_view text) {
  if (const char* broken = ruleBroken(text, msg::kNameTooShort, msg::kNameTooLong)) return broken;
  // A name becomes part of file paths; a slash would lead out of the data folder.
  if (text.find('/') != std::string_view::npos) return msg::kIllegalCharacter;
  return nullptr;
}

}  // namespace

void checkUserName(std::string_view text) {
  if (const char* broken = userNameRuleBroken(text)) throw std::runtime_error(broken);
}

void checkPassword(std::string_view text, int32_t mode) {
  const size_t longest = mode == Strong ? kMaxStrongPasswordLength : kMaxLength;
  if (const char* broken =
          ruleBroken(text, msg::kPasswordTooShort, msg::kPasswordTooLong, longest)) {
    throw std::runtime_error(broken);
  }
}

bool isUsableName(std::string_view name) {
  return name == kRootName || userNameRuleBroken(name) == nullptr;
}

}  // namespace vellumkeep
