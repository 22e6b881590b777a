// Keys for tests, fuzz targets and benchmarks: of mode strong derived quickly, with the smallest
// parameters, for those that seal and open many files, and coding tables keyed with a name.
#pragma once

#include <string_view>

#include "storage/code_table.h"
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

inline CodeTable keyedTable(std::string_view name) {
  CodeTable table;
  table.keyCodeTable(name);
  return table;
}

}  // namespace vellumkeep
