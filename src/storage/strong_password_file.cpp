#include "storage/strong_password_file.h"

#include <algorithm>

#include "platform/secret_memory.h"
#include "storage/corruption.h"
#include "storage/strong_format.h"

namespace vellumkeep {

StrongPasswordFile passwordFileOf(const StrongKeys& keys) {
  return {keys.params, keys.salt, keys.verifier};
}

std::string writeStrongPasswordFile(const StrongPasswordFile& contents) {
  std::string file;
  file.reserve(kStrongPasswordFileBytes);
  appendStrongPrefix(file, kStrongPasswordKind, {contents.params, contents.salt});
  appendBytes(file, contents.verifier.data(), contents.verifier.size());
  appendChecksum(file);
  return file;
}

StrongPasswordFile readStrongPasswordFile(std::string_view file) {
  if (file.size() != kStrongPasswordFileBytes) throwCorruptUserData();
  ByteReader in(file);
  const StrongPrefix prefix = readStrongPrefix(in, kStrongPasswordKind);
  StrongPasswordFile result{prefix.params, prefix.salt, {}};
  const std::string_view verifier = in.bytes(kVerifierBytes);
  std::copy(verifier.begin(), verifier.end(), result.verifier.begin());
  checkChecksum(in, file.substr(0, in.position()));
  return result;
}

bool verifyPassword(const StrongKeys& keys, const StrongPasswordFile& file) {
  return equalInConstantTime(keys.verifier.data(), file.verifier.data(), kVerifierBytes);
}

}  // namespace vellumkeep
