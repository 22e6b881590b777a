// The programs' options through pipes: -C and --directory from another folder, and the code
// page of --help and of --encoding=utf-8.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e/installation.h"
#include "model/messages.h"

namespace vellumkeep {
namespace {

using Names = std::vector<std::string>;

// The names in `folder`, sorted.
Names namesIn(const std::string& folder) {
  Names names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// An installation, and another folder to start the programs in.
class StartOptions : public InstalledTest {
 protected:
  // The installation's folder without its trailing slash.
  std::string installationFolder() const {
    return std::filesystem::path(folder_.path()).parent_path().string();
  }
  TempFolder elsewhere_;
};

// ---------------------------------------------------------------------------------------------
// -C DIR, --directory=DIR

TEST_F(StartOptions, EveryFormOfDirectoryWorksFromAnotherFolder) {
  const std::filesystem::path folder = installationFolder();
  const std::string parent = folder.parent_path().string();
  const std::string name = folder.filename().string();
  struct Case {
    Names args;
    std::string from;  // the folder the program starts in
  };
  const Case cases[] = {
      {{"-C", folder.string()}, elsewhere_.path()},
      {{"-C", name}, parent},
      {{"-C", parent, "-C", name}, elsewhere_.path()},  // each relative to the one before
      {{"-C", ".", "--encoding=utf-8", "-C", "."}, folder_.path()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const ProgramResult result =
        runProgram(VELLUMKEEP_PROGRAM, c.args, c.from, joinLines({"root", kRootPassword, "user"}));
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ("", result.err);
    const bool utf8 = std::find(c.args.begin(), c.args.end(), "--encoding=utf-8") != c.args.end();
    ConsoleTexts texts(utf8 ? ConsoleEncoding::kUtf8 : ConsoleEncoding::kGbk);
    EXPECT_EQ(texts.session("root", {texts.userList({})}), result.out);
  }
  EXPECT_EQ(Names{}, namesIn(elsewhere_.path()));
  EXPECT_TRUE(installation_.exists("Config.ini.lock"));
}

TEST_F(StartOptions, AFolderThatCannotBeEnteredIsNamedAndNothingStarts) {
  installation_.write("plain", "not a folder");
  const std::string missing = elsewhere_.path() + "missing";
  struct Case {
    Names args;
    std::string named;  // the folder the message names
  };
  const Case cases[] = {
      {{"-C", missing}, missing},
      {{"--directory=" + folder_.path() + "plain"}, folder_.path() + "plain"},
      {{"-C", ""}, ""},
      {{"-C", folder_.path(), "-C", "plain"}, "plain"},
  };
  for (const char* program : {VELLUMKEEP_PROGRAM, VELLUMKEEP_INIT_PROGRAM}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(program) + " " + ::testing::PrintToString(c.args));
      const ProgramResult result = runProgram(program, c.args, elsewhere_.path(),
                                              joinLines({"root", kRootPassword, kRootPassword}));
      EXPECT_EQ(1, result.status);
      EXPECT_EQ("", result.out);
      EXPECT_EQ(texts_.gbk(msg::kFolderUnreachable) + c.named + "\n", result.err);
      EXPECT_EQ(Names{}, namesIn(elsewhere_.path()));
    }
  }
}

TEST_F(StartOptions, InitCreatesTheInstallationInTheFolder) {
  TempFolder target;
  const ProgramResult result =
      runProgram(VELLUMKEEP_INIT_PROGRAM, {"-C", target.path(), "vault"}, elsewhere_.path(),
                 joinLines({kRootPassword, kRootPassword}));
  ASSERT_EQ(0, result.status) << result.err;
  EXPECT_EQ(texts_.gbk(msg::kInitAskPassword) + texts_.gbk(msg::kInitAskAgain) +
                texts_.line(msg::kInitDone),
            result.out);
  EXPECT_EQ(Names{}, namesIn(elsewhere_.path()));
  Installation made(target.path());
  EXPECT_EQ((Names{"Config.ini", "vault"}), made.entries(""));
  EXPECT_EQ(texts_.loggedIn("root"),
            runProgram(VELLUMKEEP_PROGRAM, {"--directory=" + target.path()}, elsewhere_.path(),
                       joinLines({"root", kRootPassword}))
                .out);
}

// ---------------------------------------------------------------------------------------------
// The code page of --help and of --encoding=utf-8

TEST_F(StartOptions, HelpFollowsTheLocalesCodeSet) {
  struct Case {
    Names environment;
    ConsoleEncoding encoding;
  };
  const Case cases[] = {
      {{"LC_ALL=C", "LC_CTYPE=", "LANG="}, ConsoleEncoding::kGbk},
      {{"LC_ALL=C.UTF-8", "LC_CTYPE=", "LANG="}, ConsoleEncoding::kUtf8},
      {{"LC_ALL=C.UTF-8", "LC_CTYPE=C", "LANG=C"}, ConsoleEncoding::kUtf8},  // LC_ALL first
      {{"LC_ALL=", "LC_CTYPE=C", "LANG=C.UTF-8"}, ConsoleEncoding::kGbk},    // then LC_CTYPE
      {{"LC_ALL=", "LC_CTYPE=", "LANG=C.UTF-8"}, ConsoleEncoding::kUtf8},
      // Not installed: the name decides.
      {{"LC_ALL=", "LC_CTYPE=", "LANG=xx_YY.utf8"}, ConsoleEncoding::kUtf8},
      {{"LC_ALL=", "LC_CTYPE=", "LANG=xx_YY.GBK"}, ConsoleEncoding::kGbk},
      {{"LC_ALL=", "LC_CTYPE=", "LANG="}, ConsoleEncoding::kGbk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.environment));
    ConsoleTexts texts(c.encoding);
    ProgramOptions options;
    options.environment = c.environment;
    const ProgramResult program =
        runProgram(VELLUMKEEP_PROGRAM, {"--help"}, elsewhere_.path(), "", options);
    EXPECT_EQ(texts.line(msg::kProgramUsage) + texts.line(msg::kProgramUsageMore) +
                  texts.line(msg::kProgramHelp) + texts.line(msg::kProgramHelpMore),
              program.out);
    const ProgramResult init =
        runProgram(VELLUMKEEP_INIT_PROGRAM, {"-h"}, elsewhere_.path(), "", options);
    EXPECT_EQ(
        texts.line(msg::kInitUsage) + texts.line(msg::kInitHelp) + texts.line(msg::kInitHelpMore),
        init.out);
  }
}

// A session's output, and its errors, in UTF-8 on pipes; the default stays GBK.
TEST_F(StartOptions, EncodingUtf8GivesUtf8OnAPipe) {
  const std::string input = joinLines({"root", kRootPassword, "user", "adddir mail"});
  for (const Names& args : {Names{"--encoding=utf-8"}, Names{}}) {
    SCOPED_TRACE(::testing::PrintToString(args));
    ConsoleTexts texts(args.empty() ? ConsoleEncoding::kGbk : ConsoleEncoding::kUtf8);
    const ProgramResult result = runProgram(VELLUMKEEP_PROGRAM, args, folder_.path(), input);
    EXPECT_EQ(0, result.status);
    EXPECT_EQ(texts.session("root", {texts.userList({}), ""}), result.out);
    EXPECT_EQ(texts.shellError(msg::kNoPermission), result.err);
  }
}

}  // namespace
}  // namespace vellumkeep
