#include "model/text_search.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace vellumkeep {
namespace {

TEST(CaseInsensitiveSearch, FindsTheTextAnywhereWithoutCase) {
  struct Case {
    const char* text;
    const char* haystack;
    bool found;
  } cases[] = {
      {"mail", "mail", true},
      {"MAIL", "Gmail.example", true},
      {"gMaIl", "GMAIL", true},
      {"l", "mail", true},
      {"mail", "mai", false},  // longer than the haystack
      {"mail", "m a i l", false},
      {"abcab", "abcaabcab", true},  // after a partial match
      {"abcab", "abcaabca", false},
      {"aab", "aaaaaaab", true},  // the last byte repeated
      {"@x.", "me@X.org", true},  // signs are themselves
      {"[", "{", false},          // no folding beyond A-Z
      {"`", "@", false},
      {"z", "Z", true},
      {"", "", true},
      {"", "anything", true},
      {"a", "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.found, CaseInsensitiveSearch(c.text).foundIn(c.haystack))
        << '"' << c.text << "\" in \"" << c.haystack << '"';
  }
}

// Every place and every mix of case: the search agrees with a plain search of the folded texts.
TEST(CaseInsensitiveSearch, AgreesWithAPlainSearchAtEveryPlace) {
  const std::string haystack = "url www.Site099999.COM user u099999 otp GEZDGNBV";
  std::string folded = haystack;
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (size_t at = 0; at < haystack.size(); ++at) {
    for (size_t length = 1; at + length <= haystack.size() && length <= 12; ++length) {
      std::string text = haystack.substr(at, length);
      for (size_t i = 0; i < text.size(); i += 2) {
        text[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
      }
      EXPECT_TRUE(CaseInsensitiveSearch(text).foundIn(haystack)) << text;
      text.back() = '#';
      EXPECT_EQ(folded.find(text) != std::string::npos,
                CaseInsensitiveSearch(text).foundIn(haystack))
          << text;
    }
  }
}

}  // namespace
}  // namespace vellumkeep
