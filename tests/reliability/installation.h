// Shared by the reliability tests: an installation made by vellumkeep-init, the console texts
// as a pipe receives them (GBK), and the accounts stored in the data folder read back with the
// program's own readers.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "e2e/run_program.h"
#include "model/messages.h"
#include "model/user_account.h"
#include "platform/console.h"
#include "storage/account_text.h"
#include "storage/code_table.h"
#include "storage/config_file.h"
#include "storage/password_file.h"

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

// The program's texts as its standard output and standard error carry them to a pipe.
class ConsoleTexts {
 public:
  std::string gbk(std::string_view utf8) { return gbk_.convert(utf8); }

  std::string banner() {
    const std::string rule(79, '-');
    const size_t webPadding = 79 - 1 - 29 - std::string(msg::kWebAddress).size() - 1;
    return rule + "\n|" + std::string(27, ' ') + gbk(msg::kWelcome) + std::string(32, ' ') +
           "|\n|" + std::string(29, ' ') + msg::kWebAddress + std::string(webPadding, ' ') + "|\n" +
           rule + "\n";
  }
  // One login attempt's two questions.
  std::string attempt() { return "\n" + gbk(msg::kLoginName) + gbk(msg::kLoginPassword); }
  std::string loginFailed() { return gbk(msg::kLoginFailed) + "\n"; }
  std::string aboutBlock() {
    return gbk(msg::kAboutTitle) + "\n" + gbk(msg::kAboutWebLabel) + msg::kWebAddress + "\n" +
           msg::kAboutMailLabel + msg::kMailAddress + " " + gbk(msg::kAboutContact) + "\n\n";
  }
  // Standard output of a login at the first attempt, up to the first prompt.
  std::string loggedIn(const std::string& name) {
    return banner() + attempt() + aboutBlock() + prompt(name);
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

 private:
  GbkConverter gbk_;
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

  // Runs vellumkeep-init with root's password kRootPassword.
  ProgramResult create(const std::string& dataFolder = "") const {
    std::vector<std::string> args;
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

  // The data folder named in Config.ini, relative to the installation.
  std::string dataFolder() const {
    std::string dataPath;
    std::vector<std::string> names;
    parseConfig(read("Config.ini"), dataPath, names);
    return dataPath;
  }
  std::vector<std::string> listedNames() const {
    std::string dataPath;
    std::vector<std::string> names;
    parseConfig(read("Config.ini"), dataPath, names);
    return names;
  }

  std::string read(const std::string& relative) const {
    std::ifstream in(path(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void write(const std::string& relative, const std::string& contents) const {
    std::ofstream(path(relative), std::ios::binary | std::ios::trunc) << contents;
  }
  bool exists(const std::string& relative) const { return std::filesystem::exists(path(relative)); }
  // The names in a folder of the installation, sorted.
  std::vector<std::string> entries(const std::string& relative) const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path(relative))) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
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

 private:
  std::string folder_;
  std::string view_;
  std::vector<int> namespaces_;
};

// An account as the data folder holds it: the mode and password of its password file and the
// account of its data file read in that mode.
struct StoredAccount {
  int32_t passwordFileMode = -1;
  std::string passwordFilePassword;
  UserAccount account;
};

// Reads the files of `name` in `dataFolder` (as the test reaches it, ending in '/'). Throws
// std::domain_error when a file is missing or damaged.
inline StoredAccount readStoredAccount(const std::string& dataFolder, const std::string& name) {
  auto readWhole = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::domain_error("missing " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  CodeTable table;
  table.keyCodeTable(name);
  StoredAccount stored;
  stored.passwordFileMode = readPasswordHeader(
      table, dropFiller(readWhole(dataFolder + name + ".usrpas")), stored.passwordFilePassword);
  std::string data = readWhole(dataFolder + name + ".usr");
  readAccountText(stored.passwordFileMode == Simple ? table.decode(data) : data, stored.account);
  return stored;
}

}  // namespace vellumkeep
