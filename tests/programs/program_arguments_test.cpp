#include "programs/program_arguments.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "model/messages.h"

namespace vellumkeep {
namespace {

using Args = std::vector<std::string>;

// A parse result in one line: the request, then the options or the refusal.
std::string describe(const ParsedArguments& parsed) {
  switch (parsed.request) {
    case StartRequest::kRun:
      return std::string("run recover=") + (parsed.init.recover ? "yes" : "no") +
             " mode=" + parsed.init.mode + " folder=" + parsed.init.folder;
    case StartRequest::kUsage:
      return "usage";
    case StartRequest::kVersion:
      return "version";
    case StartRequest::kRefused:
      return std::string("refused ") + parsed.problem + parsed.offending;
  }
  return "?";
}

std::string refused(const char* problem, const std::string& offending) {
  return std::string("refused ") + problem + offending;
}

struct Case {
  Args args;
  std::string expected;
};

TEST(ProgramArguments, ProgramTakesOnlyHelpOrVersion) {
  const Case cases[] = {
      {{}, "run recover=no mode= folder="},
      {{"-h"}, "usage"},
      {{"--help"}, "usage"},
      {{"-V"}, "version"},
      {{"--version"}, "version"},
      {{"--help", "more"}, "usage"},
      {{"-V", "-h"}, "version"},
      {{"--bogus"}, refused(msg::kArgumentUnknown, "--bogus")},
      {{"-help"}, refused(msg::kArgumentUnknown, "-help")},
      {{"--HELP"}, refused(msg::kArgumentUnknown, "--HELP")},
      {{"data"}, refused(msg::kArgumentExtra, "data")},
      {{"-"}, refused(msg::kArgumentExtra, "-")},
      {{""}, refused(msg::kArgumentExtra, "")},
      {{"x", "--help"}, refused(msg::kArgumentExtra, "x")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, describe(parseProgramArguments(c.args)))
        << ::testing::PrintToString(c.args);
  }
}

TEST(ProgramArguments, InitReadsModeRecoverAndOneFolder) {
  const Case cases[] = {
      {{}, "run recover=no mode= folder="},
      {{"vault"}, "run recover=no mode= folder=vault"},
      {{"--mode", "simple"}, "run recover=no mode=simple folder="},
      {{"--mode=strong", "vault/"}, "run recover=no mode=strong folder=vault/"},
      {{"vault", "--mode", "strong"}, "run recover=no mode=strong folder=vault"},
      {{"--recover"}, "run recover=yes mode= folder="},
      {{"--recover", "vault"}, "run recover=yes mode= folder=vault"},
      {{"--", "--help"}, "run recover=no mode= folder=--help"},
      {{"-"}, "run recover=no mode= folder=-"},
      {{"--help"}, "usage"},
      {{"vault", "-h"}, "usage"},
      {{"--version"}, "version"},
      {{"-V", "--bogus"}, "version"},
      {{"--bogus"}, refused(msg::kArgumentUnknown, "--bogus")},
      {{"--bogus", "--help"}, refused(msg::kArgumentUnknown, "--bogus")},
      {{"--recovery"}, refused(msg::kArgumentUnknown, "--recovery")},
      {{"--mode"}, refused(msg::kArgumentValueMissing, "--mode")},
      {{"--mode", "Simple"}, refused(msg::kArgumentBadMode, "Simple")},
      {{"--mode", "unencrypted"}, refused(msg::kArgumentBadMode, "unencrypted")},
      {{"--mode="}, refused(msg::kArgumentBadMode, "")},
      {{"--mode", "--help"}, refused(msg::kArgumentBadMode, "--help")},
      {{"a", "b"}, refused(msg::kArgumentExtra, "b")},
      {{""}, refused(msg::kArgumentEmptyFolder, "")},
      {{"--recover", "--mode", "simple"}, refused(msg::kArgumentConflict, "--recover --mode")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, describe(parseInitArguments(c.args))) << ::testing::PrintToString(c.args);
  }
}

class StartAnswer : public ::testing::Test {
 protected:
  int answer(const ParsedArguments& parsed) {
    return answerStartRequest(console_, parsed, {"tool", msg::kInitUsage, msg::kInitHelp});
  }

  std::istringstream in_;
  std::ostringstream out_;
  std::ostringstream err_;
  Console console_{in_, out_, ConsoleEncoding::kUtf8, err_, ConsoleEncoding::kUtf8};
};

TEST_F(StartAnswer, UsageAndVersionGoToStandardOutput) {
  EXPECT_EQ(kExitSuccess, answer(parseInitArguments({"--help"})));
  EXPECT_EQ(std::string(msg::kInitUsage) + "\n" + msg::kInitHelp + "\n", out_.str());
  out_.str("");
  EXPECT_EQ(kExitSuccess, answer(parseInitArguments({"-V"})));
  EXPECT_EQ(versionLine("tool") + "\n", out_.str());
  EXPECT_EQ("tool " VELLUMKEEP_VERSION, versionLine("tool"));
  EXPECT_EQ("", err_.str());
}

TEST_F(StartAnswer, RefusalGoesToStandardErrorWithTheUsage) {
  EXPECT_EQ(kExitUsage, answer(parseInitArguments({"--mode", "weak"})));
  EXPECT_EQ(std::string(msg::kArgumentBadMode) + "weak\n" + msg::kInitUsage + "\n", err_.str());
  EXPECT_EQ("", out_.str());
}

}  // namespace
}  // namespace vellumkeep
