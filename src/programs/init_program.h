// vellumkeep-init: creates a new installation in the current folder (or the one -C names), asking
// twice for root's password, or (--recover) writes a lost Config.ini anew from the users' files in
// the data folder. Its arguments are read by parseInitArguments.
#pragma once

#include <string>
#include <vector>

#include "programs/standard_streams.h"

namespace vellumkeep {

// Runs vellumkeep-init with `args` (argv[1] onwards) on `streams`; returns the exit status.
// For the whole process: it can no longer be dumped or traced.
int runInit(const std::vector<std::string>& args, const StandardStreams& streams);

}  // namespace vellumkeep
