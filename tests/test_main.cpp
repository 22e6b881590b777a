// The test binary's entry: runs the tests, or, started with kRunWithTestTimeouts first, runs
// vellumkeep with test timeouts for the terminal tests (e2e/test_timeouts_program.h).
#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "e2e/test_timeouts_program.h"
#include "programs/vellumkeep_program.h"

int main(int argc, char** argv) {
  using namespace vellumkeep;
  if (argc > 1 && std::string_view(argv[1]) == kRunWithTestTimeouts) {
    return runVellumkeep(std::vector<std::string>(argv + 2, argv + argc),
                         {std::cin, std::cout, std::cerr, stdin, stdout, stderr},
                         timeoutsFromEnvironment());
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
