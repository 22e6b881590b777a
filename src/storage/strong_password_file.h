// The password file of encryption mode `strong`: what login needs to check a password, and
// nothing from which the password could be recovered other than by guessing, one key
// derivation per guess. Works on strings only.
//
// DO NOT CHANGE THE LAYOUT (version 1): existing files hold it. 83 bytes:
//   offset  bytes  field
//        0     35  the common start (storage/strong_format.h), kind 'P'
//       35     32  verifier (deriveVerifier of the key)
//       67     16  checksum: BLAKE2b-128 of bytes 0 to 66
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "storage/strong_keys.h"

namespace vellumkeep {

inline constexpr std::size_t kStrongPasswordFileBytes = 83;

struct StrongPasswordFile {
  KdfParameters params;
  Salt salt;
  Verifier verifier;
};

// What the password file of `keys` holds.
StrongPasswordFile passwordFileOf(const StrongKeys& keys);

std::string writeStrongPasswordFile(const StrongPasswordFile& contents);

// Throws the corruption error, std::domain_error(msg::kCorruptUserData), for a file of another
// kind, version or size, invalid parameters or a checksum that does not match.
StrongPasswordFile readStrongPasswordFile(std::string_view file);

// True when `keys`, derived from a typed password with the file's salt and parameters, hold
// the file's verifier; compared in constant time.
bool verifyPassword(const StrongKeys& keys, const StrongPasswordFile& file);

}  // namespace vellumkeep
