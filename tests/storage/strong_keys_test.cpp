#include "storage/strong_keys.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "expect_error.h"
#include "model/messages.h"
#include "support/test_keys.h"

namespace vellumkeep {
namespace {

std::string bytesOf(const SecretBytes& key) {
  return std::string(reinterpret_cast<const char*>(key.data()), key.size());
}

std::string bytesOf(const Verifier& verifier) {
  return std::string(verifier.begin(), verifier.end());
}

TEST(KdfParameters, ValidityCheck) {
  struct Case {
    const char* what;
    KdfParameters params;
    bool valid;
  };
  const uint64_t mib64 = uint64_t{64} << 20;
  const Case cases[] = {
      {"defaults", kDefaultKdfParameters, true},
      {"libsodium's minimum", kMinimumKdfParameters, true},
      {"largest accepted", {kArgon2id13, kMaxOpslimit, kMaxMemlimit}, true},
      {"10 passes", {kArgon2id13, 10, mib64}, true},
      {"11 passes", {kArgon2id13, 11, mib64}, false},
      {"16 times the default memory", {kArgon2id13, 3, 16 * mib64}, true},
      {"above 16 times the default memory", {kArgon2id13, 3, 16 * mib64 + 1024}, false},
      {"4 GiB", {kArgon2id13, 3, uint64_t{4} << 30}, false},
      {"unknown algorithm 0", {0, 3, mib64}, false},
      {"unknown algorithm 2", {2, 3, mib64}, false},
      {"unknown algorithm 255", {255, 3, mib64}, false},
      {"no passes", {kArgon2id13, 0, mib64}, false},
      {"too many passes", {kArgon2id13, kMaxOpslimit + 1, mib64}, false},
      {"all passes", {kArgon2id13, 0xFFFFFFFF, mib64}, false},
      {"no memory", {kArgon2id13, 3, 0}, false},
      {"below the minimum memory", {kArgon2id13, 3, 8191}, false},
      {"above the bound", {kArgon2id13, 3, kMaxMemlimit + 1}, false},
      {"all memory", {kArgon2id13, 3, ~uint64_t{0}}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isValidKdfParameters(c.params), c.valid) << c.what;
    EXPECT_EQ(errorText<std::domain_error>([&] { checkKdfParameters(c.params); }),
              c.valid ? "(no error)" : msg::kCorruptUserData)
        << c.what;
  }
}

TEST(DeriveKey, RefusesInvalidParametersWithoutDeriving) {
  expectError<std::domain_error>(
      [] {
        deriveKey("secret1", fixedSalt(1), {kArgon2id13, 3, 1024});
      },
      msg::kCorruptUserData);
}

TEST(DeriveKey, SameInputsSameKeyAndEveryInputCounts) {
  const Salt salt = fixedSalt(1);
  const std::string key = bytesOf(deriveKey("secret1", salt, kMinimumKdfParameters));
  EXPECT_EQ(key.size(), kKeyBytes);
  EXPECT_EQ(key, bytesOf(deriveKey("secret1", salt, kMinimumKdfParameters)));

  struct Case {
    const char* what;
    std::string password;
    Salt salt;
    KdfParameters params;
  };
  KdfParameters morePasses = kMinimumKdfParameters;
  morePasses.opslimit = 2;
  KdfParameters moreMemory = kMinimumKdfParameters;
  moreMemory.memlimit = 16384;
  Salt lastByte = salt;
  lastByte.back() ^= 1;
  const Case cases[] = {
      {"other password", "secret2", salt, kMinimumKdfParameters},
      {"empty password", "", salt, kMinimumKdfParameters},
      {"other salt", "secret1", lastByte, kMinimumKdfParameters},
      {"more passes", "secret1", salt, morePasses},
      {"more memory", "secret1", salt, moreMemory},
  };
  for (const Case& c : cases) {
    EXPECT_NE(bytesOf(deriveKey(c.password, c.salt, c.params)), key) << c.what;
  }
}

TEST(DeriveKey, DefaultParametersDerive) {
  const Salt salt = fixedSalt(9);
  const std::string key = bytesOf(deriveKey("secret1", salt, kDefaultKdfParameters));
  EXPECT_EQ(key.size(), kKeyBytes);
  EXPECT_NE(key, bytesOf(deriveKey("secret1", salt, kMinimumKdfParameters)));
}

TEST(StrongKeys, SubkeysDifferFromTheKeyAndFromEachOther) {
  const SecretBytes key = deriveKey("secret1", fixedSalt(1), kMinimumKdfParameters);
  const std::string sealing = bytesOf(deriveSealingKey(key));
  const std::string verifier = bytesOf(deriveVerifier(key));
  EXPECT_EQ(sealing.size(), kKeyBytes);
  EXPECT_EQ(verifier.size(), kVerifierBytes);
  EXPECT_NE(sealing, bytesOf(key));
  EXPECT_NE(verifier, bytesOf(key));
  EXPECT_NE(sealing, verifier);
  EXPECT_EQ(sealing, bytesOf(deriveSealingKey(key)));
}

TEST(StrongKeys, OneDerivationGivesBothSubkeys) {
  const Salt salt = fixedSalt(3);
  const StrongKeys keys = deriveStrongKeys("secret1", salt, kMinimumKdfParameters);
  const SecretBytes key = deriveKey("secret1", salt, kMinimumKdfParameters);
  EXPECT_EQ(keys.params, kMinimumKdfParameters);
  EXPECT_EQ(keys.salt, salt);
  EXPECT_EQ(bytesOf(keys.sealingKey), bytesOf(deriveSealingKey(key)));
  EXPECT_EQ(bytesOf(keys.verifier), bytesOf(deriveVerifier(key)));
}

TEST(RandomSalt, FreshEachTime) {
  std::vector<Salt> salts;
  for (int i = 0; i < 8; ++i) salts.push_back(randomSalt());
  for (std::size_t i = 0; i < salts.size(); ++i) {
    for (std::size_t j = i + 1; j < salts.size(); ++j) EXPECT_NE(salts[i], salts[j]);
  }
}

}  // namespace
}  // namespace vellumkeep
