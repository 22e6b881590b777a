#include "storage/strong_password_file.h"

#include <algorithm>

#include "platform/secret_memory.h"
#include "storage/corruption.h"
#include "storage/strong_format.h"

namespace vellumkeep {

StrongPasswordFile passwordFileOf(const StrongKeys& keys, bool chosenByOther) {
  return {keys.params, keys.salt, keys.verifier, chosenByOther};
}

std::string writeStrongPasswordFile(const StrongPasswordFile& contents) {
  const uint8_t version = contents.chosenByOther ? kStrongPasswordFileVersion : 1;
  std::string file;
  file.reserve(kStrongPasswordFileV2Bytes);
  appendStrongPrefix(file, kStrongPasswordKind, {contents.params, contents.salt, version});
  appendBytes(file, contents.verifier.data(), contents.verifier.size());
  if (version > 1) appendByte(file, kChosenByOtherFlag);
  appendChecksum(file);
  return file;
}

StrongPasswordFile readStrongPasswordFile(std::string_view file) {
  ByteReader in(file);
  const StrongPrefix prefix = readStrongPrefix(in, kStrongPasswordKind, kStrongPasswordFileVersion);
  const bool flagged = prefix.version > 1;
  if (file.size() != (flagged ? kStrongPasswordFileV2Bytes : kStrongPasswordFileBytes)) {
    throwCorruptUserData();
  }
  StrongPasswordFile result{prefix.params, prefix.salt, {}};
  const std::string_view verifier = in.bytes(kVerifierBytes);
  std::copy(verifier.begin(), verifier.end(), result.verifier.begin());
  if (flagged && in.byte() != kChosenByOtherFlag) throwCorruptUserData();
  result.chosenByOther = flagged;
  checkChecksum(in, file.substr(0, in.position()));
  return result;
}

bool verifyPassword(const StrongKeys& keys, const StrongPasswordFile& file) {
  return equalInConstantTime(keys.verifier.data(), file.verifier.data(), kVerifierBytes);
}

}  // namespace vellumkeep
