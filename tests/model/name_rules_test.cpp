#include "model/name_rules.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "expect_error.h"
#include "model/messages.h"

namespace vellumkeep {
namespace {

template <typename Rule>
std::string verdict(Rule rule, const std::string& text) {
  return errorText<std::runtime_error>([&] { rule(text); });
}

TEST(NameRulesTest, UserNames) {
  struct Case {
    std::string name;
    std::string expected;
  } cases[] = {
      {"", msg::kNameTooShort},
      {"abcde", msg::kNameTooShort},
      {"ab\\", msg::kNameTooShort},  // length is tested before the bytes
      {"abcdef", "(no error)"},
      {"abcdefghijkl", "(no error)"},
      {"a.b~!#$%^&*()", msg::kNameTooLong},
      {"abcdefghijklm", msg::kNameTooLong},
      {"abc def", msg::kIllegalCharacter},
      {"abc\tdef", msg::kIllegalCharacter},
      {"abc\\def", msg::kIllegalCharacter},
      {"abc\xE4\xB8\xAD", msg::kIllegalCharacter},
      {"../x12345", msg::kIllegalCharacter},
      {"&(^%$!_=+-", "(no error)"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, verdict(checkUserName, c.name)) << c.name;
}

TEST(NameRulesTest, Passwords) {
  struct Case {
    int32_t mode;
    std::string password;
    std::string expected;
  } cases[] = {
      {Simple, "12345", msg::kPasswordTooShort},
      {Simple, "1234567890123", msg::kPasswordTooLong},
      {Unencrypted, "1234567890123", msg::kPasswordTooLong},
      {Simple, "123 456", msg::kIllegalCharacter},
      {Simple, "a/b/c/", "(no error)"},
      {Strong, "12345", msg::kPasswordTooShort},
      {Strong, std::string(64, 'p'), "(no error)"},
      {Strong, std::string(65, 'p'), msg::kPasswordTooLong},
  };
  for (const Case& c : cases) {
    auto rule = [&](const std::string& text) { checkPassword(text, c.mode); };
    EXPECT_EQ(c.expected, verdict(rule, c.password)) << c.mode << " " << c.password;
  }
}

}  // namespace
}  // namespace vellumkeep
