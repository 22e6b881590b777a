#include "storage/account_keys.h"

namespace vellumkeep {

AccountKeys AccountKeys::coded(std::string_view name) {
  CodeTable table;
  table.keyCodeTable(name);
  return AccountKeys(std::move(table));
}

}  // namespace vellumkeep
