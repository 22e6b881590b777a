// The vellumkeep program: reads its arguments, connects the console, enters the folder of -C,
// checks for Config.ini, takes the installation's lock, logs in and runs the shell.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "programs/standard_streams.h"

namespace vellumkeep {

// How long a terminal may stay idle before the session locks, and how long a copied password
// stays in the clipboard.
struct SessionTimeouts {
  std::chrono::milliseconds idleLock = std::chrono::minutes(5);
  std::chrono::milliseconds clipboard = std::chrono::seconds(30);
};

// Runs vellumkeep with `args` (argv[1] onwards) on `streams`; returns the exit status. For the
// whole process: the process can no longer be dumped or traced, and the C++ standard streams
// no longer keep in step with C's.
int runVellumkeep(const std::vector<std::string>& args, const StandardStreams& streams,
                  const SessionTimeouts& timeouts = {});

}  // namespace vellumkeep
