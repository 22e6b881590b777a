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
  EXPECT_EQ(msg::kPasswordTooShort, verdict(checkPassword, "12345"));
  EXPECT_EQ(msg::kPasswordTooLong, verdict(checkPassword, "1234567890123"));
  EXPECT_EQ(msg::kIllegalCharacter, verdict(checkPassword, "123 456"));
  EXPECT_EQ("(no error)", verdict(checkPassword, "a/b/c/"));
}

}  // namespace
}  // namespace vellumkeep
