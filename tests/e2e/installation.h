// Shared by the end-to-end and reliability tests: an installation made by vellumkeep-init, the
// console texts as a pipe receives them (GBK), and the accounts stored in the data folder read
// back with the program's own readers.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "file_helpers.h"
#include "model/messages.h"
#include "model/user_account.h"
#include "platform/console.h"
#include "platform/posix_file_system.h"
#include "storage/account_text.h"
#include "storage/code_table.h"
#include "storage/config_file.h"
#include "storage/password_file.h"
#include "storage/strong_data_file.h"
#include "storage/strong_format.h"
#include "storage/strong_password_file.h"
#include "support/run_program.h"
#include "support/test_keys.h"
#include "temp_folder.h"

namespace vellumkeep {

inline constexpr char kRootPassword[] = "rootpw1";

inline std::string joinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

inline bool endsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The program's texts as its standard output and standard error carry them to a pipe: in GBK,
// or in UTF-8 for a program started with --encoding=utf-8.
class ConsoleTexts {
 public:
  explicit ConsoleTexts(ConsoleEncoding encoding = ConsoleEncoding::kGbk) : encoding_(encoding) {}

  // A text of the program as the pipe carries it (named for the usual case).
  std::string gbk(std::string_view utf8) {
    return encoding_ == ConsoleEncoding::kUtf8 ? std::string(utf8) : gbk_.convert(utf8);
  }

  std::string banner() {
    const std::string rule(79, '-');
    const size_t webPadding = 79 - 1 - 29 - std::string(msg::kWebAddress).size() - 1;
    return rule + "\n|" + std::string(27, ' ') + gbk(msg::kWelcome) + std::string(32, ' ') +
           "|\n|" + std::string(29, ' ') + msg::kWebAddress + std::string(webPadding, ' ') + "|\n" +
           rule + "\n";
  }
  // One login attempt's two questions, and the first of the next attempt.
  std::string attempt() { return askedAgain() + gbk(msg::kLoginPassword); }
  std::string askedAgain() { return "\n" + gbk(msg::kLoginName); }
  std::string loginFailed() { return gbk(msg::kLoginFailed) + "\n"; }
  std::string aboutBlock() {
    return gbk(msg::kAboutTitle) + "\n" + gbk(msg::kAboutWebLabel) + msg::kWebAddress + "\n" +
           msg::kAboutMailLabel + msg::kMailAddress + " " + gbk(msg::kAboutContact) + "\n\n";
  }
  // Standard output of a login after `refusals` refused attempts, up to the first prompt.
  std::string loggedIn(const std::string& name, size_t refusals = 0) {
    return afterRefusals(refusals) + attempt() + aboutBlock() + prompt(name);
  }
  // Standard output of `refusals` refused attempts, then login asks again and the input ends.
  std::string refused(size_t refusals) { return afterRefusals(refusals) + askedAgain(); }
  // Standard output of a login at the first attempt and of commands that wrote `outputs`.
  std::string session(const std::string& name, const std::vector<std::string>& outputs) {
    std::string text = loggedIn(name);
    for (const std::string& output : outputs) text += output + prompt(name);
    return text;
  }
  // ... of `count` commands that succeeded.
  std::string successes(const std::string& name, size_t count) {
    return session(name, std::vector<std::string>(count, ok()));
  }
  static std::string prompt(const std::string& name) { return "System\\" + name + ">"; }
  std::string ok() { return gbk(msg::kSuccess) + "\n\n"; }
  std::string shellError(const char* message) { return gbk(message) + "\n\n"; }
  // A message followed by one line end: login's errors, and the refusals at start.
  std::string line(const char* message) { return gbk(message) + "\n"; }
  // The listing of "user" for the users (role 8) `names`.
  std::string userList(const std::vector<std::string>& names) {
    std::string text = "\n" + gbk(msg::kUserListHeading) + "\n\n" + std::string(79, '-');
    for (size_t i = 0; i < names.size(); ++i) {
      if (i % 3 == 0) text += "\n";
      text += names[i] + std::string(names[i].size() < 25 ? 25 - names[i].size() : 0, ' ');
    }
    return text + "\n" + ok();
  }
  // The confirmation questions of deluser.
  std::string deleteUserQuestion() {
    return line(msg::kWarnDeleteUser) + line(msg::kConfirmDeleteUser);
  }

 private:
  // The banner and `refusals` attempts, each answered with the login failure.
  std::string afterRefusals(size_t refusals) {
    std::string text = banner();
    for (size_t i = 0; i < refusals; ++i) text += attempt() + loginFailed();
    return text;
  }

  ConsoleEncoding encoding_;
  GbkConverter gbk_;
};

// An account as the data folder holds it: the mode and password of its password file and the
// account of its data file read in that mode.
struct StoredAccount {
  int32_t passwordFileMode = -1;
  std::string passwordFilePassword;
  UserAccount account;
};

// An installation in `folder` (absolute, ending in '/'), the folder in which the programs
// run. `view` is the same folder as the test reaches it, and `namespaces` those the programs
// join: both differ when the programs run in another mount namespace.
class Installation {
 public:
  explicit Installation(std::string folder, std::string view = "", std::vector<int> namespaces = {})
      : folder_(std::move(folder)),
        view_(view.empty() ? folder_ : std::move(view)),
        namespaces_(std::move(namespaces)) {}

  // Runs vellumkeep-init with root's password kRootPassword, root in mode simple (a login of
  // root in mode strong costs a derivation at the program's cost).
  ProgramResult create(const std::string& dataFolder = "") const {
    std::vector<std::string> args = {"--mode", "simple"};
    if (!dataFolder.empty()) args.push_back(dataFolder);
    return runProgram(VELLUMKEEP_INIT_PROGRAM, args, folder_,
                      joinLines({kRootPassword, kRootPassword}), options());
  }

  const std::string& folder() const { return folder_; }
  std::string path(const std::string& relative) const { return view_ + relative; }
  // Options for a program run in this installation.
  ProgramOptions options(ProgramOptions extra = {}) const {
    extra.namespaces = namespaces_;
    return extra;
  }

  // The data folder named in Config.ini, relative to the installation, and the listed names.
  std::string dataFolder() const { return config().dataPath; }
  std::vector<std::string> listedNames() const { return config().names; }

  std::string read(const std::string& relative) const {
    std::ifstream in(path(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void write(const std::string& relative, const std::string& contents) const {
    std::ofstream(path(relative), std::ios::binary | std::ios::trunc) << contents;
  }
  bool exists(const std::string& relative) const { return std::filesystem::exists(path(relative)); }
  unsigned permissions(const std::string& relative) const { return permissionsOf(path(relative)); }
  // The names in a folder of the installation, sorted.
  std::vector<std::string> entries(const std::string& relative) const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path(relative))) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  // Files of the data folder (by default the one Config.ini names) other than data files and
  // password files.
  std::vector<std::string> leftovers(const std::string& folder = "") const {
    std::vector<std::string> names;
    for (const std::string& name : entries(folder.empty() ? dataFolder() : folder)) {
      if (!endsWith(name, ".usr") && !endsWith(name, ".usrpas")) names.push_back(name);
    }
    return names;
  }
  // Every file of the data folder and Config.ini with its contents.
  std::map<std::string, std::string> files() const {
    std::map<std::string, std::string> contents;
    const std::string data = dataFolder();
    for (const std::string& name : entries(data)) contents[data + name] = read(data + name);
    contents["Config.ini"] = read("Config.ini");
    return contents;
  }

  ProgramResult run(const std::string& input, const ProgramOptions& extra = {}) const {
    return runProgram(VELLUMKEEP_PROGRAM, {}, folder_, input, options(extra));
  }
  // Logs in as `name` and gives the command lines (with their answers) `lines`.
  ProgramResult runAs(const std::string& name, const std::string& password,
                      const std::vector<std::string>& lines,
                      const ProgramOptions& extra = {}) const {
    return run(joinLines({name, password}) + joinLines(lines), extra);
  }

  // The first login of an account whose password `chosen` another account chose: sets `own`.
  void firstLogin(const std::string& name, const std::string& chosen,
                  const std::string& own) const {
    const ProgramResult result = run(joinLines({name, chosen, own, own}));
    EXPECT_EQ("", result.err);
    EXPECT_NE(std::string::npos, result.out.find(ConsoleTexts::prompt(name))) << result.out;
  }

  // Reads the files of `name` in `folder` (by default the one Config.ini names) with the
  // program's readers; a user in mode strong with the keys of `password`. Throws
  // std::domain_error when a file is missing or damaged, or `password` does not open it.
  StoredAccount stored(const std::string& name, const std::string& folder = "",
                       const std::string& password = "") const {
    const std::string data = (folder.empty() ? dataFolder() : folder) + name;
    if (!exists(data + ".usrpas") || !exists(data + ".usr")) {
      throw std::domain_error("missing files of " + name);
    }
    const std::string passwordFile = read(data + ".usrpas");
    StoredAccount stored;
    if (isStrongFile(passwordFile)) {
      const StrongPasswordFile check = readStrongPasswordFile(passwordFile);
      const StrongKeys keys = deriveStrongKeys(password, check.salt, check.params);
      if (!verifyPassword(keys, check)) throw std::domain_error("the password does not open it");
      stored.passwordFileMode = Strong;
      stored.passwordFilePassword = password;
      readAccountText(openStrongData(keys.sealingKey, name, read(data + ".usr")), stored.account);
      return stored;
    }
    const CodeTable table = keyedTable(name);
    stored.passwordFileMode =
        readPasswordHeader(table, dropFiller(passwordFile), stored.passwordFilePassword);
    const std::string text = read(data + ".usr");
    readAccountText(stored.passwordFileMode == Simple ? table.decode(text) : text, stored.account);
    return stored;
  }

 private:
  struct Config {
    std::string dataPath;
    std::vector<std::string> names;
  };
  // Config.ini as the program reads it; empty when there is none.
  Config config() const {
    Config config;
    PosixFileSystem fs;
    readConfig(fs, path("Config.ini"), config.dataPath, config.names);
    return config;
  }

  std::string folder_;
  std::string view_;
  std::vector<int> namespaces_;
};

// A run of `name` in `installation` whose `commands` all succeed.
inline void expectSuccesses(const Installation& installation, ConsoleTexts& texts,
                            const std::string& name, const std::string& password,
                            const std::vector<std::string>& commands) {
  ProgramResult result = installation.runAs(name, password, commands);
  ASSERT_EQ(texts.successes(name, commands.size()), result.out) << result.err;
}

// A test on an installation made in a temporary folder.
class InstalledTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ProgramResult init = installation_.create();
    ASSERT_EQ(0, init.status) << init.err;
  }

  // A run whose `commands` all succeed.
  void expectSuccesses(const std::string& name, const std::string& password,
                       const std::vector<std::string>& commands) {
    vellumkeep::expectSuccesses(installation_, texts_, name, password, commands);
  }
  StoredAccount stored(const std::string& name) {
    try {
      return installation_.stored(name);
    } catch (const std::exception& error) {
      ADD_FAILURE() << name << ": " << error.what();
      return {};
    }
  }

  TempFolder folder_;
  Installation installation_{folder_.path()};
  ConsoleTexts texts_;
};

}  // namespace vellumkeep
