// The program with short timeouts, for the terminal tests: the test binary itself, started with
// kRunWithTestTimeouts as its first argument, runs vellumkeep (with the arguments after it),
// its idle lock and clipboard timeouts in milliseconds taken from VELLUMKEEP_TEST_IDLE_MS and
// VELLUMKEEP_TEST_CLIPBOARD_MS. The installed programs never read these variables.
#pragma once

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "programs/vellumkeep_program.h"

namespace vellumkeep {

inline constexpr char kRunWithTestTimeouts[] = "--run-vellumkeep-with-test-timeouts";

// The running test binary, to be started again as the program.
inline std::string testTimeoutsProgram() {
  return std::filesystem::read_symlink("/proc/self/exe").string();
}

// The usual timeouts, each replaced by its variable where that is set.
inline SessionTimeouts timeoutsFromEnvironment() {
  SessionTimeouts timeouts;
  if (const char* idle = std::getenv("VELLUMKEEP_TEST_IDLE_MS")) {
    timeouts.idleLock = std::chrono::milliseconds(std::atol(idle));
  }
  if (const char* clipboard = std::getenv("VELLUMKEEP_TEST_CLIPBOARD_MS")) {
    timeouts.clipboard = std::chrono::milliseconds(std::atol(clipboard));
  }
  return timeouts;
}

}  // namespace vellumkeep
