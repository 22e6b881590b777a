// Keys of mode strong derived quickly, with the smallest parameters, for tests that seal and
// open many files.
#pragma once

#include <string_view>

#include "storage/strong_keys.h"

namespace vellumkeep {

inline Salt fixedSalt(unsigned char first) {
  Salt salt;
  for (std::size_t i = 0; i < salt.size(); ++i) salt[i] = static_cast<unsigned char>(first + i);
  return salt;
}

inline StrongKeys quickKeys(std::string_view password, unsigned char saltStart = 1) {
  return deriveStrongKeys(password, fixedSalt(saltStart), kMinimumKdfParameters);
}

}  // namespace vellumkeep
