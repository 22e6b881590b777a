// A code table keyed with a name in one expression, for tests that code as a user's files do.
#pragma once

#include <string_view>

#include "storage/code_table.h"

namespace vellumkeep {

inline CodeTable keyedTable(std::string_view name) {
  CodeTable table;
  table.keyCodeTable(name);
  return table;
}

}  // namespace vellumkeep
