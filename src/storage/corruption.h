// The corruption error: what every reader of a user's files throws for a file that is missing,
// damaged or not what it should be. A domain error, so that it passes the shell loop's handler
// of command errors and only login catches it.
#pragma once

#include <stdexcept>

#include "model/messages.h"

namespace vellumkeep {

[[noreturn]] inline void throwCorruptUserData() {
  throw std::domain_error(msg::kCorruptUserData);
}

}  // namespace vellumkeep
