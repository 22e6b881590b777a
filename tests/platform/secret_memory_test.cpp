#include "platform/secret_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

namespace vellumkeep {
namespace {

bool allZero(const unsigned char* data, std::size_t size) {
  return std::all_of(data, data + size, [](unsigned char c) { return c == 0; });
}

TEST(SecretBytes, StartsZeroAndKeepsWhatIsWritten) {
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{32}, std::size_t{70000}}) {
    SecretBytes secret(size);
    EXPECT_EQ(secret.size(), size);
    ASSERT_NE(secret.data(), nullptr);
    EXPECT_TRUE(allZero(secret.data(), size));
    std::fill_n(secret.data(), size, 0xA5);
    EXPECT_EQ(std::count(secret.data(), secret.data() + size, 0xA5), static_cast<long>(size));
  }
}

TEST(SecretBytes, MovingLeavesOneOwner) {
  SecretBytes first(32);
  first.data()[0] = 7;
  const unsigned char* bytes = first.data();
  SecretBytes second(std::move(first));
  EXPECT_EQ(first.data(), nullptr);
  EXPECT_EQ(first.size(), 0u);
  EXPECT_EQ(second.data(), bytes);
  EXPECT_EQ(second.data()[0], 7);

  SecretBytes third(8);
  third = std::move(second);
  EXPECT_EQ(second.data(), nullptr);
  EXPECT_EQ(third.size(), 32u);
  EXPECT_EQ(third.data()[0], 7);
}

TEST(Wipe, ZeroesTheBytesAndEmptiesTheText) {
  std::string password(40, 'p');  // too long for the small-string buffer
  const char* bytes = password.data();
  wipe(password);
  EXPECT_TRUE(password.empty());
  // clear() keeps the buffer, so the old bytes can still be looked at.
  EXPECT_TRUE(allZero(reinterpret_cast<const unsigned char*>(bytes), 40));
}

// Every way a secret text lets go of its bytes leaves the buffer it had zero: a short text, in
// the string's own buffer, and a long one.
TEST(SecretString, LetsGoOfItsBytesOnlyWiped) {
  for (const std::string& text : {std::string("pw1"), std::string(40, 'p')}) {
    SecretString moved(text);
    SecretString taker(std::move(moved));
    EXPECT_EQ(text, taker);
    const std::string& left = moved.str();
    EXPECT_TRUE(left.empty()) << text;
    EXPECT_TRUE(allZero(reinterpret_cast<const unsigned char*>(left.data()), left.capacity()))
        << "moving out: " << text;
    SecretString assigned("x");
    assigned = std::move(taker);
    EXPECT_EQ(text, assigned);
    const auto kept = reinterpret_cast<const unsigned char*>(assigned.str().data());
    const size_t keptCapacity = assigned.str().capacity();
    assigned.clear();
    EXPECT_TRUE(allZero(kept, keptCapacity)) << "clearing: " << text;
  }
}

TEST(SecretString, GrowsKeyByKeyToTheWholeText) {
  SecretString typed;
  const std::string text(100, 'k');
  for (char c : text) typed.append(c);
  EXPECT_EQ(text, typed);
}

TEST(SamePassword, ComparesWholePasswords) {
  EXPECT_TRUE(samePassword("secret1", "secret1"));
  EXPECT_TRUE(samePassword("", ""));
  EXPECT_FALSE(samePassword("secret1", "secret2"));
  EXPECT_FALSE(samePassword("secret", "secret1"));
  EXPECT_FALSE(samePassword("secret1", "secret"));
  EXPECT_FALSE(samePassword("Secret1", "secret1"));
}

}  // namespace
}  // namespace vellumkeep
