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

}  // namespace
}  // namespace vellumkeep
