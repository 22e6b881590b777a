#include "platform/terminal.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace vellumkeep {
namespace {

TEST(TerminalTest, CharacterLocaleNameTakesTheFirstSetAndNonEmptyVariable) {
  struct Case {
    std::map<std::string, std::string> environment;
    std::string name;
  };
  const Case cases[] = {
      {{}, ""},
      {{{"LANG", "en_US.UTF-8"}}, "en_US.UTF-8"},
      {{{"LANG", "en_US.UTF-8"}, {"LC_CTYPE", "zh_CN.GBK"}}, "zh_CN.GBK"},
      {{{"LANG", "a"}, {"LC_CTYPE", "b"}, {"LC_ALL", "c"}}, "c"},
      {{{"LANG", "a"}, {"LC_CTYPE", ""}, {"LC_ALL", ""}}, "a"},
      {{{"LC_MESSAGES", "zh_CN.UTF-8"}}, ""},
  };
  for (const Case& test : cases) {
    auto lookup = [&](const char* name) -> const char* {
      auto found = test.environment.find(name);
      return found == test.environment.end() ? nullptr : found->second.c_str();
    };
    EXPECT_EQ(test.name, characterLocaleName(lookup));
  }
}

TEST(TerminalTest, LocaleNamesThatMeanUtf8) {
  for (const char* name : {"en_US.UTF-8", "zh_CN.utf8", "C.UTF-8", "de_DE.Utf-8@euro", "x.UTF8"}) {
    EXPECT_TRUE(localeNameUsesUtf8(name)) << name;
  }
  for (const char* name : {"", "C", "POSIX", "UTF-8", "zh_CN.GBK", "zh_CN", "en_US.UTF-16",
                           "en_US.ISO-8859-1", "zh_CN.UTF-8x", "en_US@UTF-8"}) {
    EXPECT_FALSE(localeNameUsesUtf8(name)) << name;
  }
}

TEST(TerminalTest, LoadedCodesetDecidesAndTheNameOnlyWithoutIt) {
  EXPECT_EQ(ConsoleEncoding::kUtf8, terminalEncoding("UTF-8", "C"));
  EXPECT_EQ(ConsoleEncoding::kGbk, terminalEncoding("GBK", "zh_CN.UTF-8"));
  EXPECT_EQ(ConsoleEncoding::kGbk, terminalEncoding("ANSI_X3.4-1968", "en_US.UTF-8"));
  EXPECT_EQ(ConsoleEncoding::kUtf8, terminalEncoding(nullptr, "en_US.UTF-8"));
  EXPECT_EQ(ConsoleEncoding::kGbk, terminalEncoding(nullptr, "zh_CN.GBK"));
  EXPECT_EQ(ConsoleEncoding::kGbk, terminalEncoding(nullptr, ""));
}

}  // namespace
}  // namespace vellumkeep
