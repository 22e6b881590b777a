// What reads and writes one account's files. In modes unencrypted and simple that is the
// coding table keyed with the account's name (it codes the password file in both, and the data
// file in mode simple); in mode strong, the keys derived from the account's password.
#pragma once

#include <string_view>
#include <variant>

#include "storage/code_table.h"
#include "storage/strong_keys.h"

namespace vellumkeep {

class AccountKeys {
 public:
  // The coding table keyed with `name`.
  static AccountKeys coded(std::string_view name);
  explicit AccountKeys(StrongKeys keys) : keys_(std::move(keys)) {}

  // The keyed table; null for keys of mode strong.
  const CodeTable* table() const { return std::get_if<CodeTable>(&keys_); }
  // The keys of mode strong; null for a keyed table.
  const StrongKeys* strong() const { return std::get_if<StrongKeys>(&keys_); }

 private:
  explicit AccountKeys(CodeTable table) : keys_(std::move(table)) {}

  std::variant<CodeTable, StrongKeys> keys_;
};

}  // namespace vellumkeep
