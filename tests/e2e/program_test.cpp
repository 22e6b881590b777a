// The built programs, run through pipes in a temporary installation: what needs the real
// process (vellumkeep-init, exit statuses, texts in GBK on a pipe, restarts and the files they
// read, damaged files, names with slashes and shell characters). Output is compared as the
// bytes a pipe receives.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "e2e/installation.h"
#include "model/messages.h"
#include "programs/program_arguments.h"
#include "storage/strong_format.h"
#include "storage/strong_password_file.h"

namespace vellumkeep {
namespace {

using Names = std::vector<std::string>;

// Config.ini as the programs write it; names that need quotes are passed quoted.
std::string configText(const std::string& dataFolder, const Names& names) {
  return "[PATH]\ndata_path = \"" + dataFolder + "\"\n\n[USERMAP]\n" + joinLines(names);
}

class ProgramTest : public InstalledTest {
 protected:
  void addUser(const std::string& name, const std::string& password) {
    expectSuccesses("root", kRootPassword, {"adduser " + name + " " + password + " simple"});
  }
  // The files of `name`, owner-only: the password file holds `mode` and `password`, and the
  // data file holds `text`, coded (digits only) in mode simple and plain otherwise.
  void expectStored(const std::string& name, int32_t mode, const std::string& password,
                    const std::string& text) {
    SCOPED_TRACE(name);
    const StoredAccount account = stored(name);
    EXPECT_EQ(mode, account.passwordFileMode);
    EXPECT_EQ(password, account.passwordFilePassword);
    EXPECT_EQ(text, writeAccountText(account.account));
    const std::string data = installation_.read("data/" + name + ".usr");
    EXPECT_EQ(mode == Simple, data.find_first_not_of("0123456789") == std::string::npos) << data;
    EXPECT_EQ(0600u, installation_.permissions("data/" + name + ".usr"));
    EXPECT_EQ(0600u, installation_.permissions("data/" + name + ".usrpas"));
  }
  std::string config() { return installation_.read("Config.ini"); }
};

// ---------------------------------------------------------------------------------------------
// vellumkeep-init

class ProgramInit : public ProgramTest {
 protected:
  void SetUp() override {}  // each test makes its own installation
};

TEST_F(ProgramInit, CreatesConfigDataFolderAndRootFiles) {
  ProgramResult result = installation_.create();
  EXPECT_EQ(0, result.status);
  EXPECT_EQ("", result.err);
  EXPECT_EQ(texts_.gbk(msg::kInitAskPassword) + texts_.gbk(msg::kInitAskAgain) +
                texts_.line(msg::kInitDone),
            result.out);
  EXPECT_EQ(configText("data/", {"root"}), config());
  EXPECT_EQ(0700u, installation_.permissions("data"));
  EXPECT_EQ((Names{"root.usr", "root.usrpas"}), installation_.entries("data"));
  expectStored("root", Simple, kRootPassword, "root\nrootpw1\n2\n1\n0\n0\n");
}

TEST_F(ProgramInit, DataFolderArgumentGetsATrailingSlash) {
  for (std::string folder : {"vault", "vault/"}) {
    TempFolder place;
    Installation installation(place.path());
    ASSERT_EQ(0, installation.create(folder).status) << folder;
    EXPECT_EQ(configText("vault/", {"root"}), installation.read("Config.ini")) << folder;
    // The program finds root's files there.
    EXPECT_EQ(texts_.loggedIn("root"), installation.runAs("root", kRootPassword, {}).out) << folder;
  }
}

// A write past a file-size limit is reported, not the end of the program by SIGXFSZ.
TEST_F(ProgramInit, FileSizeLimitIsReported) {
  ProgramOptions options;
  options.fileSizeLimit = 100;
  ProgramResult result = runProgram(VELLUMKEEP_INIT_PROGRAM, {}, folder_.path(),
                                    joinLines({kRootPassword, kRootPassword}), options);
  EXPECT_EQ(1, result.status);
  EXPECT_EQ(texts_.line(msg::kWriteFailed), result.err);
  EXPECT_FALSE(installation_.exists("Config.ini"));
}

TEST_F(ProgramInit, RefusalsWriteNothing) {
  struct Case {
    const char* what;
    std::string input;
    const char* message;
    std::string config;  // a Config.ini already there
  };
  const Case cases[] = {
      {"passwords differ", "rootpw1\nrootpw2\n", msg::kInitPasswordsDiffer, ""},
      {"too short", "abc12\nabc12\n", msg::kPasswordTooShort, ""},
      // Mode strong, which root starts in, takes up to 64 characters.
      {"too long", joinLines({std::string(65, 'a'), std::string(65, 'a')}), msg::kPasswordTooLong,
       ""},
      {"illegal byte", "root:pw1\nroot:pw1\n", msg::kIllegalCharacter, ""},
      {"input ends after one line", "rootpw1\n", msg::kInitInputEnded, ""},
      {"no input", "", msg::kInitInputEnded, ""},
      {"Config.ini exists", "rootpw1\nrootpw1\n", msg::kInitConfigExists, "[USERMAP]\nsomeone\n"},
  };
  for (const Case& c : cases) {
    TempFolder place;
    Installation installation(place.path());
    if (!c.config.empty()) installation.write("Config.ini", c.config);
    ProgramResult result = runProgram(VELLUMKEEP_INIT_PROGRAM, {}, place.path(), c.input);
    EXPECT_EQ(1, result.status) << c.what;
    EXPECT_EQ(texts_.line(c.message), result.err) << c.what;
    EXPECT_EQ(c.config.empty() ? Names{} : Names{"Config.ini"}, installation.entries("")) << c.what;
    EXPECT_EQ(c.config, installation.read("Config.ini")) << c.what;
  }
}

// Refusals that need no password are made before the first question.
TEST_F(ProgramInit, UnfitFoldersAndRootsFilesAreRefusedBeforeAsking) {
  struct Case {
    const char* what;
    std::string argument;
    std::string existing;  // a file already there
    std::string message;
  };
  const Case cases[] = {
      {"a double quote", "da\"ta", "", msg::kInitFolderUnfit},
      {"a line feed", "da\nta", "", msg::kInitFolderUnfit},
      {"root's files", "data", "data/root.usrpas", msg::kInitRootFilesExist},
      {"someone's file", "data", "data/report1.tmp.bak",
       std::string(msg::kInitForeignFile) + "report1.tmp.bak"},
      {"a missing parent", "no/data", "", std::string(msg::kInitFolderFailed) + "no/data/"},
  };
  for (const Case& c : cases) {
    TempFolder place;
    Installation installation(place.path());
    if (!c.existing.empty()) {
      std::filesystem::create_directories(place.path() + "data");
      installation.write(c.existing, "someone's");
    }
    const std::string input = joinLines({kRootPassword, kRootPassword});
    ProgramResult result = runProgram(VELLUMKEEP_INIT_PROGRAM, {c.argument}, place.path(), input);
    EXPECT_EQ(1, result.status) << c.what;
    EXPECT_EQ(texts_.line(c.message.c_str()), result.err) << c.what;
    EXPECT_EQ("", result.out) << c.what;  // no question was asked
    EXPECT_FALSE(fileExists(place.path() + "Config.ini")) << c.what;
  }
}

TEST_F(ProgramInit, RecoverWritesALostConfigFromTheUsersFiles) {
  ASSERT_EQ(0, installation_.create().status);
  expectSuccesses("root", kRootPassword,
                  {"adduser alice01 alicepw1 simple", "addadmin adm0001 admpw001"});
  std::filesystem::remove(folder_.path() + "Config.ini");
  ProgramResult result =
      runProgram(VELLUMKEEP_INIT_PROGRAM, {"--recover", "data"}, folder_.path(), "");
  ASSERT_EQ(0, result.status) << result.err;
  EXPECT_EQ(texts_.line(msg::kInitRecovered) + "\troot\n\tadm0001\n\talice01\n", result.out);
  EXPECT_EQ(configText("data/", {"root", "adm0001", "alice01"}), config());
  EXPECT_EQ(texts_.loggedIn("alice01"), installation_.runAs("alice01", "alicepw1", {}).out);
  result = runProgram(VELLUMKEEP_INIT_PROGRAM, {"--recover"}, folder_.path(), "");
  EXPECT_EQ(1, result.status);
  EXPECT_EQ(texts_.line(msg::kInitConfigExists), result.err);
}

// ---------------------------------------------------------------------------------------------
// Arguments, and a folder without an installation

class ProgramStart : public ProgramTest {
 protected:
  void SetUp() override {}  // no installation: nothing may appear in the folder

  // In the C locale, whose code set is not UTF-8: --help is in GBK as on a pipe.
  ProgramResult start(const char* program, const Names& args) {
    ProgramOptions options;
    options.environment = {"LC_ALL=C"};
    return runProgram(program, args, folder_.path(), joinLines({kRootPassword, kRootPassword}),
                      options);
  }
  std::string refusal(const char* problem, const std::string& offending, const char* usage) {
    return texts_.gbk(problem) + offending + "\n" + texts_.line(usage);
  }
};

TEST_F(ProgramStart, HelpAndVersionAnswerAndTouchNothing) {
  const std::string programHelp =
      texts_.line(msg::kProgramUsage) + texts_.line(msg::kProgramUsageMore) +
      texts_.line(msg::kProgramHelp) + texts_.line(msg::kProgramHelpMore);
  const std::string initHelp =
      texts_.line(msg::kInitUsage) + texts_.line(msg::kInitHelp) + texts_.line(msg::kInitHelpMore);
  struct Case {
    const char* program;
    Names args;
    std::string out;
  } cases[] = {
      {VELLUMKEEP_PROGRAM, {"--help"}, programHelp},
      {VELLUMKEEP_PROGRAM, {"--version"}, versionLine("vellumkeep") + "\n"},
      {VELLUMKEEP_INIT_PROGRAM, {"--help"}, initHelp},
      {VELLUMKEEP_INIT_PROGRAM, {"vault", "--help"}, initHelp},
      {VELLUMKEEP_INIT_PROGRAM, {"--version"}, versionLine("vellumkeep-init") + "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.program) + " " + c.args[0]);
    ProgramResult result = start(c.program, c.args);
    EXPECT_EQ(0, result.status);
    EXPECT_EQ(c.out, result.out);
    EXPECT_EQ("", result.err);
    EXPECT_EQ(Names{}, installation_.entries(""));
  }
}

TEST_F(ProgramStart, RefusedArgumentsExitWithTwoAndTouchNothing) {
  struct Case {
    const char* program;
    Names args;
    std::string err;
  } cases[] = {
      {VELLUMKEEP_PROGRAM,
       {"--bogus"},
       refusal(msg::kArgumentUnknown, "--bogus", msg::kProgramUsage)},
      {VELLUMKEEP_PROGRAM, {"data"}, refusal(msg::kArgumentExtra, "data", msg::kProgramUsage)},
      {VELLUMKEEP_INIT_PROGRAM, {"a", "b"}, refusal(msg::kArgumentExtra, "b", msg::kInitUsage)},
      {VELLUMKEEP_INIT_PROGRAM, {""}, refusal(msg::kArgumentEmptyFolder, "", msg::kInitUsage)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.program) + " " + c.args[0]);
    ProgramResult result = start(c.program, c.args);
    EXPECT_EQ(2, result.status);
    EXPECT_EQ("", result.out);
    EXPECT_EQ(c.err, result.err);
    EXPECT_EQ(Names{}, installation_.entries(""));
  }
}

TEST_F(ProgramStart, InitTakesModeSimpleAndAFolder) {
  ProgramResult result = start(VELLUMKEEP_INIT_PROGRAM, {"--mode", "simple", "vault"});
  EXPECT_EQ(0, result.status) << result.err;
  EXPECT_EQ(configText("vault/", {"root"}), config());
  EXPECT_EQ((Names{"root.usr", "root.usrpas"}), installation_.entries("vault"));
}

// Root in mode strong, as vellumkeep-init makes it without --mode: sealed files, and a new
// password that alone opens them.
TEST_F(ProgramStart, InitMakesRootStrongAndSetpasswordReplacesTheKeys) {
  ProgramResult result = start(VELLUMKEEP_INIT_PROGRAM, {});
  ASSERT_EQ(0, result.status) << result.err;
  EXPECT_TRUE(isStrongFile(installation_.read("data/root.usr")));
  EXPECT_TRUE(isStrongFile(installation_.read("data/root.usrpas")));
  expectSuccesses("root", kRootPassword,
                  {"setpassword rootpw9", "adduser alice01 alicepw1 strong"});
  EXPECT_EQ(texts_.refused(1), installation_.runAs("root", kRootPassword, {}).out);
  EXPECT_EQ(texts_.loggedIn("root"), installation_.runAs("root", "rootpw9", {}).out);
  EXPECT_TRUE(isStrongFile(installation_.read("data/alice01.usr")));
}

// Without Config.ini no login could ever succeed: the program says so at once.
TEST_F(ProgramStart, FolderWithoutConfigIsRefusedAndLeftAlone) {
  ProgramResult result = installation_.runAs("root", kRootPassword, {"user"});
  EXPECT_EQ(1, result.status);
  EXPECT_EQ(texts_.line(msg::kNoConfig), result.err);
  EXPECT_EQ("", result.out);
  EXPECT_EQ(Names{}, installation_.entries(""));
}

// ---------------------------------------------------------------------------------------------
// Login

using ProgramLogin = ProgramTest;

TEST_F(ProgramLogin, FailedAttemptsAskAgainWithoutTheBanner) {
  const std::pair<std::string, std::string> refused[] = {
      {"root", "wrongpw1"},        // wrong password
      {"nobody1", kRootPassword},  // unknown name
      {"root ", kRootPassword},    // trailing blank in the name
      {"Root", kRootPassword},     // other letter case
      {"root", "rootpw1 "},        // trailing blank in the password
  };
  std::string input;
  for (const auto& [name, password] : refused) input += joinLines({name, password});
  ProgramResult result = installation_.run(input + joinLines({"root", kRootPassword}));
  EXPECT_EQ(0, result.status);  // the input ended at the prompt
  EXPECT_EQ("", result.err);
  EXPECT_EQ(texts_.loggedIn("root", std::size(refused)), result.out);
  // The welcome line as a pipe receives it: 79 bytes, the four characters two bytes each.
  EXPECT_EQ("|" + std::string(27, ' ') + "\xBB\xB6\xD3\xAD\xCA\xB9\xD3\xC3Vellumkeep" +
                std::string(32, ' ') + "|\n",
            result.out.substr(80, 80));
}

TEST_F(ProgramLogin, InputEndingBeforeLoginExitsWithOne) {
  for (const std::string input : {"", "root\n", "root\nwrongpw1\n"}) {
    ProgramResult result = installation_.run(input);
    EXPECT_EQ(1, result.status) << input;
    EXPECT_EQ("", result.err);
    EXPECT_EQ(std::string::npos, result.out.find("System\\")) << input;
  }
}

TEST_F(ProgramLogin, NameMissingFromConfigIsRefusedThoughItsFilesExist) {
  installation_.write("data/ghost01.usr", installation_.read("data/root.usr"));
  installation_.write("data/ghost01.usrpas", installation_.read("data/root.usrpas"));
  ProgramResult result = installation_.runAs("ghost01", kRootPassword, {});
  EXPECT_EQ(1, result.status);
  EXPECT_EQ(texts_.refused(1), result.out);
}

// ---------------------------------------------------------------------------------------------
// Real sessions, what they leave on disk, and what the next start reads

using ProgramSession = ProgramTest;

TEST_F(ProgramSession, AddUserWritesItsFilesAndConfigLine) {
  ProgramResult result =
      installation_.runAs("root", kRootPassword,
                          {"adduser alice01 alicepw1 simple", "adduser alice01 otherpw1 simple",
                           "adduser bob0001 bobpw001 unencrypted"});
  EXPECT_EQ(texts_.session("root", {texts_.ok(), "", ""}), result.out);
  EXPECT_EQ(texts_.shellError(msg::kNameTaken) + texts_.shellError(msg::kUnknownAddMode),
            result.err);
  EXPECT_EQ(configText("data/", {"root", "alice01"}), config());
  expectStored("alice01", Simple, "alicepw1", "alice01\nalicepw1\n8\n1\n0\n0\n");
  EXPECT_EQ(Names{}, installation_.leftovers());
  // After a restart root loads alice01 from its files.
  EXPECT_EQ(texts_.session("root", {texts_.userList({"alice01"})}),
            installation_.runAs("root", kRootPassword, {"user"}).out);
}

TEST_F(ProgramSession, CredentialsAreStoredListedAndReloadedAfterRestart) {
  addUser("alice01", "alicepw1");
  const std::string dirAll = "alice01 :\n\tmail\n\n";
  const std::string search = "alice@x.org :\n\tmail\n\n";
  const std::string entry = texts_.gbk(msg::kEntryAccount) + "\talice@x.org\n" +
                            texts_.gbk(msg::kEntryPassword) + "\tsecret9\nurl:\texample.org\n\n";
  ProgramResult result =
      installation_.runAs("alice01", "alicepw1",
                          {"adddir mail", "addpassword mail alice@x.org secret9 url example.org",
                           "dir", "dir mail", "seach alice@x.org", "password mail alice@x.org"});
  EXPECT_EQ("", result.err);
  EXPECT_EQ(texts_.session("alice01", {texts_.ok(), texts_.ok(), dirAll,
                                       "mail :\n\talice@x.org\n\n", search, entry}),
            result.out);
  expectStored(
      "alice01", Simple, "alicepw1",
      "alice01\nalicepw1\n8\n1\n1\n1\nmail\n1\n1\nalice@x.org\nsecret9\nurl example.org\n");

  result = installation_.runAs("alice01", "alicepw1",
                               {"dir", "seach alice@x.org", "password mail alice@x.org"});
  EXPECT_EQ("", result.err);
  EXPECT_EQ(texts_.session("alice01", {dirAll, search, entry}), result.out);
  EXPECT_EQ(Names{}, installation_.leftovers());
}

TEST_F(ProgramSession, SetModeWritesPlainOrCodedDataAndKeepsIt) {
  addUser("alice01", "alicepw1");
  const std::string entry = texts_.gbk(msg::kEntryAccount) + "\tweb01\n" +
                            texts_.gbk(msg::kEntryPassword) + "\tpw-9\nnote:\thi\n\n";
  expectSuccesses("alice01", "alicepw1",
                  {"adddir mail", "addpassword mail web01 pw-9 note hi", "setmode unencrypted"});
  const std::string rest = "\n1\n1\nmail\n1\n1\nweb01\npw-9\nnote hi\n";
  expectStored("alice01", Unencrypted, "alicepw1", "alice01\nalicepw1\n8\n0" + rest);

  // The password file records mode 0, so the plain file loads.
  ProgramResult result =
      installation_.runAs("alice01", "alicepw1", {"password mail web01", "setmode simple"});
  EXPECT_EQ(texts_.session("alice01", {entry, texts_.ok()}), result.out);
  expectStored("alice01", Simple, "alicepw1", "alice01\nalicepw1\n8\n1" + rest);

  result = installation_.runAs("alice01", "alicepw1", {"password mail web01"});
  EXPECT_EQ(texts_.session("alice01", {entry}), result.out);
  EXPECT_EQ("", result.err);
  EXPECT_EQ(Names{}, installation_.leftovers());
}

TEST_F(ProgramSession, DeletionsRemoveFilesAndConfigLines) {
  expectSuccesses("root", kRootPassword,
                  {"adduser alice01 alicepw1 simple", "adduser bob0001 bobpw001 simple",
                   "addadmin admin01 adminpw1"});
  EXPECT_EQ(configText("data/", {"root", "alice01", "bob0001", "admin01"}), config());
  expectStored("admin01", Simple, "adminpw1", "admin01\nadminpw1\n4\n1\n0\n0\n");

  ProgramResult result = installation_.runAs(
      "root", kRootPassword,
      {"deluser alice01", "Y", "deladmin admin01", "y", "deluser bob0001", "N"});
  EXPECT_EQ("", result.err);
  EXPECT_EQ(texts_.session("root", {texts_.deleteUserQuestion() + texts_.ok(),
                                    texts_.line(msg::kConfirmDeleteAdmin) + texts_.ok(),
                                    texts_.deleteUserQuestion()}),
            result.out);
  EXPECT_EQ(configText("data/", {"root", "bob0001"}), config());
  EXPECT_EQ((Names{"bob0001.usr", "bob0001.usrpas", "root.usr", "root.usrpas"}),
            installation_.entries("data"));
}

// Signs and the length characters of 10- to 12-byte passwords are bytes whose values the
// simple coding also uses as codes.
TEST_F(ProgramSession, SignsAndLongPasswordsSurviveTheCoding) {
  expectSuccesses("root", kRootPassword,
                  {"adduser carol01 carolpass~12 simple", "setpassword rootpass~/12"});
  const std::string group = "~@!#$%^&*()";
  expectSuccesses("carol01", "carolpass~12",
                  {"adddir " + group, "addpassword " + group + " z~ ~~~~~~ a~ ~b"});

  const std::string entry = texts_.gbk(msg::kEntryAccount) + "\tz~\n" +
                            texts_.gbk(msg::kEntryPassword) + "\t~~~~~~\na~:\t~b\n\n";
  EXPECT_EQ(
      texts_.session("carol01", {"carol01 :\n\t" + group + "\n\n", entry}),
      installation_.runAs("carol01", "carolpass~12", {"dir", "password " + group + " z~"}).out);
  // root's old password is refused, the new one taken.
  EXPECT_EQ(texts_.loggedIn("root", 1),
            installation_.run(joinLines({"root", kRootPassword, "root", "rootpass~/12"})).out);
}

TEST_F(ProgramSession, AdministratorManagesUsersAndOwnPassword) {
  expectSuccesses("root", kRootPassword,
                  {"addadmin admin01 adminpw1", "adduser alice01 alicepw1 simple"});
  ProgramResult result =
      installation_.runAs("admin01", "adminpw1",
                          {"user", "adduser bob0001 bobpw001 simple", "addadmin admin02 adminpw2",
                           "setpassword adminpw9", "deluser alice01", "Y"});
  EXPECT_EQ(texts_.shellError(msg::kNoPermission), result.err);
  EXPECT_EQ(texts_.session("admin01", {texts_.userList({"alice01"}), texts_.ok(), "", texts_.ok(),
                                       texts_.deleteUserQuestion() + texts_.ok()}),
            result.out);
  EXPECT_EQ(configText("data/", {"root", "admin01", "bob0001"}), config());
  EXPECT_FALSE(installation_.exists("data/alice01.usr"));
  EXPECT_FALSE(installation_.exists("data/alice01.usrpas"));
  EXPECT_EQ(Names{}, installation_.leftovers());

  result = installation_.run(joinLines({"admin01", "adminpw1", "admin01", "adminpw9", "user"}));
  EXPECT_EQ(texts_.loggedIn("admin01", 1) + texts_.userList({"bob0001"}) +
                ConsoleTexts::prompt("admin01"),
            result.out);
}

TEST_F(ProgramSession, ExitAndQuitEndTheProgramWithZero) {
  for (const char* word : {"exit", "quit"}) {
    ProgramResult result =
        installation_.runAs("root", kRootPassword, {word, "adduser alice01 alicepw1 simple"});
    EXPECT_EQ(0, result.status) << word;
    EXPECT_EQ("", result.err) << word;
    EXPECT_EQ(texts_.loggedIn("root") + "\n", result.out) << word;
    EXPECT_EQ(configText("data/", {"root"}), config()) << word;
    EXPECT_EQ(Names{}, installation_.leftovers()) << word;
  }
}

// ---------------------------------------------------------------------------------------------
// Damaged user files

class ProgramDamagedFiles : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    addUser("alice01", "alicepw1");
  }
};

TEST_F(ProgramDamagedFiles, LoginAsDamagedUserAsksAgainAndLeavesNoWorkingFile) {
  const std::string usr = installation_.read("data/alice01.usr");
  const std::string usrpas = installation_.read("data/alice01.usrpas");
  const std::pair<const char*, std::string> damages[] = {
      {"data/alice01.usrpas", ""},  // missing
      {"data/alice01.usr", ""},
      {"data/alice01.usr", usr.substr(0, 40)},  // cut short
  };
  for (const auto& [file, contents] : damages) {
    SCOPED_TRACE(std::string(file) + " " + contents);
    if (contents.empty()) {
      std::filesystem::remove(installation_.path(file));
    } else {
      installation_.write(file, contents);
    }
    ProgramResult result = installation_.runAs("alice01", "alicepw1", {});
    EXPECT_EQ(1, result.status);
    EXPECT_EQ(texts_.line(msg::kCorruptUserData), result.err);
    EXPECT_EQ(texts_.banner() + texts_.attempt() + texts_.askedAgain(), result.out);
    EXPECT_EQ(Names{}, installation_.leftovers());
    installation_.write("data/alice01.usr", usr);
    installation_.write("data/alice01.usrpas", usrpas);
  }
}

// Root's login names the damaged user and loads the users listed after it; neither name can
// be taken again, and the damaged user's files stay as they are.
TEST_F(ProgramDamagedFiles, RootSeesTheOthersAndCannotReplaceTheDamagedUser) {
  addUser("bob0001", "bobpw001");
  std::filesystem::remove(installation_.path("data/alice01.usrpas"));
  const std::string alice = installation_.read("data/alice01.usr");
  ProgramResult result = installation_.runAs(
      "root", kRootPassword,
      {"user", "adduser alice01 newpass1 simple", "adduser bob0001 newpass1 simple", "mode"});
  EXPECT_EQ(texts_.line(msg::kCorruptUserData) + "  alice01\n" +
                texts_.shellError(msg::kNameTaken) + texts_.shellError(msg::kNameTaken),
            result.err);
  EXPECT_EQ(texts_.session("root", {texts_.userList({"bob0001"}), "", "",
                                    "\tunencrypted\n\tsimple\n\tstrong\n\n"}),
            result.out);
  EXPECT_EQ(alice, installation_.read("data/alice01.usr"));
  EXPECT_FALSE(std::filesystem::exists(installation_.path("data/alice01.usrpas")));
}

TEST_F(ProgramDamagedFiles, DataFileWithAnotherPasswordIsRefusedAndLeavesNoWorkingFile) {
  expectSuccesses("alice01", "alicepw1", {"setmode unencrypted"});
  installation_.write("data/alice01.usr", "alice01\nchanged1\n8\n0\n0\n0\n");
  ProgramResult result = installation_.runAs("alice01", "alicepw1", {});
  EXPECT_EQ(1, result.status);
  EXPECT_EQ(texts_.refused(1), result.out);
  EXPECT_EQ(Names{}, installation_.leftovers());
}

// A strong user's password file may ask, within the bounds, more memory than the system gives
// the derivation: that user's login reports damage, and the next attempt goes on.
TEST_F(ProgramDamagedFiles, DerivationWithoutItsMemoryIsDamageAtThatLogin) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer needs more address space than the limit leaves";
#endif
  expectSuccesses("root", kRootPassword, {"adduser erin001 erinpw01 strong"});
  StrongPasswordFile file = readStrongPasswordFile(installation_.read("data/erin001.usrpas"));
  file.params = {kArgon2id13, 1, kMaxMemlimit};
  installation_.write("data/erin001.usrpas", writeStrongPasswordFile(file));
  ProgramOptions options;
  options.memoryLimit = kMaxMemlimit / 2;
  ProgramResult result =
      installation_.run(joinLines({"erin001", "erinpw01", "root", kRootPassword}), options);
  EXPECT_EQ(0, result.status);
  EXPECT_EQ(texts_.line(msg::kCorruptUserData), result.err);
  EXPECT_EQ(texts_.banner() + texts_.attempt() + texts_.attempt() + texts_.aboutBlock() +
                ConsoleTexts::prompt("root"),
            result.out);
}

// ---------------------------------------------------------------------------------------------
// Names that would lead out of the data folder or into a shell

class ProgramUserNames : public ProgramTest {
 protected:
  // Files named like user files beside Config.ini rather than in the data folder.
  Names strays() {
    Names names;
    for (const std::string& name : installation_.entries("")) {
      if (endsWith(name, ".usr") || endsWith(name, ".usrpas") || endsWith(name, ".tmp")) {
        names.push_back(name);
      }
    }
    return names;
  }
};

TEST_F(ProgramUserNames, SlashInANameIsRefused) {
  const std::string before = config();
  ProgramResult result = installation_.runAs(
      "root", kRootPassword,
      {"adduser ../x12345 pass1234 simple", "addadmin ../x12345 pass1234", "adduser", "../x12345"});
  const std::string refused = texts_.shellError(msg::kIllegalCharacter);
  EXPECT_EQ(refused + refused + refused, result.err);
  EXPECT_EQ(texts_.session("root", {"", "", texts_.gbk(msg::kAskUserName)}), result.out);
  EXPECT_EQ(Names{}, strays());
  EXPECT_EQ((Names{"root.usr", "root.usrpas"}), installation_.entries("data"));
  EXPECT_EQ(before, config());
}

// "x&touch$IFS" would make a shell create the file ".usr" in the current folder.
TEST_F(ProgramUserNames, NamesWithShellCharactersSurviveRestartAndDeleteExactly) {
  addUser("ab&c(d)", "abpw1234");
  addUser("x&touch$IFS", "xpw12345");
  addUser("bob0001", "bobpw001");
  EXPECT_EQ(configText("data/", {"root", "\"ab&c(d)\"", "\"x&touch$IFS\"", "bob0001"}), config());

  ProgramResult result = installation_.runAs(
      "root", kRootPassword, {"user", "deluser ab&c(d)", "Y", "deluser x&touch$IFS", "Y"});
  EXPECT_EQ("", result.err);
  const std::string deleted = texts_.deleteUserQuestion() + texts_.ok();
  EXPECT_EQ(texts_.session(
                "root", {texts_.userList({"ab&c(d)", "x&touch$IFS", "bob0001"}), deleted, deleted}),
            result.out);
  EXPECT_EQ(configText("data/", {"root", "bob0001"}), config());
  EXPECT_EQ((Names{"bob0001.usr", "bob0001.usrpas", "root.usr", "root.usrpas"}),
            installation_.entries("data"));
  EXPECT_EQ(Names{}, strays());
}

}  // namespace
}  // namespace vellumkeep
