#include "exec/one_time_code.h"

#include <liboath/oath.h>
#include <sodium.h>

#include <cstdlib>
#include <stdexcept>

#include "model/messages.h"
#include "platform/secret_memory.h"

namespace vellumkeep {

namespace {

constexpr unsigned kDigits = 6;

// liboath, started for the time of one computation.
class OathSession {
 public:
  OathSession() {
    if (oath_init() != OATH_OK) throw std::runtime_error(msg::kCryptoUnavailable);
  }
  ~OathSession() { oath_done(); }
  OathSession(const OathSession&) = delete;
  OathSession& operator=(const OathSession&) = delete;
};

// The decoded secret, which liboath allocates: wiped and freed when it goes.
class DecodedSecret {
 public:
  explicit DecodedSecret(const SecretString& base32) {
    const int result = oath_base32_decode(base32.str().data(), base32.size(), &bytes_, &size_);
    if (result == OATH_OK && size_ > 0) return;
    release();  // an empty text decodes to an allocation of nothing
    throw std::runtime_error(msg::kBadOneTimeSecret);
  }
  ~DecodedSecret() { release(); }
  DecodedSecret(const DecodedSecret&) = delete;
  DecodedSecret& operator=(const DecodedSecret&) = delete;

  const char* data() const { return bytes_; }
  std::size_t size() const { return size_; }

 private:
  void release() {
    if (!bytes_) return;
    sodium_memzero(bytes_, size_);
    std::free(bytes_);
    bytes_ = nullptr;
  }

  char* bytes_ = nullptr;
  std::size_t size_ = 0;
};

// Secrets are copied in either case; base32 has only the capitals.
SecretString upperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return SecretString(std::move(upper));
}

}  // namespace

OneTimeCode oneTimeCode(std::string_view base32Secret, std::time_t now) {
  const OathSession oath;
  const DecodedSecret secret(upperCase(base32Secret));
  char digits[kDigits + 1] = {};
  if (oath_totp_generate(secret.data(), secret.size(), now, kOneTimeCodeStep,
                         OATH_TOTP_DEFAULT_START_TIME, kDigits, digits) != OATH_OK) {
    throw std::runtime_error(msg::kBadOneTimeSecret);
  }
  const int intoStep =
      static_cast<int>((now % kOneTimeCodeStep + kOneTimeCodeStep) % kOneTimeCodeStep);
  return {digits, kOneTimeCodeStep - intoStep};
}

}  // namespace vellumkeep
