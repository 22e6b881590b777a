#include "storage/strong_password_file.h"

#include <algorithm>

#include "platform/secret_memory.h"
#include "storage/strong_format.h"

namespace vellumkeep {

std::string writeStrongPasswordFile(const StrongKeys& keys) {
  std::string file;
  file.reserve(kStrongPasswordFileBytes);
  appendStrongPrefix(file, kStrongPasswordKind, {keys.params, keys.salt});
  appendBytes(file, keys.verifier.data(), keys.verifier.size());
  appendChecksum(file);
  return file;
}

StrongPasswordFile readStrongPasswordFile(std::string_view file) {
  if (file.size() != kStrongPasswordFileBytes) throwCorruptStrongFile();
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
