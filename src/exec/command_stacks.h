// The two stacks between parser, executor and display, and the parser's command code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vellumkeep {

// The codes of the command table's rows (shell/command_table.h); -2 means a confirmation was
// answered no.
using CommandCode = int32_t;

inline constexpr CommandCode kDeclined = -2;
inline constexpr CommandCode kNoCommand = -1;

struct ArgumentEntry {
  int32_t tag = 1;  // always 1; nothing reads it
  std::string text;
};

// Top is the back of each vector.
using OpcodeStack = std::vector<CommandCode>;
using ArgumentStack = std::vector<ArgumentEntry>;

}  // namespace vellumkeep
