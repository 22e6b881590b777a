#include "storage/strong_keys.h"

#include <sodium.h>

#include <new>
#include <stdexcept>

#include "storage/corruption.h"

namespace vellumkeep {

namespace {

static_assert(kSaltBytes == crypto_pwhash_argon2id_SALTBYTES);
static_assert(kKeyBytes == crypto_kdf_KEYBYTES);
static_assert(kKeyBytes >= crypto_pwhash_argon2id_BYTES_MIN);
static_assert(kMinimumKdfParameters.opslimit == crypto_pwhash_argon2id_OPSLIMIT_MIN);
static_assert(kMinimumKdfParameters.memlimit == crypto_pwhash_argon2id_MEMLIMIT_MIN);
static_assert(kMaxOpslimit <= crypto_pwhash_argon2id_OPSLIMIT_MAX);
static_assert(kDefaultKdfParameters.opslimit >= 3 && kDefaultKdfParameters.memlimit >= (64u << 20));

// DO NOT CHANGE: the subkeys of existing files depend on them.
constexpr char kSubkeyContext[crypto_kdf_CONTEXTBYTES + 1] = "vkstrong";
constexpr uint64_t kSealingSubkeyId = 1;
constexpr uint64_t kVerifierSubkeyId = 2;

void deriveSubkey(const SecretBytes& key, uint64_t id, unsigned char* out, std::size_t size) {
  if (key.size() != kKeyBytes) throw std::invalid_argument("key size");
  crypto_kdf_derive_from_key(out, size, id, kSubkeyContext, key.data());
}

}  // namespace

bool isValidKdfParameters(const KdfParameters& params) {
  return params.algorithm == kArgon2id13 && params.opslimit >= kMinimumKdfParameters.opslimit &&
         params.opslimit <= kMaxOpslimit && params.memlimit >= kMinimumKdfParameters.memlimit &&
         params.memlimit <= kMaxMemlimit && params.memlimit <= crypto_pwhash_argon2id_MEMLIMIT_MAX;
}

void checkKdfParameters(const KdfParameters& params) {
  if (!isValidKdfParameters(params)) throwCorruptUserData();
}

Salt randomSalt() {
  initializeSodium();
  Salt salt;
  randombytes_buf(salt.data(), salt.size());
  return salt;
}

SecretBytes deriveKey(std::string_view password, const Salt& salt, const KdfParameters& params) {
  checkKdfParameters(params);
  SecretBytes key(kKeyBytes);
  if (crypto_pwhash(key.data(), key.size(), password.data(), password.size(), salt.data(),
                    params.opslimit, static_cast<std::size_t>(params.memlimit),
                    crypto_pwhash_ALG_ARGON2ID13) != 0) {
    // The only failure left once the parameters are valid: the memory was refused.
    throw std::bad_alloc();
  }
  return key;
}

SecretBytes deriveSealingKey(const SecretBytes& key) {
  SecretBytes sealingKey(kKeyBytes);
  deriveSubkey(key, kSealingSubkeyId, sealingKey.data(), sealingKey.size());
  return sealingKey;
}

Verifier deriveVerifier(const SecretBytes& key) {
  Verifier verifier;
  deriveSubkey(key, kVerifierSubkeyId, verifier.data(), verifier.size());
  return verifier;
}

StrongKeys deriveStrongKeys(std::string_view password, const Salt& salt,
                            const KdfParameters& params) {
  const SecretBytes key = deriveKey(password, salt, params);
  return StrongKeys{params, salt, deriveSealingKey(key), deriveVerifier(key)};
}

}  // namespace vellumkeep
