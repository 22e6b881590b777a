// What the fuzz targets share: the input as text, the split of an input into a user name and
// the bytes to read, the keys of the strong files, and the two outcomes of a check (an expected
// error, or a finding).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <random>
#include <string_view>
#include <vector>

#include "support/test_keys.h"

namespace vellumkeep::fuzz {

// The user whose files the strong file target opens, and the fixed keys with which its inputs
// and seeds were sealed.
inline constexpr char kStrongFuzzName[] = "alice01";
inline StrongKeys strongFuzzKeys() {
  return quickKeys("alicepw1", 0xA0);
}

inline std::string_view asText(const uint8_t* data, size_t size) {
  return size == 0 ? std::string_view()
                   : std::string_view(reinterpret_cast<const char*>(data), size);
}

// A user name to key the code table with, and the file contents to read with it.
struct NamedInput {
  std::string_view name;
  std::string_view body;
};

// The name is the bytes before the first line feed; without one the name is empty and
// every byte is the body.
inline NamedInput splitNamedInput(std::string_view input) {
  const size_t end = input.find('\n');
  if (end == std::string_view::npos) return {std::string_view(), input};
  return {input.substr(0, end), input.substr(end + 1)};
}

// Cuts a text into non-empty pieces of 1 to 64 bytes, at places drawn from a generator
// seeded with the text's size, so that a finding replays with the same cuts.
inline std::vector<std::string_view> cutIntoPieces(std::string_view text) {
  std::vector<std::string_view> pieces;
  std::minstd_rand random(static_cast<std::minstd_rand::result_type>(text.size() + 1));
  while (!text.empty()) {
    const size_t length = std::min<size_t>(text.size(), 1 + random() % 64);
    pieces.push_back(text.substr(0, length));
    text.remove_prefix(length);
  }
  return pieces;
}

// Stops the run so that the fuzzer records the input as a finding.
[[noreturn]] inline void fail(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

// An error the program may raise for bad input must carry its own message.
inline void expectMessage(const std::exception& error, const char* message) {
  if (std::strcmp(error.what(), message) != 0) fail(error.what());
}

}  // namespace vellumkeep::fuzz
