// A whole program state on string streams, for tests that run command lines in-process.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "platform/console.h"
#include "program_state.h"
#include "shell/shell.h"
#include "temp_folder.h"

namespace vellumkeep {

struct SessionOutput {
  std::string out;
  std::string err;
};

class SessionTest : public ::testing::Test {
 protected:
  SessionTest()
      : console_(in_, out_, ConsoleEncoding::kUtf8, err_, ConsoleEncoding::kUtf8),
        state_(console_, folder_.path() + "Config.ini") {
    state_.files.dataPath = folder_.path() + "data/";
    std::filesystem::create_directory(state_.files.dataPath);
  }

  // Registers an account in memory and makes it the Operator.
  UserAccount& logIn(const std::string& name, int32_t role) {
    state_.registry.registerAccount(makeAccount(name, "secret1", Simple, role));
    state_.operatorName = name;
    state_.files.keyCodeTable(name);
    return state_.operatorAccount();
  }

  // Runs the shell on `input` (lines with their line ends) until it is exhausted, and
  // returns what was written after the about block, prompts included.
  SessionOutput session(const std::string& input) {
    in_.clear();
    in_.str(input);
    out_.str("");
    err_.str("");
    runShell(state_);
    std::string out = out_.str();
    out.erase(0, out.find("System\\"));
    return {out, err_.str()};
  }

  // Runs one command line (answers to its questions follow) and returns its output
  // without the prompts.
  SessionOutput run(const std::string& line, const std::string& answers = "") {
    SessionOutput result = session(line + "\n" + answers);
    std::string prompt = "System\\" + state_.operatorName + ">";
    for (size_t at; (at = result.out.find(prompt)) != std::string::npos;) {
      result.out.erase(at, prompt.size());
    }
    return result;
  }

  TempFolder folder_;
  std::istringstream in_;
  std::ostringstream out_;
  std::ostringstream err_;
  Console console_;
  ProgramState state_;
};

}  // namespace vellumkeep
