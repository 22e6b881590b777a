#include "exec/one_time_code.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "model/messages.h"

namespace vellumkeep {
namespace {

// The codes themselves are checked through the command: the RFC 6238 vectors at fixed times
// (EverydayCommands) and oathtool's at the real time (EverydayProgram).
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
