#include "model/name_rules.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "model/messages.h"

namespace vellumkeep {
namespace {

template <typename Rule>
std::string verdict(Rule rule, const std::string& text) {
  try {
    rule(text);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "ok";
}

TEST(NameRulesTest, UserNames) {
  struct Case {
    std::string name;
    std::string expected;
  } cases[] = {
      {"", msg::kNameTooShort},
      {"abcde", msg::kNameTooShort},
      {"ab\\", msg::kNameTooShort},  // length is tested before the bytes
      {"abcdef", "ok"},
      {"abcdefghijkl", "ok"},
      {"a.b~!#$%^&*()", msg::kNameTooLong},
      {"abcdefghijklm", msg::kNameTooLong},
      {"abc def", msg::kIllegalCharacter},
      {"abc\tdef", msg::kIllegalCharacter},
      {"abc\\def", msg::kIllegalCharacter},
      {"abc\xE4\xB8\xAD", msg::kIllegalCharacter},
      {"../x12345", msg::kIllegalCharacter},
      {"&(^%$!_=+-", "ok"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, verdict(checkUserName, c.name)) << c.name;
}

TEST(NameRulesTest, Passwords) {
  EXPECT_EQ(msg::kPasswordTooShort, verdict(checkPassword, "12345"));
  EXPECT_EQ(msg::kPasswordTooLong, verdict(checkPassword, "1234567890123"));
  EXPECT_EQ(msg::kIllegalCharacter, verdict(checkPassword, "123 456"));
  EXPECT_EQ("ok", verdict(checkPassword, "a/b/c/"));
}

}  // namespace
}  // namespace vellumkeep
