// The password file of encryption mode `strong`: what login needs to check a password, and
// nothing from which the password could be recovered other than by guessing, one key
// derivation per guess. Works on strings only.
//
// DO NOT CHANGE THE LAYOUTS: existing files hold them. Version 1, 83 bytes:
//   offset  bytes  field
//        0     35  the common start (storage/strong_format.h), kind 'P', version 1
//       35     32  verifier (deriveVerifier of the key)
//       67     16  checksum: BLAKE2b-128 of bytes 0 to 66
// Version 2, 84 bytes, written only for a password that another account chose:
//        0     35  the common start, kind 'P', version 2
//       35     32  verifier
//       67      1  flags: bit 0 set, the password was chosen by another account and is to be
//                  changed at the next login; the other bits are zero
//       68     16  checksum: BLAKE2b-128 of bytes 0 to 67
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "storage/strong_keys.h"

namespace vellumkeep {

inline constexpr std::size_t kStrongPasswordFileBytes = 83;
inline constexpr uint8_t kStrongPasswordFileVersion = 2;  // the newest; version 1 has no flags
inline constexpr std::size_t kStrongPasswordFileV2Bytes = 84;
inline constexpr uint8_t kChosenByOtherFlag = 0x01;

struct StrongPasswordFile {
  KdfParameters params;
  Salt salt;
  Verifier verifier;
  bool chosenByOther = false;  // to be changed at the next login
};

// What the password file of `keys` holds.
StrongPasswordFile passwordFileOf(const StrongKeys& keys, bool chosenByOther = false);

// Version 1, or version 2 for a password chosen by another account.
std::string writeStrongPasswordFile(const StrongPasswordFile& contents);

// Throws the corruption error, std::domain_error(msg::kCorruptUserData), for a file of another
// kind, version or size, invalid parameters or flags, or a checksum that does not match.
StrongPasswordFile readStrongPasswordFile(std::string_view file);

// True when `keys`, derived from a typed password with the file's salt and parameters, hold
// the file's verifier; compared in constant time.
bool verifyPassword(const StrongKeys& keys, const StrongPasswordFile& file);

}  // namespace vellumkeep
