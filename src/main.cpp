// vellumkeep: the password manager at the console. runVellumkeep holds its flow; main only
// hands in the arguments and the standard streams.
#include <cstdio>
#include <iostream>

#include "programs/program_arguments.h"
#include "programs/vellumkeep_program.h"

int main(int argc, char** argv) {
  using namespace vellumkeep;
  return runVellumkeep(argumentsAfterName(argc, argv),
                       {std::cin, std::cout, std::cerr, stdin, stdout, stderr});
}
