#include "exec/password_generator.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "expect_error.h"
#include "model/charsets.h"
#include "model/messages.h"
#include "platform/secret_memory.h"

namespace vellumkeep {
namespace {

// A source that gives the positions of `text`'s bytes in the text set, in order, and records
// the bounds it was asked for.
class ScriptedSource {
 public:
  explicit ScriptedSource(const std::string& text) {
    for (char c : text) positions_.push_back(static_cast<uint32_t>(kTextCharset.find(c)));
  }
  UniformSource source() {
    return [this](uint32_t bound) {
      bounds_.push_back(bound);
      return next_ < positions_.size() ? positions_[next_++] : 0;
    };
  }
  size_t used() const { return next_; }
  const std::vector<uint32_t>& bounds() const { return bounds_; }

 private:
  std::vector<uint32_t> positions_;
  size_t next_ = 0;
  std::vector<uint32_t> bounds_;
};

TEST(PasswordGenerator, HoldsEveryKindNeedsAllFour) {
  struct Case {
    const char* password;
    bool holds;
  } cases[] = {
      {"aA1!", true},  {"/zZ0", true},  {"aA1_", false},  // the underscore is no sign
      {"AA1!", false}, {"aa1!", false}, {"aAb!", false},
      {"aA12", false}, {"", false},     {"x(Y)9-", true},
  };
  for (const Case& c : cases) EXPECT_EQ(c.holds, holdsEveryKind(c.password)) << c.password;
}

// Each byte is drawn from the 79 text bytes, and a password lacking a kind is drawn again
// whole, not mended.
TEST(PasswordGenerator, DrawsAgainUntilEveryKindIsThere) {
  ScriptedSource script(std::string("abcdefgh") + "ABCD1234" + "aB3_xyz(");
  EXPECT_EQ("aB3_xyz(", drawPassword(8, script.source()));
  EXPECT_EQ(24u, script.used());
  EXPECT_EQ(std::vector<uint32_t>(24, 79), script.bounds());
}

TEST(PasswordGenerator, EveryTextByteCanBeDrawn) {
  std::string all(kTextCharset);
  ScriptedSource script(all.substr(0, 64) + all.substr(15, 64));
  EXPECT_EQ(all.substr(0, 64), drawPassword(64, script.source()));
  EXPECT_EQ(all.substr(15, 64), drawPassword(64, script.source()));
}

TEST(PasswordGenerator, SecureDrawsHoldEveryKindInTheirLength) {
  initializeSodium();
  for (size_t length :
       {kShortestGeneratedLength, kDefaultGeneratedLength, kLongestGeneratedLength}) {
    for (int i = 0; i < 50; ++i) {
      std::string password = drawPassword(length, secureUniform);
      EXPECT_EQ(length, password.size());
      EXPECT_TRUE(consistsOf(password, kTextCharset)) << password;
      EXPECT_TRUE(holdsEveryKind(password)) << password;
    }
  }
}

TEST(PasswordGenerator, LengthIsADecimalNumberFrom8To64) {
  struct Case {
    const char* text;
    size_t length;  // 0: refused
  } cases[] = {
      {"8", 8},
      {"64", 64},
      {"20", 20},
      {"008", 8},
      {"7", 0},
      {"65", 0},
      {"0", 0},
      {"", 0},
      {"-8", 0},
      {"+8", 0},
      {"8.0", 0},
      {"1e1", 0},
      {"x", 0},
      {"99999999999999999999999", 0},
      {"18446744073709551624", 0},
  };
  for (const Case& c : cases) {
    if (c.length == 0) {
      expectError<std::runtime_error>([&] { generatedLength(c.text); }, msg::kBadGeneratedLength);
    } else {
      EXPECT_EQ(c.length, generatedLength(c.text)) << c.text;
    }
  }
}

}  // namespace
}  // namespace vellumkeep
