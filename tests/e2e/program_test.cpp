// The built programs, run through pipes in a temporary installation. Output is compared as the
// bytes a pipe receives: system texts in GBK.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "e2e/run_program.h"
#include "model/messages.h"
#include "platform/console.h"
#include "temp_folder.h"

namespace vellumkeep {
namespace {

namespace fs = std::filesystem;

constexpr char kRootPassword[] = "rootpw1";
constexpr size_t kBannerWidth = 79;

std::string joinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool allDigits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(),
                                      [](unsigned char c) { return std::isdigit(c) != 0; });
}

// Config.ini as the programs write it; names that need quotes are passed quoted.
std::string configText(const std::string& dataFolder, const std::vector<std::string>& names) {
  return "[PATH]\ndata_path = \"" + dataFolder + "\"\n\n[USERMAP]\n" + joinLines(names);
}

// A temporary folder in which the programs run, with helpers for its files and for the
// expected console texts.
class ProgramTest : public ::testing::Test {
 protected:
  // --- files, relative to the folder ---
  std::string path(const std::string& relative) const { return folder_.path() + relative; }
  static std::string dataFile(const std::string& name) { return "data/" + name + ".usr"; }
  static std::string passwordFile(const std::string& name) { return "data/" + name + ".usrpas"; }

  std::string readFile(const std::string& relative) const {
    std::ifstream in(path(relative), std::ios::binary);
    EXPECT_TRUE(in.is_open()) << relative;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void writeFile(const std::string& relative, const std::string& contents) const {
    std::ofstream(path(relative), std::ios::binary | std::ios::trunc) << contents;
  }
  bool exists(const std::string& relative) const { return fs::exists(path(relative)); }
  unsigned permissions(const std::string& relative) const {
    struct stat status {};
    EXPECT_EQ(0, ::stat(path(relative).c_str(), &status)) << relative;
    return status.st_mode & 07777;
  }
  // The names in a folder, sorted.
  std::vector<std::string> entries(const std::string& relative = "") const {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(path(relative))) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  // After a completed run only data files and password files lie in the data folder.
  void expectOnlyUserFiles() const {
    for (const std::string& name : entries("data")) {
      EXPECT_TRUE(endsWith(name, ".usr") || endsWith(name, ".usrpas"))
          << "left in the data folder: " << name;
    }
  }
  // Files named like user files beside Config.ini rather than in the data folder.
  std::vector<std::string> userFilesOutsideDataFolder() const {
    std::vector<std::string> strays;
    for (const std::string& name : entries()) {
      if (endsWith(name, ".usr") || endsWith(name, ".usrpas") || endsWith(name, ".tmp")) {
        strays.push_back(name);
      }
    }
    return strays;
  }

  // --- the programs ---
  ProgramResult runInit(const std::string& input) {
    return runProgram(VELLUMKEEP_INIT_PROGRAM, {}, path(""), input);
  }
  ProgramResult runVellumkeep(const std::vector<std::string>& lines,
                              const ProgramOptions& options = {}) {
    return runProgram(VELLUMKEEP_PROGRAM, {}, path(""), joinLines(lines), options);
  }
  // Logs in at the first attempt and runs `commands` (with their answers); `out` keeps only
  // what follows the about block.
  ProgramResult runAs(const std::string& name, const std::string& password,
                      std::vector<std::string> commands, const ProgramOptions& options = {}) {
    commands.insert(commands.begin(), {name, password});
    ProgramResult result = runVellumkeep(commands, options);
    EXPECT_EQ(0, result.status);
    const std::string login = banner() + attempt() + aboutBlock();
    EXPECT_EQ(login, result.out.substr(0, login.size())) << "login as " << name << " failed";
    if (result.out.compare(0, login.size(), login) == 0) result.out.erase(0, login.size());
    return result;
  }

  // --- expected console texts ---
  std::string gbk(std::string_view utf8) { return gbk_.convert(utf8); }
  std::string banner() {
    const std::string rule(kBannerWidth, '-');
    const size_t webPadding = kBannerWidth - 1 - 29 - std::string(msg::kWebAddress).size() - 1;
    return rule + "\n" + "|" + std::string(27, ' ') + gbk(msg::kWelcome) + std::string(32, ' ') +
           "|\n" + "|" + std::string(29, ' ') + msg::kWebAddress + std::string(webPadding, ' ') +
           "|\n" + rule + "\n";
  }
  // One login attempt's questions, before its answers are judged.
  std::string attempt() { return "\n" + gbk(msg::kLoginName) + gbk(msg::kLoginPassword); }
  // The next attempt's first question, where the input of a refused login ends.
  std::string askedAgain() { return "\n" + gbk(msg::kLoginName); }
  std::string loginFailed() { return gbk(msg::kLoginFailed) + "\n"; }
  std::string aboutBlock() {
    return gbk(msg::kAboutTitle) + "\n" + gbk(msg::kAboutWebLabel) + msg::kWebAddress + "\n" +
           msg::kAboutMailLabel + msg::kMailAddress + " " + gbk(msg::kAboutContact) + "\n\n";
  }
  std::string ok() { return gbk(msg::kSuccess) + "\n\n"; }
  std::string shellError(const char* message) { return gbk(message) + "\n\n"; }
  std::string loginError(const char* message) { return gbk(message) + "\n"; }
  // The shell's standard output for commands whose outputs are given: a prompt before each
  // and one after the last.
  static std::string transcript(const std::string& name, const std::vector<std::string>& outputs) {
    const std::string prompt = "System\\" + name + ">";
    std::string text;
    for (const std::string& output : outputs) text += prompt + output;
    return text + prompt;
  }
  std::string userList(const std::vector<std::string>& names) {
    std::string text = "\n" + gbk(msg::kUserListHeading) + "\n\n" + std::string(79, '-');
    for (size_t i = 0; i < names.size(); ++i) {
      if (i % 3 == 0) text += "\n";
      text += names[i] + std::string(25 - names[i].size(), ' ');
    }
    return text + "\n" + gbk(msg::kSuccess) + "\n\n";
  }

  TempFolder folder_;
  GbkConverter gbk_;
};

// An installation made by vellumkeep-init, root's password being kRootPassword.
class InstalledProgramTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramResult init = runInit(joinLines({kRootPassword, kRootPassword}));
    ASSERT_EQ(0, init.status) << init.err;
  }

  // root adds a user in mode simple.
  void addUser(const std::string& name, const std::string& password) {
    ProgramResult result =
        runAs("root", kRootPassword, {"adduser " + name + " " + password + " simple"});
    ASSERT_EQ(transcript("root", {ok()}), result.out) << result.err;
  }
};

// ---------------------------------------------------------------------------------------------
// vellumkeep-init

class ProgramInit : public ProgramTest {};

TEST_F(ProgramInit, CreatesConfigDataFolderAndRootFiles) {
  ProgramResult result = runInit("rootpw1\nrootpw1\n");
  EXPECT_EQ(0, result.status);
  EXPECT_EQ("", result.err);
  EXPECT_EQ(gbk(msg::kInitAskPassword) + gbk(msg::kInitAskAgain) + gbk(msg::kInitDone) + "\n",
            result.out);
  EXPECT_EQ(configText("data/", {"root"}), readFile("Config.ini"));
  EXPECT_EQ(0700u, permissions("data"));
  EXPECT_EQ((std::vector<std::string>{"root.usr", "root.usrpas"}), entries("data"));
  EXPECT_EQ(0600u, permissions(dataFile("root")));
  EXPECT_EQ(0600u, permissions(passwordFile("root")));
  // Role 2, mode 1, no groups: the account text coded as four digits a byte.
  const std::string usr = readFile(dataFile("root"));
  EXPECT_TRUE(allDigits(usr));
  EXPECT_EQ(4 * std::string("root\nrootpw1\n2\n1\n0\n0\n").size(), usr.size());
  EXPECT_TRUE(allDigits(readFile(passwordFile("root"))));
}

TEST_F(ProgramInit, DataFolderArgumentGetsATrailingSlash) {
  for (std::string folder : {"vault", "vault/"}) {
    TempFolder install;
    ProgramResult result =
        runProgram(VELLUMKEEP_INIT_PROGRAM, {folder}, install.path(), "rootpw1\nrootpw1\n");
    ASSERT_EQ(0, result.status) << folder << result.err;
    std::ifstream config(install.path() + "Config.ini");
    EXPECT_EQ(configText("vault/", {"root"}),
              std::string(std::istreambuf_iterator<char>(config), {}))
        << folder;
    EXPECT_TRUE(fs::exists(install.path() + "vault/root.usr")) << folder;
    // The program finds root's files there.
    ProgramResult login = runProgram(VELLUMKEEP_PROGRAM, {}, install.path(), "root\nrootpw1\n");
    EXPECT_EQ(banner() + attempt() + aboutBlock() + "System\\root>", login.out) << folder;
  }
}

TEST_F(ProgramInit, RefusalsWriteNothing) {
  struct Case {
    const char* what;
    std::string input;
    const char* message;
  };
  const Case cases[] = {
      {"passwords differ", "rootpw1\nrootpw2\n", msg::kInitPasswordsDiffer},
      {"too short", "abc12\nabc12\n", msg::kPasswordTooShort},
      {"too long", "abcdefghijklm\nabcdefghijklm\n", msg::kPasswordTooLong},
      {"illegal byte", "root:pw1\nroot:pw1\n", msg::kIllegalCharacter},
      {"input ends after one line", "rootpw1\n", msg::kInitInputEnded},
      {"no input", "", msg::kInitInputEnded},
  };
  for (const Case& c : cases) {
    TempFolder install;
    ProgramResult result = runProgram(VELLUMKEEP_INIT_PROGRAM, {}, install.path(), c.input);
    EXPECT_EQ(1, result.status) << c.what;
    EXPECT_EQ(loginError(c.message), result.err) << c.what;
    EXPECT_TRUE(fs::is_empty(install.path())) << c.what;
  }
}

TEST_F(ProgramInit, ExistingConfigIsLeftAlone) {
  writeFile("Config.ini", "[USERMAP]\nsomeone\n");
  ProgramResult result = runInit("rootpw1\nrootpw1\n");
  EXPECT_EQ(1, result.status);
  EXPECT_EQ(loginError(msg::kInitConfigExists), result.err);
  EXPECT_EQ("[USERMAP]\nsomeone\n", readFile("Config.ini"));
  EXPECT_FALSE(exists("data"));
}

// ---------------------------------------------------------------------------------------------
// Login

class ProgramLogin : public InstalledProgramTest {};

TEST_F(ProgramLogin, RightPasswordShowsBannerAboutBlockAndPrompt) {
  ProgramResult result = runVellumkeep({"root", kRootPassword});
  EXPECT_EQ(0, result.status);  // the input ended at the prompt
  EXPECT_EQ("", result.err);
  EXPECT_EQ(banner() + attempt() + aboutBlock() + "System\\root>", result.out);
  // The welcome line as a pipe receives it: 79 bytes, the four characters two bytes each.
  const size_t lineStart = kBannerWidth + 1;
  EXPECT_EQ("|" + std::string(27, ' ') + "\xBB\xB6\xD3\xAD\xCA\xB9\xD3\xC3Vellumkeep" +
                std::string(32, ' ') + "|\n",
            result.out.substr(lineStart, kBannerWidth + 1));
  for (size_t line = 0; line < 4; ++line) {
    EXPECT_EQ('\n', result.out[line * (kBannerWidth + 1) + kBannerWidth]) << "line " << line + 1;
  }
}

TEST_F(ProgramLogin, FailedAttemptsAskAgainWithoutTheBanner) {
  const std::pair<std::string, std::string> refused[] = {
      {"root", "wrongpw1"},        // wrong password
      {"nobody1", kRootPassword},  // unknown name
      {"root ", kRootPassword},    // trailing blank in the name
      {"Root", kRootPassword},     // other letter case
      {"root", "rootpw1 "},        // trailing blank in the password
  };
  std::vector<std::string> input;
  std::string failed;
  for (const auto& [name, password] : refused) {
    input.insert(input.end(), {name, password});
    failed += attempt() + loginFailed();
  }
  input.insert(input.end(), {"root", kRootPassword});
  ProgramResult result = runVellumkeep(input);
  EXPECT_EQ(0, result.status);
  EXPECT_EQ("", result.err);
  EXPECT_EQ(banner() + failed + attempt() + aboutBlock() + "System\\root>", result.out);
}

TEST_F(ProgramLogin, InputEndingBeforeLoginExitsWithOne) {
  const std::vector<std::string> inputs[] = {{}, {"root"}, {"root", "wrongpw1"}};
  for (const std::vector<std::string>& input : inputs) {
    ProgramResult result = runVellumkeep(input);
    EXPECT_EQ(1, result.status) << input.size() << " lines";
    EXPECT_EQ("", result.err);
    EXPECT_EQ(std::string::npos, result.out.find("System\\")) << input.size() << " lines";
  }
}

TEST_F(ProgramLogin, LoginRewritesThePasswordFileWithNewFiller) {
  const std::string before = readFile(passwordFile("root"));
  runAs("root", kRootPassword, {});
  const std::string after = readFile(passwordFile("root"));
  EXPECT_NE(before, after);
  EXPECT_TRUE(allDigits(after));
  EXPECT_EQ(0600u, permissions(passwordFile("root")));
  runAs("root", kRootPassword, {});  // same password still accepted
  expectOnlyUserFiles();
}

TEST_F(ProgramLogin, NameMissingFromConfigIsRefusedThoughItsFilesExist) {
  fs::copy_file(path(dataFile("root")), path(dataFile("ghost01")));
  fs::copy_file(path(passwordFile("root")), path(passwordFile("ghost01")));
  ProgramResult result = runVellumkeep({"ghost01", kRootPassword});
  EXPECT_EQ(1, result.status);
  EXPECT_EQ(banner() + attempt() + loginFailed() + askedAgain(), result.out);
}

// ---------------------------------------------------------------------------------------------
// Real sessions, and what they leave on disk

class ProgramSession : public InstalledProgramTest {};

TEST_F(ProgramSession, AddUserWritesItsFilesAndConfigLine) {
  ProgramResult result =
      runAs("root", kRootPassword,
            {"adduser alice01 alicepw1 simple", "adduser alice01 otherpw1 simple",
             "adduser bob0001 bobpw001 unencrypted"});
  EXPECT_EQ(transcript("root", {ok(), "", ""}), result.out);
  EXPECT_EQ(shellError(msg::kNameTaken) + shellError(msg::kUnknownAddMode), result.err);
  EXPECT_EQ(configText("data/", {"root", "alice01"}), readFile("Config.ini"));
  const std::string usr = readFile(dataFile("alice01"));
  EXPECT_TRUE(allDigits(usr));
  EXPECT_EQ(4 * std::string("alice01\nalicepw1\n8\n1\n0\n0\n").size(), usr.size());
  EXPECT_TRUE(allDigits(readFile(passwordFile("alice01"))));
  EXPECT_EQ(0600u, permissions(dataFile("alice01")));
  EXPECT_EQ(0600u, permissions(passwordFile("alice01")));
  expectOnlyUserFiles();

  // After a restart root loads alice01 from its files.
  EXPECT_EQ(transcript("root", {userList({"alice01"})}),
            runAs("root", kRootPassword, {"user"}).out);
}

TEST_F(ProgramSession, CredentialsAreStoredListedAndReloadedAfterRestart) {
  addUser("alice01", "alicepw1");
  const std::string dirAll = "alice01 :\n\tmail\n\n";
  const std::string dirMail = "mail :\n\talice@x.org\n\n";
  const std::string search = "alice@x.org :\n\tmail\n\n";
  const std::string entry = gbk(msg::kEntryAccount) + "\talice@x.org\n" + gbk(msg::kEntryPassword) +
                            "\tsecret9\nurl:\texample.org\n\n";
  ProgramResult result =
      runAs("alice01", "alicepw1",
            {"adddir mail", "addpassword mail alice@x.org secret9 url example.org", "dir",
             "dir mail", "seach alice@x.org", "password mail alice@x.org"});
  EXPECT_EQ("", result.err);
  EXPECT_EQ(transcript("alice01", {ok(), ok(), dirAll, dirMail, search, entry}), result.out);
  const std::string text =
      "alice01\nalicepw1\n8\n1\n1\n1\nmail\n1\n1\nalice@x.org\nsecret9\nurl example.org\n";
  const std::string usr = readFile(dataFile("alice01"));
  EXPECT_TRUE(allDigits(usr));
  EXPECT_EQ(4 * text.size(), usr.size());
  expectOnlyUserFiles();

  result = runAs("alice01", "alicepw1", {"dir", "seach alice@x.org", "password mail alice@x.org"});
  EXPECT_EQ("", result.err);
  EXPECT_EQ(transcript("alice01", {dirAll, search, entry}), result.out);
  expectOnlyUserFiles();
}

TEST_F(ProgramSession, SetModeWritesPlainOrCodedDataAndKeepsIt) {
  addUser("alice01", "alicepw1");
  const std::string entry =
      gbk(msg::kEntryAccount) + "\tweb01\n" + gbk(msg::kEntryPassword) + "\tpw-9\nnote:\thi\n\n";
  ProgramResult result =
      runAs("alice01", "alicepw1",
            {"adddir mail", "addpassword mail web01 pw-9 note hi", "setmode unencrypted"});
  EXPECT_EQ(transcript("alice01", {ok(), ok(), ok()}), result.out);
  const std::string plain = "alice01\nalicepw1\n8\n0\n1\n1\nmail\n1\n1\nweb01\npw-9\nnote hi\n";
  EXPECT_EQ(plain, readFile(dataFile("alice01")));
  expectOnlyUserFiles();

  // The password file now records mode 0, so the plain file loads.
  result = runAs("alice01", "alicepw1", {"password mail web01", "setmode simple"});
  EXPECT_EQ(transcript("alice01", {entry, ok()}), result.out);
  const std::string usr = readFile(dataFile("alice01"));
  EXPECT_TRUE(allDigits(usr));
  EXPECT_EQ(4 * plain.size(), usr.size());
  expectOnlyUserFiles();

  result = runAs("alice01", "alicepw1", {"password mail web01"});
  EXPECT_EQ(transcript("alice01", {entry}), result.out);
  EXPECT_EQ("", result.err);
}

TEST_F(ProgramSession, SetPasswordChangesRootsLogin) {
  EXPECT_EQ(transcript("root", {ok()}), runAs("root", kRootPassword, {"setpassword newroot9"}).out);
  expectOnlyUserFiles();
  ProgramResult result = runVellumkeep({"root", kRootPassword, "root", "newroot9"});
  EXPECT_EQ(0, result.status);
  EXPECT_EQ(banner() + attempt() + loginFailed() + attempt() + aboutBlock() + "System\\root>",
            result.out);
}

TEST_F(ProgramSession, DeletionsRemoveFilesAndConfigLines) {
  ProgramResult result = runAs("root", kRootPassword,
                               {"adduser alice01 alicepw1 simple",
                                "adduser bob0001 bobpw001 simple", "addadmin admin01 adminpw1"});
  EXPECT_EQ(transcript("root", {ok(), ok(), ok()}), result.out);
  EXPECT_EQ(configText("data/", {"root", "alice01", "bob0001", "admin01"}), readFile("Config.ini"));

  const std::string deleteUserQuestion =
      gbk(msg::kWarnDeleteUser) + "\n" + gbk(msg::kConfirmDeleteUser) + "\n";
  const std::string deleteAdminQuestion = gbk(msg::kConfirmDeleteAdmin) + "\n";
  result = runAs("root", kRootPassword,
                 {"deluser alice01", "Y", "deladmin admin01", "y", "deluser bob0001", "N"});
  EXPECT_EQ("", result.err);
  EXPECT_EQ(transcript("root",
                       {deleteUserQuestion + ok(), deleteAdminQuestion + ok(), deleteUserQuestion}),
            result.out);
  EXPECT_EQ(configText("data/", {"root", "bob0001"}), readFile("Config.ini"));
  EXPECT_EQ((std::vector<std::string>{"bob0001.usr", "bob0001.usrpas", "root.usr", "root.usrpas"}),
            entries("data"));
}

// Signs and the length characters of 10- to 12-byte passwords are bytes whose values the
// simple coding also uses as codes.
TEST_F(ProgramSession, SignsAndLongPasswordsSurviveTheCoding) {
  EXPECT_EQ(transcript("root", {ok(), ok()}),
            runAs("root", kRootPassword,
                  {"adduser carol01 carolpass~12 simple", "setpassword rootpass~/12"})
                .out);
  const std::string group = "~@!#$%^&*()";
  EXPECT_EQ(transcript("carol01", {ok(), ok()}),
            runAs("carol01", "carolpass~12",
                  {"adddir " + group, "addpassword " + group + " z~ ~~~~~~ a~ ~b"})
                .out);

  const std::string entry =
      gbk(msg::kEntryAccount) + "\tz~\n" + gbk(msg::kEntryPassword) + "\t~~~~~~\na~:\t~b\n\n";
  EXPECT_EQ(transcript("carol01", {"carol01 :\n\t" + group + "\n\n", entry}),
            runAs("carol01", "carolpass~12", {"dir", "password " + group + " z~"}).out);
  EXPECT_EQ(transcript("root", {}), runAs("root", "rootpass~/12", {}).out);
}

TEST_F(ProgramSession, AdministratorManagesUsersAndOwnPassword) {
  ProgramResult result = runAs("root", kRootPassword,
                               {"addadmin admin01 adminpw1", "adduser alice01 alicepw1 simple"});
  EXPECT_EQ(transcript("root", {ok(), ok()}), result.out);

  const std::string question =
      gbk(msg::kWarnDeleteUser) + "\n" + gbk(msg::kConfirmDeleteUser) + "\n";
  result = runAs("admin01", "adminpw1",
                 {"user", "adduser bob0001 bobpw001 simple", "addadmin admin02 adminpw2",
                  "setpassword adminpw9", "deluser alice01", "Y"});
  EXPECT_EQ(shellError(msg::kNoPermission), result.err);
  EXPECT_EQ(transcript("admin01", {userList({"alice01"}), ok(), "", ok(), question + ok()}),
            result.out);
  EXPECT_EQ(configText("data/", {"root", "admin01", "bob0001"}), readFile("Config.ini"));
  EXPECT_FALSE(exists(dataFile("alice01")));
  EXPECT_FALSE(exists(passwordFile("alice01")));
  expectOnlyUserFiles();

  result = runVellumkeep({"admin01", "adminpw1", "admin01", "adminpw9", "user"});
  EXPECT_EQ(banner() + attempt() + loginFailed() + attempt() + aboutBlock() +
                transcript("admin01", {userList({"bob0001"})}),
            result.out);
}

// ---------------------------------------------------------------------------------------------
// Damaged user files

class ProgramDamagedFiles : public InstalledProgramTest {
 protected:
  void SetUp() override {
    InstalledProgramTest::SetUp();
    addUser("alice01", "alicepw1");
  }
};

TEST_F(ProgramDamagedFiles, LoginAsDamagedUserAsksAgainAndLeavesNoWorkingFile) {
  const std::string usr = readFile(dataFile("alice01"));
  const std::string usrpas = readFile(passwordFile("alice01"));
  struct Damage {
    const char* what;
    std::string file;
    bool remove;
    std::string contents;
  };
  const Damage damages[] = {
      {"password file missing", passwordFile("alice01"), true, ""},
      {"data file missing", dataFile("alice01"), true, ""},
      {"data file cut short", dataFile("alice01"), false, usr.substr(0, 40)},
  };
  for (const Damage& damage : damages) {
    if (damage.remove) {
      fs::remove(path(damage.file));
    } else {
      writeFile(damage.file, damage.contents);
    }
    ProgramResult result = runVellumkeep({"alice01", "alicepw1"});
    EXPECT_EQ(1, result.status) << damage.what;
    EXPECT_EQ(loginError(msg::kCorruptUserData), result.err) << damage.what;
    EXPECT_EQ(banner() + attempt() + askedAgain(), result.out) << damage.what;
    EXPECT_FALSE(exists("data/alice01.tmp")) << damage.what;
    expectOnlyUserFiles();
    writeFile(dataFile("alice01"), usr);
    writeFile(passwordFile("alice01"), usrpas);
  }
}

TEST_F(ProgramDamagedFiles, RootReachesTheShellAndCannotReplaceTheDamagedUser) {
  fs::remove(path(passwordFile("alice01")));
  const std::string usr = readFile(dataFile("alice01"));
  const std::string config = readFile("Config.ini");
  const std::string rootPasswordFile = readFile(passwordFile("root"));
  ProgramResult result =
      runAs("root", kRootPassword, {"user", "adduser alice01 newpass1 simple", "mode"});
  EXPECT_EQ(loginError(msg::kCorruptUserData) + shellError(msg::kNameTaken), result.err);
  EXPECT_EQ(transcript("root", {userList({}), "", "\tunencrypted\n\tsimple\n\n"}), result.out);
  EXPECT_EQ(usr, readFile(dataFile("alice01")));
  EXPECT_FALSE(exists(passwordFile("alice01")));
  EXPECT_EQ(config, readFile("Config.ini"));
  // The set-up stopped at the damaged user: root's password file was not rewritten.
  EXPECT_EQ(rootPasswordFile, readFile(passwordFile("root")));
  expectOnlyUserFiles();
}

TEST_F(ProgramDamagedFiles, DataFileWithAnotherPasswordIsRefusedAndLeavesNoWorkingFile) {
  EXPECT_EQ(transcript("alice01", {ok()}),
            runAs("alice01", "alicepw1", {"setmode unencrypted"}).out);
  writeFile(dataFile("alice01"), "alice01\nchanged1\n8\n0\n0\n0\n");
  ProgramResult result = runVellumkeep({"alice01", "alicepw1"});
  EXPECT_EQ(1, result.status);
  EXPECT_EQ(banner() + attempt() + loginFailed() + askedAgain(), result.out);
  expectOnlyUserFiles();
}

// ---------------------------------------------------------------------------------------------
// Writes that fail, and names that would lead out of the data folder

class ProgramWriteFailure : public InstalledProgramTest {
 protected:
  // The largest password file of an 8-byte password: 8 + 4 * 8 header digits, each behind at
  // most 2 + 91 filler characters.
  static constexpr rlim_t kLargestPasswordFile = (8 + 4 * 8) * (1 + 2 + 91);
  // Lets login write alice01's working file and password file, but not her data file.
  static constexpr rlim_t kFileSizeLimit = 6000;

  void SetUp() override {
    InstalledProgramTest::SetUp();
    addUser("alice01", "alicepw1");
    std::string entry = "addpassword mail big01 secret9";
    for (int i = 0; i < 80; ++i) {
      entry += " type" + std::to_string(i) + " content-" + std::to_string(i) + "-abcdefghijkl";
    }
    ProgramResult result = runAs("alice01", "alicepw1", {"adddir mail", entry});
    ASSERT_EQ(transcript("alice01", {ok(), ok()}), result.out) << result.err;
    static_assert(kLargestPasswordFile < kFileSizeLimit);
    ASSERT_GT(readFile(dataFile("alice01")).size(), kFileSizeLimit + 100);
    ASSERT_LT(readFile(dataFile("alice01")).size() / 4, kFileSizeLimit);  // the working file
  }

  ProgramOptions limited() const {
    ProgramOptions options;
    options.fileSizeLimit = kFileSizeLimit;
    return options;
  }
};

TEST_F(ProgramWriteFailure, FailedSaveReportsAndKeepsTheOldDataFile) {
  const std::string usr = readFile(dataFile("alice01"));
  ProgramResult result = runAs("alice01", "alicepw1", {"adddir more"}, limited());
  EXPECT_EQ(shellError(msg::kWriteFailed), result.err);
  EXPECT_EQ(transcript("alice01", {""}), result.out);  // no success line
  EXPECT_EQ(usr, readFile(dataFile("alice01")));
  expectOnlyUserFiles();

  result = runAs("alice01", "alicepw1", {"dir"});
  EXPECT_EQ(transcript("alice01", {"alice01 :\n\tmail\n\n"}), result.out);
}

// The coded data file does not fit: the password file must keep recording mode 0, which the
// old plain data file needs.
TEST_F(ProgramWriteFailure, FailedSetModeKeepsAMatchingPairOfFiles) {
  EXPECT_EQ(transcript("alice01", {ok()}),
            runAs("alice01", "alicepw1", {"setmode unencrypted"}).out);
  const std::string plain = readFile(dataFile("alice01"));
  ProgramResult result = runAs("alice01", "alicepw1", {"setmode simple"}, limited());
  EXPECT_EQ(shellError(msg::kWriteFailed), result.err);
  EXPECT_EQ(transcript("alice01", {""}), result.out);
  EXPECT_EQ(plain, readFile(dataFile("alice01")));
  expectOnlyUserFiles();

  result = runAs("alice01", "alicepw1", {"dir mail"});
  EXPECT_EQ(transcript("alice01", {"mail :\n\tbig01\n\n"}), result.out);
  EXPECT_EQ("", result.err);
}

// A folder in the way of the new Config.ini (written beside it, then renamed over it) makes
// every rewrite of the user list fail.
class ProgramConfigWriteFailure : public InstalledProgramTest {
 protected:
  void SetUp() override {
    InstalledProgramTest::SetUp();
    addUser("alice01", "alicepw1");
    config_ = readFile("Config.ini");
    fs::create_directory(path("Config.ini.new"));
  }
  void unblock() { fs::remove(path("Config.ini.new")); }

  std::string config_;
};

// The user list is rewritten before the files go: a user whose deletion failed keeps them.
TEST_F(ProgramConfigWriteFailure, FailedDeletionKeepsTheUsersFiles) {
  ProgramResult result = runAs("root", kRootPassword, {"deluser alice01", "Y"});
  EXPECT_EQ(shellError(msg::kWriteFailed), result.err);
  EXPECT_EQ(
      transcript("root", {gbk(msg::kWarnDeleteUser) + "\n" + gbk(msg::kConfirmDeleteUser) + "\n"}),
      result.out);
  EXPECT_EQ(config_, readFile("Config.ini"));
  EXPECT_TRUE(exists(dataFile("alice01")));
  EXPECT_TRUE(exists(passwordFile("alice01")));
  expectOnlyUserFiles();

  unblock();
  EXPECT_EQ(transcript("alice01", {"alice01 :\n\n"}), runAs("alice01", "alicepw1", {"dir"}).out);
}

// A failed addition leaves no file of the unlisted user; adding the name again works.
TEST_F(ProgramConfigWriteFailure, FailedAddLeavesNoFilesAndCanBeRepeated) {
  ProgramResult result = runAs("root", kRootPassword, {"adduser bob0001 bobpw001 simple"});
  EXPECT_EQ(shellError(msg::kWriteFailed), result.err);
  EXPECT_EQ(transcript("root", {""}), result.out);
  EXPECT_EQ(config_, readFile("Config.ini"));
  EXPECT_FALSE(exists(dataFile("bob0001")));
  EXPECT_FALSE(exists(passwordFile("bob0001")));

  unblock();
  result = runAs("root", kRootPassword, {"adduser bob0001 bobpw002 simple"});
  EXPECT_EQ(transcript("root", {ok()}), result.out);
  EXPECT_EQ(configText("data/", {"root", "alice01", "bob0001"}), readFile("Config.ini"));
  EXPECT_EQ(transcript("bob0001", {"bob0001 :\n\n"}), runAs("bob0001", "bobpw002", {"dir"}).out);
}

class ProgramUserNames : public InstalledProgramTest {};

TEST_F(ProgramUserNames, SlashInANameIsRefused) {
  const std::string config = readFile("Config.ini");
  ProgramResult result = runAs(
      "root", kRootPassword,
      {"adduser ../x12345 pass1234 simple", "addadmin ../x12345 pass1234", "adduser", "../x12345"});
  EXPECT_EQ(shellError(msg::kIllegalCharacter) + shellError(msg::kIllegalCharacter) +
                shellError(msg::kIllegalCharacter),
            result.err);
  EXPECT_EQ(transcript("root", {"", "", gbk(msg::kAskUserName)}), result.out);
  EXPECT_EQ(std::vector<std::string>{}, userFilesOutsideDataFolder());
  EXPECT_EQ((std::vector<std::string>{"root.usr", "root.usrpas"}), entries("data"));
  EXPECT_EQ(config, readFile("Config.ini"));
}

// "x&touch$IFS" would make a shell create the file ".usr" in the current folder.
TEST_F(ProgramUserNames, NamesWithShellCharactersSurviveRestartAndDeleteExactly) {
  addUser("ab&c(d)", "abpw1234");
  addUser("x&touch$IFS", "xpw12345");
  addUser("bob0001", "bobpw001");
  EXPECT_EQ(configText("data/", {"root", "\"ab&c(d)\"", "\"x&touch$IFS\"", "bob0001"}),
            readFile("Config.ini"));

  const std::string question =
      gbk(msg::kWarnDeleteUser) + "\n" + gbk(msg::kConfirmDeleteUser) + "\n";
  ProgramResult result =
      runAs("root", kRootPassword, {"user", "deluser ab&c(d)", "Y", "deluser x&touch$IFS", "Y"});
  EXPECT_EQ("", result.err);
  EXPECT_EQ(transcript("root", {userList({"ab&c(d)", "x&touch$IFS", "bob0001"}), question + ok(),
                                question + ok()}),
            result.out);
  EXPECT_EQ(configText("data/", {"root", "bob0001"}), readFile("Config.ini"));
  EXPECT_EQ((std::vector<std::string>{"bob0001.usr", "bob0001.usrpas", "root.usr", "root.usrpas"}),
            entries("data"));
  EXPECT_EQ(std::vector<std::string>{}, userFilesOutsideDataFolder());
}

}  // namespace
}  // namespace vellumkeep
