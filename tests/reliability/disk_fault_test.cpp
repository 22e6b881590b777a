// Saves that fail, at every kind of save: a file-size limit, a read-only folder and a full file
// system. Each time the program reports "文件写入失败!", prints no success line, and the files
// it had load unchanged; a later change in the same run keeps them loadable.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/statvfs.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "e2e/installation.h"
#include "model/messages.h"
#include "reliability/mount_namespace.h"

namespace vellumkeep {
namespace {

// Plain working files and the coded data file of a new account fit; password files and the
// coded data files of alice01 and carol01 do not.
constexpr rlim_t kSmallFileLimit = 300;
// Every user file fits (a password file of 8 bytes is at most 40 * 94 bytes); Config.ini,
// which names the long data folder below, does not.
constexpr rlim_t kConfigFileLimit = 3900;
constexpr size_t kLongDataFolderSteps = 1990;  // "./" each
// The full file system: large enough for the installation, filled up to a few pages.
constexpr size_t kTmpfsBytes = 1 << 20;
constexpr size_t kMostPagesACommandNeeds = 32;

// Which files a save rewrites.
enum SaveKinds : unsigned {
  kStore = 1,     // a user's data file only
  kAccount = 2,   // an account's data file and password file
  kUserList = 4,  // Config.ini
  // An account's files in mode strong: small enough for the file-size limit, so faulted by
  // read-only folders and full file systems only.
  kSealedAccount = 8,
};

// One kind of save: the command (with its answers) that an operator gives after logging in.
struct SaveCase {
  unsigned kinds;
  const char* operatorName;
  std::string input;                    // the command line, then the answers, one per line
  std::vector<const char*> question;    // the lines of a deletion's confirmation
  std::vector<const char*> asked = {};  // questions answered on their own line (new passwords)
  std::string what() const { return input.substr(0, input.find('\n')); }
  std::string password() const {
    const std::string name = operatorName;
    return name == "root" ? kRootPassword : name == "alice01" ? "alicepw1" : "carolpw1";
  }
};

// clang-format off
std::vector<SaveCase> allSaves() {
  return {
      {kStore, "alice01", "adddir travel", {}},
      {kStore, "alice01", "addpassword mail shop01 shoppw1 url shop.example", {}},
      {kStore, "alice01", "deldir bank\nY", {msg::kWarnDeleteGroup, msg::kConfirmDeleteGroup}},
      {kStore, "alice01", "delpassword mail web01\ny", {msg::kConfirmDeleteEntry}},
      {kStore, "alice01", "editpassword mail web01 newpw99", {}},
      {kStore, "alice01", "movepassword mail web02 bank", {}},
      {kStore, "alice01", "renamedir bank money", {}},
      {kAccount, "alice01", "setmode unencrypted", {}},
      {kSealedAccount, "alice01", "setmode strong\nalicepw2\nalicepw2", {},
       {msg::kAskNewPassword, msg::kAskNewPasswordAgain}},
      {kAccount, "carol01", "setmode simple", {}},
      {kAccount, "root", "setpassword rootpw9", {}},
      {kAccount | kUserList, "root", "adduser dave001 davepw01 simple", {}},
      {kAccount | kUserList, "root", "addadmin adm0002 admpw002", {}},
      {kUserList, "root", "deluser bob0001\nY", {msg::kWarnDeleteUser, msg::kConfirmDeleteUser}},
      {kUserList, "root", "deladmin adm0001\ny", {msg::kConfirmDeleteAdmin}},
  };
}
// clang-format on

// The saves that rewrite any of the files `kinds`.
std::vector<SaveCase> saves(unsigned kinds) {
  std::vector<SaveCase> chosen;
  for (const SaveCase& save : allSaves()) {
    if (save.kinds & kinds) chosen.push_back(save);
  }
  return chosen;
}

std::string longDataFolder() {
  std::string folder;
  for (size_t i = 0; i < kLongDataFolderSteps; ++i) folder += "./";
  return folder + "data";
}

class DiskFault : public ::testing::Test {
 protected:
  void TearDown() override {
    if (!faults_.empty()) {
      std::cout << "faults injected:";
      for (const auto& [kind, count] : faults_) std::cout << " " << kind << " " << count << ";";
      std::cout << "\n";
    }
  }

  // An installation in the test's temporary folder: root, the users alice01 (two groups),
  // bob0001 and carol01 (mode unencrypted), and the administrator adm0001.
  void install(const std::string& dataFolder = "", const std::string& view = "",
               std::vector<int> namespaces = {}) {
    installation_ = std::make_unique<Installation>(folder_->path(), view, std::move(namespaces));
    ProgramResult init = installation_->create(dataFolder);
    ASSERT_EQ(0, init.status) << init.err;
    expectSuccesses(*installation_, texts_, "root", kRootPassword,
                    {"adduser alice01 alicepw1 simple", "adduser bob0001 bobpw001 simple",
                     "addadmin adm0001 admpw001", "adduser carol01 carolpw1 simple"});
    expectSuccesses(
        *installation_, texts_, "alice01", "alicepw1",
        {"adddir mail",
         "addpassword mail web01 secret9 url mail.example.org note primary-mailbox-of-alice",
         "addpassword mail web02 secret8 url www.example.org note the-second-mailbox",
         "adddir bank"});
    expectSuccesses(*installation_, texts_, "carol01", "carolpw1",
                    {"adddir notes",
                     "addpassword notes n1 notepw1 kind memo-about-the-holidays place far-far-away",
                     "setmode unencrypted"});
  }

  struct Outcome {
    ProgramResult result;
    std::map<std::string, std::string> before;  // the files when the command began
  };

  // Logs in as the case's operator, makes the fault, runs the command and lifts the fault.
  Outcome runCommand(const SaveCase& save, const ProgramOptions& options,
                     const std::function<void()>& makeFault,
                     const std::function<void()>& liftFault) {
    const std::string prompt = ConsoleTexts::prompt(save.operatorName);
    RunningProgram program(VELLUMKEEP_PROGRAM, installation_->folder(),
                           installation_->options(options));
    program.send(joinLines({save.operatorName, save.password()}));
    EXPECT_TRUE(program.waitForOutput(prompt)) << save.what() << ": no login";
    Outcome outcome;
    outcome.before = installation_->files();
    makeFault();
    program.send(save.input + "\n");
    EXPECT_TRUE(program.waitForOutput(prompt, 2)) << save.what() << ": no prompt after the command";
    liftFault();
    outcome.result = program.finish();
    return outcome;
  }

  std::string question(const SaveCase& save) {
    std::string text;
    for (const char* line : save.question) text += texts_.gbk(line) + "\n";
    for (const char* asked : save.asked) text += texts_.gbk(asked);
    return text;
  }

  bool succeeded(const SaveCase& save, const Outcome& outcome) {
    const std::string prompt = ConsoleTexts::prompt(save.operatorName);
    return outcome.result.out ==
           texts_.loggedIn(save.operatorName) + question(save) + texts_.ok() + prompt;
  }

  // The command failed with "文件写入失败!" and left every file as it was; none appeared.
  void expectFailed(const SaveCase& save, const Outcome& outcome, const std::string& loginError,
                    const std::string& kind) {
    SCOPED_TRACE(save.what() + ", " + kind);
    ++faults_[kind];
    const std::string prompt = ConsoleTexts::prompt(save.operatorName);
    EXPECT_EQ(texts_.loggedIn(save.operatorName) + question(save) + prompt, outcome.result.out);
    EXPECT_EQ(loginError + texts_.shellError(msg::kWriteFailed), outcome.result.err);
    EXPECT_EQ(0, outcome.result.status);
    expectFilesKept(outcome.before);
    expectEveryoneLoads();
  }

  void expectFilesKept(const std::map<std::string, std::string>& before) {
    EXPECT_EQ(before, installation_->files()) << "files changed, removed or added";
  }

  // root logs in, which loads every listed user, without a message.
  void expectEveryoneLoads(const std::string& rootPassword = kRootPassword) {
    ProgramResult result = installation_->run(joinLines({"root", rootPassword, "user"}));
    EXPECT_EQ("", result.err);
    EXPECT_EQ(0, result.status);
    EXPECT_EQ(0u, result.out.find(texts_.loggedIn("root"))) << result.out;
  }

  ProgramOptions fileSizeLimit(rlim_t bytes) {
    ProgramOptions options;
    options.fileSizeLimit = bytes;
    return options;
  }

  std::unique_ptr<TempFolder> folder_ = std::make_unique<TempFolder>();
  std::unique_ptr<Installation> installation_;
  ConsoleTexts texts_;
  std::map<std::string, size_t> faults_;
};

void nothing() {}

// ---------------------------------------------------------------------------------------------
// A file-size limit (RLIMIT_FSIZE; the program ignores SIGXFSZ itself)

TEST_F(DiskFault, FileSizeLimitAtLoginKeepsThePasswordFile) {
  install();
  const std::map<std::string, std::string> before = installation_->files();
  ProgramResult result =
      installation_->run(joinLines({"root", kRootPassword}), fileSizeLimit(kSmallFileLimit));
  ++faults_["file size, password file at login"];
  EXPECT_EQ(texts_.line(msg::kWriteFailed), result.err);
  EXPECT_EQ(texts_.loggedIn("root"), result.out);  // the shell starts all the same
  expectFilesKept(before);
  expectEveryoneLoads();
}

TEST_F(DiskFault, FileSizeLimitAtEverySaveOfAUserFile) {
  install();
  const std::string loginError = texts_.line(msg::kWriteFailed);  // the password file at login
  for (const SaveCase& save : saves(kStore)) {
    Outcome outcome = runCommand(save, fileSizeLimit(kSmallFileLimit), nothing, nothing);
    expectFailed(save, outcome, loginError, "file size, data file");
  }
  // Plain data files fit, password files do not; coded data files do not fit either.
  for (const SaveCase& save : saves(kAccount)) {
    Outcome outcome = runCommand(save, fileSizeLimit(kSmallFileLimit), nothing, nothing);
    const bool dataFileFails = save.what() == "setmode simple";
    expectFailed(save, outcome, loginError,
                 dataFileFails ? "file size, data file" : "file size, password file");
  }
}

TEST_F(DiskFault, FileSizeLimitAtEverySaveOfConfigIni) {
  install(longDataFolder());
  ASSERT_GT(installation_->read("Config.ini").size(), kConfigFileLimit);
  for (const SaveCase& save : saves(kUserList)) {
    Outcome outcome = runCommand(save, fileSizeLimit(kConfigFileLimit), nothing, nothing);
    expectFailed(save, outcome, "", "file size, Config.ini");
  }
}

// ---------------------------------------------------------------------------------------------
// A read-only data folder, and a read-only installation folder (Config.ini): read-only bind
// mounts in a private mount namespace, made after login and lifted after the command.

class DiskFaultReadOnly : public DiskFault {
 protected:
  void SetUp() override {
    namespace_ = std::make_unique<MountNamespace>();
    if (!namespace_->failure().empty()) {
      GTEST_SKIP() << "read-only folders need a private mount namespace: " << namespace_->failure();
    }
    install("", "", namespace_->descriptors());
    if (HasFatalFailure()) return;
    // The data folder and the lock file stay writable when the folder above them is not.
    const std::string failure = namespace_->bind(dataFolder()) +
                                namespace_->bind(folder_->path() + "Config.ini.lock") +
                                namespace_->bind(folder_->path(), true);
    if (!failure.empty()) GTEST_SKIP() << "cannot make read-only folders: " << failure;
  }
  void TearDown() override {
    DiskFault::TearDown();
    namespace_.reset();  // before the folder goes
  }

  std::string dataFolder() const { return folder_->path() + "data"; }
  std::function<void()> readOnly(const std::string& folder, bool on) {
    return [this, folder, on] { ASSERT_EQ("", namespace_->setReadOnly(folder, on)); };
  }

  std::unique_ptr<MountNamespace> namespace_;
};

// Login reads the user's files and nothing else: only the fresh filler of the password file
// cannot be written, which is reported, and the shell starts all the same.
TEST_F(DiskFaultReadOnly, DataFolderAtLoginIsReportedAndChangesNothing) {
  const std::map<std::string, std::string> before = installation_->files();
  readOnly(dataFolder(), true)();
  ProgramResult result = installation_->run(joinLines({"alice01", "alicepw1", "dir"}));
  readOnly(dataFolder(), false)();
  ++faults_["read-only data folder, password file at login"];
  EXPECT_EQ(0, result.status);
  EXPECT_EQ(texts_.line(msg::kWriteFailed), result.err);
  EXPECT_EQ(texts_.loggedIn("alice01") + "alice01 :\n\tmail\n\tbank\n\n" + texts_.prompt("alice01"),
            result.out);
  expectFilesKept(before);
}

TEST_F(DiskFaultReadOnly, DataFolderAtEverySave) {
  // Removing files (deluser, deladmin) writes the folder too.
  for (const SaveCase& save : allSaves()) {
    Outcome outcome =
        runCommand(save, {}, readOnly(dataFolder(), true), readOnly(dataFolder(), false));
    expectFailed(save, outcome, "", "read-only data folder");
  }
}

TEST_F(DiskFaultReadOnly, InstallationFolderAtEverySaveOfConfigIni) {
  for (const SaveCase& save : saves(kUserList)) {
    Outcome outcome =
        runCommand(save, {}, readOnly(folder_->path(), true), readOnly(folder_->path(), false));
    expectFailed(save, outcome, "", "read-only installation folder, Config.ini");
  }
}

// ---------------------------------------------------------------------------------------------
// A full file system: a small tmpfs in a private mount namespace holds the installation and is
// filled up to n free pages, for n = 0, 1, 2, ... until the save fits.

class DiskFaultFull : public DiskFault {
 protected:
  void TearDown() override {
    DiskFault::TearDown();
    namespace_.reset();
  }

  // A new installation on a new tmpfs; false (and a skip) when none can be made.
  bool installOnTmpfs() {
    installation_.reset();
    namespace_.reset();
    folder_ = std::make_unique<TempFolder>();
    namespace_ = std::make_unique<MountNamespace>();
    std::string failure = namespace_->failure();
    if (failure.empty()) failure = namespace_->mountTmpfs(folder_->path(), kTmpfsBytes);
    if (!failure.empty()) {
      skipped_ = "a full file system needs a tmpfs in a private mount namespace: " + failure;
      return false;
    }
    install("", namespace_->view(folder_->path()), namespace_->descriptors());
    return !HasFatalFailure();
  }

  // Fills the file system until `pages` blocks stay free.
  void fill(size_t pages) {
    struct statvfs status {};
    ASSERT_EQ(0, ::statvfs(installation_->path("").c_str(), &status));
    ASSERT_GE(status.f_bavail, pages);
    std::ofstream filler(installation_->path("filler"), std::ios::binary | std::ios::app);
    filler << std::string((status.f_bavail - pages) * status.f_bsize, '\0');
    filler.close();
    ASSERT_EQ(0, ::statvfs(installation_->path("").c_str(), &status));
    ASSERT_EQ(pages, status.f_bavail);
  }
  void unfill() { std::filesystem::remove(installation_->path("filler")); }

  // Runs the save with 0, 1, 2, ... free pages until it succeeds; every run before must fail
  // soundly.
  void sweep(const SaveCase& save) {
    SCOPED_TRACE(save.what());
    size_t failures = 0;
    for (size_t pages = 0; pages <= kMostPagesACommandNeeds; ++pages) {
      Outcome outcome = runCommand(
          save, {}, [&] { fill(pages); }, [&] { unfill(); });
      if (succeeded(save, outcome)) {
        EXPECT_EQ("", outcome.result.err);
        EXPECT_GT(failures, 0u) << "succeeded on a full file system";
        const bool passwordChanged = save.what() == "setpassword rootpw9";
        expectEveryoneLoads(passwordChanged ? "rootpw9" : kRootPassword);
        return;
      }
      expectFailed(save, outcome, "", "full file system");
      if (HasFailure()) return;
      ++failures;
    }
    ADD_FAILURE() << "never succeeded";
  }

  std::unique_ptr<MountNamespace> namespace_;
  std::string skipped_;
};

TEST_F(DiskFaultFull, AtLogin) {
  if (!installOnTmpfs()) GTEST_SKIP() << skipped_;
  for (size_t pages = 0; pages <= kMostPagesACommandNeeds; ++pages) {
    SCOPED_TRACE(std::to_string(pages) + " pages free");
    const std::map<std::string, std::string> before = installation_->files();
    fill(pages);
    ProgramResult result = installation_->run(joinLines({"root", kRootPassword}));
    unfill();
    if (result.err.empty()) {
      EXPECT_EQ(texts_.loggedIn("root"), result.out);
      EXPECT_GT(pages, 0u) << "logged in on a full file system";
      return;
    }
    ++faults_["full file system, at login"];
    // Only the password file's fresh filler did not fit: the shell starts all the same.
    EXPECT_EQ(texts_.line(msg::kWriteFailed), result.err);
    EXPECT_EQ(texts_.loggedIn("root"), result.out);
    expectFilesKept(before);
    expectEveryoneLoads();
  }
  ADD_FAILURE() << "never logged in";
}

TEST_F(DiskFaultFull, AtEverySave) {
  for (const SaveCase& save : allSaves()) {
    if (!installOnTmpfs()) GTEST_SKIP() << skipped_;
    sweep(save);
  }
}

// ---------------------------------------------------------------------------------------------
// A failed save, the fault gone, then another change in the same run: what the failed command
// had changed in memory must not reach the files half applied.

class DiskFaultThenChange : public DiskFault {
 protected:
  // Runs `failing` under a file-size limit, lifts it, and runs `next`, which must succeed.
  void failThenChange(const std::string& name, const std::string& password, rlim_t limit,
                      const std::vector<std::string>& failing, const std::string& next) {
    const std::string prompt = ConsoleTexts::prompt(name);
    RunningProgram program(VELLUMKEEP_PROGRAM, installation_->folder(), fileSizeLimit(limit));
    program.send(joinLines({name, password}));
    ASSERT_TRUE(program.waitForOutput(prompt));
    program.send(joinLines(failing));
    ASSERT_TRUE(program.waitForOutput(prompt, 2));
    ASSERT_NE(std::string::npos, program.err().find(texts_.shellError(msg::kWriteFailed)));
    ++faults_["file size, then lifted"];
    const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
    if (::prlimit(program.pid(), RLIMIT_FSIZE, &unlimited, nullptr) != 0) {
      rlimit current{};
      ::getrlimit(RLIMIT_FSIZE, &current);
      const rlimit raised{current.rlim_max, current.rlim_max};
      ASSERT_EQ(0, ::prlimit(program.pid(), RLIMIT_FSIZE, &raised, nullptr));
    }
    program.send(next + "\n");
    ASSERT_TRUE(program.waitForOutput(prompt, 3));
    ProgramResult result = program.finish();
    EXPECT_TRUE(endsWith(result.out, texts_.ok() + prompt)) << "\"" << next << "\" failed";
  }

  // A run of `name` whose commands produce `expected` (prompts between) and no message.
  void expectSession(const std::string& name, const std::string& password,
                     const std::vector<std::string>& commands, const std::string& expected) {
    ProgramResult result = installation_->runAs(name, password, commands);
    EXPECT_EQ("", result.err) << name;
    EXPECT_EQ(texts_.loggedIn(name) + expected, result.out) << name;
  }
};

TEST_F(DiskFaultThenChange, FailedSetModeThenNewGroup) {
  install();
  failThenChange("alice01", "alicepw1", kSmallFileLimit, {"setmode unencrypted"}, "adddir travel");
  expectSession("alice01", "alicepw1", {"dir"},
                "alice01 :\n\tmail\n\tbank\n\ttravel\n\n" + ConsoleTexts::prompt("alice01"));
  failThenChange("carol01", "carolpw1", kSmallFileLimit, {"setmode simple"}, "adddir travel");
  expectSession("carol01", "carolpw1", {"dir"},
                "carol01 :\n\tnotes\n\ttravel\n\n" + ConsoleTexts::prompt("carol01"));
}

// The failed addition leaves no trace in memory or on disk: the same name can be added again.
TEST_F(DiskFaultThenChange, FailedAddUserThenTheSameAddUser) {
  install();
  failThenChange("root", kRootPassword, kSmallFileLimit, {"adduser dave001 davepw01 simple"},
                 "adduser dave001 davepw02 simple");
  expectSession(
      "root", kRootPassword, {"user"},
      texts_.userList({"alice01", "bob0001", "carol01", "dave001"}) + ConsoleTexts::prompt("root"));
  expectSession("dave001", "davepw02", {"dir"}, "dave001 :\n\n" + ConsoleTexts::prompt("dave001"));
}

TEST_F(DiskFaultThenChange, FailedDeleteUserThenAddUser) {
  install(longDataFolder());
  failThenChange("root", kRootPassword, kConfigFileLimit, {"deluser bob0001", "Y"},
                 "adduser erin001 erinpw01 simple");
  // The deletion was reported as failed: bob0001 stays a user.
  expectSession(
      "root", kRootPassword, {"user"},
      texts_.userList({"alice01", "bob0001", "carol01", "erin001"}) + ConsoleTexts::prompt("root"));
}

}  // namespace
}  // namespace vellumkeep
