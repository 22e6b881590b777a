// The keys of encryption mode `strong`: one slow derivation (Argon2id) from the user's password
// and a random salt, then two fast subkeys from its result, one to seal the data file and one
// for the verifier in the password file that tells a right password from a wrong one.
// The parameters of the derivation are stored in both files, so they can be raised later.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/secret_memory.h"

namespace vellumkeep {

// DO NOT CHANGE THESE VALUES: they are stored in the strong files.
inline constexpr uint8_t kArgon2id13 = 1;  // Argon2id, version 1.3

struct KdfParameters {
  uint8_t algorithm = kArgon2id13;
  uint32_t opslimit = 0;  // passes over the memory
  uint64_t memlimit = 0;  // bytes of memory
};

inline bool operator==(const KdfParameters& a, const KdfParameters& b) {
  return a.algorithm == b.algorithm && a.opslimit == b.opslimit && a.memlimit == b.memlimit;
}

// What the program writes: 3 passes over 64 MiB.
inline constexpr KdfParameters kDefaultKdfParameters{kArgon2id13, 3, uint64_t{64} << 20};
// The smallest that libsodium accepts, for tests that derive often. Never written by the program.
inline constexpr KdfParameters kMinimumKdfParameters{kArgon2id13, 1, 8192};
// Bounds on parameters read from a file, close to the defaults, so that a damaged or tampered
// file cannot make a login take much longer or much more memory than the program's own files do:
// 10 passes, 16 times the default memory (1 GiB).
inline constexpr uint32_t kMaxOpslimit = 10;
inline constexpr uint64_t kMaxMemlimit = 16 * kDefaultKdfParameters.memlimit;

// True for a known algorithm with parameters from the minimum up to the bounds above.
bool isValidKdfParameters(const KdfParameters& params);
// Throws the corruption error, std::domain_error(msg::kCorruptUserData), unless valid.
void checkKdfParameters(const KdfParameters& params);

inline constexpr std::size_t kSaltBytes = 16;
inline constexpr std::size_t kKeyBytes = 32;
inline constexpr std::size_t kVerifierBytes = 32;
using Salt = std::array<unsigned char, kSaltBytes>;
using Verifier = std::array<unsigned char, kVerifierBytes>;

// A fresh salt from the system's secure random numbers.
Salt randomSalt();

// One run of the derivation: kKeyBytes of key. Throws the corruption error for invalid
// parameters and std::bad_alloc when the derivation's memory cannot be had.
SecretBytes deriveKey(std::string_view password, const Salt& salt, const KdfParameters& params);

// The subkey that seals and opens the data file.
SecretBytes deriveSealingKey(const SecretBytes& key);
// What the password file holds to check a password: it reveals neither the key nor the
// sealing key.
Verifier deriveVerifier(const SecretBytes& key);

// What a session keeps after one derivation: the parameters and salt to write into the files
// again, the sealing key, and the verifier. The key itself is wiped once the subkeys exist.
struct StrongKeys {
  KdfParameters params;
  Salt salt;
  SecretBytes sealingKey;
  Verifier verifier;
};

// deriveKey and both subkeys. Throws as deriveKey.
StrongKeys deriveStrongKeys(std::string_view password, const Salt& salt,
                            const KdfParameters& params);

}  // namespace vellumkeep
