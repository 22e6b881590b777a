// A whole program state on string streams, for tests that run command lines in-process.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "exec/program_state.h"
#include "platform/console.h"
#include "shell/shell.h"

namespace vellumkeep {

struct SessionOutput {
  std::string out;
  std::string err;
};

class SessionTest : public ::testing::Test {
 protected:
  SessionTest()
      : console_(in_, out_, ConsoleEncoding::kUtf8, err_, ConsoleEncoding::kUtf8),
        state_(console_) {}

  // Registers an account in memory and makes it the Operator.
  UserAccount& logIn(const std::string& name, int32_t role) {
    state_.registry.registerAccount(makeAccount(name, "secret1", Simple, role));
    state_.operatorName = name;
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

  std::istringstream in_;
  std::ostringstream out_;
  std::ostringstream err_;
  Console console_;
  ProgramState state_;
};

}  // namespace vellumkeep
