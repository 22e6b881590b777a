// The encryption modes of a user's data file, described once: the code stored in the files, the
// name operators type, and whether a new account may start in the mode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

namespace vellumkeep {

// DO NOT CHANGE THESE VALUES: they are stored in the data and password files.
enum EncryptionMode : int32_t {
  Unencrypted = 0,
  Simple = 1,
  Strong = 2,  // sealed with a key derived from the user's password
};

struct ModeRow {
  EncryptionMode code;
  const char* name;
  bool newAccounts;  // a new account may start in this mode (adduser, vellumkeep-init)
};

// Row i has code i: the order in which `mode` lists them. New accounts start coded or sealed,
// never plain.
inline constexpr ModeRow kModes[] = {
    {Unencrypted, "unencrypted", false},
    {Simple, "simple", true},
    {Strong, "strong", true},
};

// The row named `name` (exact bytes); null when no mode has that name.
constexpr const ModeRow* findMode(std::string_view name) {
  for (const ModeRow& row : kModes) {
    if (name == row.name) return &row;
  }
  return nullptr;
}

// The row of a mode a new account may start in; null for any other name.
constexpr const ModeRow* findNewAccountMode(std::string_view name) {
  const ModeRow* row = findMode(name);
  return row && row->newAccounts ? row : nullptr;
}

// The name of a mode's code; the code must be known.
constexpr const char* modeName(EncryptionMode mode) {
  return kModes[mode].name;
}

// True for a mode the program can read and write.
constexpr bool isKnownMode(int32_t mode) {
  return mode >= 0 && mode < static_cast<int32_t>(std::size(kModes));
}

constexpr bool modesAreConsistent() {
  for (std::size_t i = 0; i < std::size(kModes); ++i) {
    if (kModes[i].code != static_cast<EncryptionMode>(i)) return false;
  }
  return true;
}
static_assert(modesAreConsistent(), "row i of the mode table has code i");

}  // namespace vellumkeep
