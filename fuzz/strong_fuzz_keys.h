// The fixed keys with which the strong file fuzz target opens its inputs and its seeds were
// sealed: derived from a fixed password and salt with the smallest parameters.
#pragma once

#include "storage/strong_keys.h"

namespace vellumkeep::fuzz {

inline constexpr char kStrongFuzzName[] = "alice01";

inline StrongKeys strongFuzzKeys() {
  Salt salt;
  for (std::size_t i = 0; i < salt.size(); ++i) salt[i] = static_cast<unsigned char>(0xA0 + i);
  return deriveStrongKeys("alicepw1", salt, kMinimumKdfParameters);
}

}  // namespace vellumkeep::fuzz
