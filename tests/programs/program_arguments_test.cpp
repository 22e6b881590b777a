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

// The folders of -C and the code page of --encoding in one line, or the refusal.
std::string describeStart(const ParsedArguments& parsed) {
  if (parsed.request != StartRequest::kRun) return describe(parsed);
  std::string text = "run in";
  for (const std::string& folder : parsed.directories) text += " [" + folder + "]";
  if (parsed.encoding == ConsoleEncoding::kUtf8) text += " utf-8";
  if (!parsed.init.folder.empty()) text += " folder=" + parsed.init.folder;
  return text;
}

TEST(ProgramArguments, DirectoriesInOrderAndTheEncoding) {
  struct StartCase {
    Args args;
    std::string program;  // what vellumkeep makes of them
    std::string init;     // and vellumkeep-init
  };
  const StartCase cases[] = {
      {{"-C", "inst"}, "run in [inst]", "run in [inst]"},
      {{"--directory=/a b"}, "run in [/a b]", "run in [/a b]"},
      {{"--directory", "inst"}, "run in [inst]", "run in [inst]"},
      {{"-C", "a", "--directory=b", "-C", "c"}, "run in [a] [b] [c]", "run in [a] [b] [c]"},
      {{"-C", "-C"}, "run in [-C]", "run in [-C]"},
      {{"-C", ""}, "run in []", "run in []"},
      {{"--directory="}, "run in []", "run in []"},
      {{"-C", "inst", "vault"},
       refused(msg::kArgumentExtra, "vault"),
       "run in [inst] folder=vault"},
      {{"-C", "inst", "--help"}, "usage", "usage"},
      {{"-C"},
       refused(msg::kArgumentValueMissing, "-C"),
       refused(msg::kArgumentValueMissing, "-C")},
      {{"--directory"},
       refused(msg::kArgumentValueMissing, "--directory"),
       refused(msg::kArgumentValueMissing, "--directory")},
      {{"-Cinst"},
       refused(msg::kArgumentUnknown, "-Cinst"),
       refused(msg::kArgumentUnknown, "-Cinst")},
      {{"--directorys=a"},
       refused(msg::kArgumentUnknown, "--directorys=a"),
       refused(msg::kArgumentUnknown, "--directorys=a")},
      {{"--encoding=utf-8"}, "run in utf-8", refused(msg::kArgumentUnknown, "--encoding=utf-8")},
      {{"--encoding", "UTF-8", "-C", "x"},
       "run in [x] utf-8",
       refused(msg::kArgumentUnknown, "--encoding")},
      {{"--encoding=UTF8"}, "run in utf-8", refused(msg::kArgumentUnknown, "--encoding=UTF8")},
      {{"--encoding=gbk"},
       refused(msg::kArgumentBadEncoding, "gbk"),
       refused(msg::kArgumentUnknown, "--encoding=gbk")},
      {{"--encoding"},
       refused(msg::kArgumentValueMissing, "--encoding"),
       refused(msg::kArgumentUnknown, "--encoding")},
  };
  for (const StartCase& c : cases) {
    EXPECT_EQ(c.program, describeStart(parseProgramArguments(c.args)))
        << ::testing::PrintToString(c.args);
    EXPECT_EQ(c.init, describeStart(parseInitArguments(c.args)))
        << ::testing::PrintToString(c.args);
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
