// The command-line arguments of the two programs: usage, version, the folder to work in, the
// output's code page, and the options of vellumkeep-init. Parsing is pure, so every case is tested
// without a process; runVellumkeep and runInit hand the result to answerStartRequest or to their
// own flow.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/user_account.h"
#include "platform/console.h"
#include "programs/program_constants.h"

namespace vellumkeep {

enum class StartRequest {
  kRun,      // start as usual
  kUsage,    // -h, --help
  kVersion,  // -V, --version
  kRefused,  // an argument was refused
};

// What vellumkeep-init was asked for.
struct InitOptions {
  bool recover = false;  // --recover
  std::string mode;      // --mode: "simple" or "strong"; empty when not given
  std::string folder;    // DATA_FOLDER; empty when not given
};

struct ParsedArguments {
  StartRequest request = StartRequest::kRun;
  // -C DIR, --directory=DIR: the folders to enter, in order, before anything else (each one
  // relative to the one before, as with git -C).
  std::vector<std::string> directories;
  std::optional<ConsoleEncoding> encoding;  // --encoding=utf-8 (vellumkeep only)
  InitOptions init;                         // vellumkeep-init only
  const char* problem = nullptr;            // kRefused: what is wrong (a message)
  std::string offending;                    // kRefused: the argument concerned
};

// argv[1] onwards, as main receives them; none when argc is 0.
std::vector<std::string> argumentsAfterName(int argc, char** argv);

// vellumkeep [-C DIR|--directory=DIR]... [--encoding=utf-8], or -h/--help or -V/--version
// (the first of them wins); anything else is refused. Options that take a value take it after
// "=" or as the next argument. `args` are argv[1] onwards.
ParsedArguments parseProgramArguments(const std::vector<std::string>& args);

// vellumkeep-init [--mode simple|strong] [DATA_FOLDER], vellumkeep-init --recover
// [DATA_FOLDER], either with -C DIR|--directory=DIR, -h/--help, -V/--version; "--" ends the
// options. Read left to right: help and version answer at once, anything refused stops the
// reading.
ParsedArguments parseInitArguments(const std::vector<std::string>& args);

// The texts one program shows about its arguments.
struct ProgramTexts {
  std::string_view name;  // "vellumkeep"
  const char* usage;      // the usage line(s)
  std::string help;       // what follows the usage for --help
};

// For a request other than kRun: writes the usage and help or the version on standard
// output (status 0), or the refusal and the usage on standard error (status 2).
int answerStartRequest(Console& console, const ParsedArguments& parsed, const ProgramTexts& texts);

// Enters the folders of -C in order; false, with a message naming the folder, when one
// cannot be entered.
bool enterDirectories(Console& console, const ParsedArguments& parsed);

// "NAME VERSION", the version of this build.
std::string versionLine(std::string_view program);

}  // namespace vellumkeep
