// Stores of realistic size and shape for the benchmarks: groups of 100 credentials, each with
// an e-mail-like account, a 12-character password and two (type, content) pairs. The same
// arguments always give the same bytes, so runs measure the same work.
#pragma once

#include <cstdint>
#include <string>

#include "model/user_account.h"

namespace vellumkeep::bench {

inline constexpr int kEntriesPerGroup = 100;

// The group name of group `index` (0-based) of a generated store.
std::string benchGroupName(int index);
// The account of credential `index` (0-based, counted over the whole store).
std::string benchEntryAccount(int index);

// An account holding `credentials` credentials in groups of kEntriesPerGroup.
UserAccount makeBenchAccount(const std::string& name, const std::string& password, int32_t mode,
                             int32_t role, int credentials);

}  // namespace vellumkeep::bench
