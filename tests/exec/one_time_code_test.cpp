#include "exec/one_time_code.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "model/messages.h"

namespace vellumkeep {
namespace {

// The RFC 6238 secret for HMAC-SHA1 ("12345678901234567890") and its test vectors (8 digits;
// the code is their last six).
TEST(OneTimeCode, RfcVectorsWithTheSecondsLeftInTheStep) {
  struct Case {
    std::time_t time;
    const char* digits;
    int secondsLeft;
  } cases[] = {
      {59, "94287082", 1},          {1111111109, "07081804", 1},  {1111111111, "14050471", 29},
      {1234567890, "89005924", 30}, {2000000000, "69279037", 10}, {20000000000, "65353130", 10},
  };
  for (const Case& c : cases) {
    const OneTimeCode code = oneTimeCode("GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ", c.time);
    EXPECT_EQ(std::string(c.digits).substr(2), code.digits) << c.time;
    EXPECT_EQ(c.secondsLeft, code.secondsLeft) << c.time;
  }
}

// Secrets are copied in either case and with or without their padding.
TEST(OneTimeCode, LowerCaseAndMissingPaddingMeanTheSameSecret) {
  for (std::time_t time : {59, 1234567890}) {
    const std::string upper = oneTimeCode("GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ", time).digits;
    EXPECT_EQ(upper, oneTimeCode("gezdgnbvgy3tqojqGEZDGNBVGY3TQOJQ", time).digits) << time;
    EXPECT_EQ(oneTimeCode("GEZDGNA=", time).digits, oneTimeCode("gezdgna", time).digits) << time;
    EXPECT_NE(upper, oneTimeCode("GEZDGNA=", time).digits) << time;
  }
}

TEST(OneTimeCode, AnythingButBase32IsRefused) {
  for (const char* secret : {"", "=", "========", "GEZDGNB1", "GEZDGNB8", "GEZDGNB0", "GEZ-DGNB",
                             "GEZDG@NB", "GE=ZDGNB"}) {
    try {
      oneTimeCode(secret, 59);
      ADD_FAILURE() << "accepted " << secret;
    } catch (const std::runtime_error& error) {
      EXPECT_STREQ(msg::kBadOneTimeSecret, error.what()) << secret;
    }
  }
}

}  // namespace
}  // namespace vellumkeep
