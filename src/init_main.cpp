// vellumkeep-init: creates or recovers an installation. runInit holds its flow; main only
// hands in the arguments and the standard streams.
#include <cstdio>
#include <iostream>

#include "programs/init_program.h"
#include "programs/program_arguments.h"

int main(int argc, char** argv) {
  using namespace vellumkeep;
  return runInit(argumentsAfterName(argc, argv),
                 {std::cin, std::cout, std::cerr, stdin, stdout, stderr});
}
