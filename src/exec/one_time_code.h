// Time-based one-time codes (RFC 6238 with HMAC-SHA1, 30-second steps, 6 digits), computed by
// liboath from a base32 secret as authenticator apps hold it.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace vellumkeep {

inline constexpr int kOneTimeCodeStep = 30;  // seconds
// The info type whose content is an entry's secret.
inline constexpr char kOneTimeSecretType[] = "otp";

struct OneTimeCode {
  std::string digits;  // 6 digits, leading zeros kept
  int secondsLeft;     // until the step ends, 1 to 30
};

// The code of `base32Secret` (letters A-Z in either case and digits 2-7, '=' padding optional)
// at `now`, in seconds since 1970. Throws "otp密钥不是有效的base32编码!" for any other secret
// or one that decodes to nothing.
OneTimeCode oneTimeCode(std::string_view base32Secret, std::time_t now);

}  // namespace vellumkeep
