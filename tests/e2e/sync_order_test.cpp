// The order of the real system calls of every kind of save, traced with strace: a new file is
// synced before it is renamed into place, and the rename is made durable by a sync of its
// folder before the next rename and before the program reports anything. Skipped where strace
// is missing or may not trace.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "e2e/installation.h"
#include "temp_folder.h"

namespace vellumkeep {
namespace {

constexpr const char* kStraceLocations[] = {"/usr/bin/strace", "/bin/strace"};

std::string straceProgram() {
  for (const char* location : kStraceLocations) {
    if (std::filesystem::exists(location)) return location;
  }
  return "";
}

// One traced system call: its name, its arguments (those quoted apart), the path behind its
// first descriptor (strace -y) and its result.
struct Call {
  std::string name;
  std::string arguments;
  std::vector<std::string> quoted;
  std::string descriptorPath;
  long result = -1;
};

Call parseCall(const std::string& line) {
  static const std::regex call(R"(^(\w+)\((\d+<([^>]*)>)?(.*)\)\s+=\s+(-?\d+))");
  static const std::regex quoted(R"re("([^"]*)")re");
  Call parsed;
  std::smatch match;
  if (!std::regex_search(line, match, call)) return parsed;
  parsed.name = match[1];
  parsed.descriptorPath = match[3];
  parsed.arguments = match[4];
  parsed.result = std::stol(match[5]);
  for (auto it = std::sregex_iterator(parsed.arguments.begin(), parsed.arguments.end(), quoted);
       it != std::sregex_iterator(); ++it) {
    parsed.quoted.push_back((*it)[1]);
  }
  return parsed;
}

bool isSync(const Call& call) {
  return (call.name == "fsync" || call.name == "fdatasync") && call.result == 0;
}
bool isRename(const Call& call) {
  return call.name.rfind("rename", 0) == 0 && call.result == 0;
}

class SyncOrder : public InstalledTest {
 protected:
  void SetUp() override {
    strace_ = straceProgram();
    if (strace_.empty()) GTEST_SKIP() << "strace is not installed";
    InstalledTest::SetUp();
    folder_ = std::filesystem::canonical(installation_.folder()).string() + "/";
  }

  // Runs the program under strace on `input` and returns the calls of each of its threads
  // (strace -ff: a log each); sets `traced_` false when strace cannot trace here.
  std::vector<std::vector<Call>> trace(const std::string& input) {
    const std::string logs = logFolder_.path() + "trace";
    const ProgramResult result = runProgram(
        strace_,
        {"-ff", "-y", "-o", logs, "-e",
         "trace=openat,write,fsync,fdatasync,rename,renameat,renameat2", VELLUMKEEP_PROGRAM},
        installation_.folder(), input);
    std::vector<std::vector<Call>> threads;
    for (const auto& entry : std::filesystem::directory_iterator(logFolder_.path())) {
      std::ifstream in(entry.path());
      std::vector<Call>& calls = threads.emplace_back();
      for (std::string line; std::getline(in, line);) {
        Call call = parseCall(line);
        if (!call.name.empty()) calls.push_back(std::move(call));
      }
      std::filesystem::remove(entry.path());
    }
    if (result.status != 0 || threads.empty()) {
      traced_ = false;
      skipReason_ = "strace cannot trace here: " + result.err;
    }
    return threads;
  }

  std::string absolute(const std::string& relative) const { return folder_ + relative; }

  // Every rename of a file created in the trace follows its sync, with no write after that;
  // every rename is followed by the sync of its folder before the next rename and before the
  // next output. Returns the renames checked.
  size_t expectSyncedRenames(const std::vector<Call>& calls) {
    std::set<std::string> created;
    std::map<std::string, size_t> lastWrite;
    std::map<std::string, size_t> lastSync;
    size_t renames = 0;
    for (size_t i = 0; i < calls.size(); ++i) {
      const Call& call = calls[i];
      if (call.name == "openat" && call.result >= 0 &&
          call.arguments.find("O_CREAT") != std::string::npos) {
        created.insert(absolute(call.quoted.at(0)));
      } else if (call.name == "write") {
        lastWrite[call.descriptorPath] = i;
      } else if (isSync(call)) {
        lastSync[call.descriptorPath] = i;
      } else if (isRename(call)) {
        ++renames;
        const std::string from = absolute(call.quoted.at(0));
        const std::string to = absolute(call.quoted.at(1));
        SCOPED_TRACE(from + " -> " + to);
        if (created.count(from)) {
          const auto synced = lastSync.find(from);
          EXPECT_TRUE(synced != lastSync.end() && synced->second > lastWrite[from])
              << "renamed before its last write was synced";
        }
        expectFolderSyncAfter(calls, i, to.substr(0, to.rfind('/')));
      }
    }
    return renames;
  }

  void expectFolderSyncAfter(const std::vector<Call>& calls, size_t rename,
                             const std::string& folder) {
    for (size_t i = rename + 1; i < calls.size(); ++i) {
      const Call& call = calls[i];
      if (isSync(call) && call.descriptorPath == folder) return;
      const bool output = call.name == "write" && call.descriptorPath.rfind("pipe:", 0) == 0;
      ASSERT_FALSE(output || isRename(call))
          << "the folder was not synced before: " << call.name << " " << call.descriptorPath;
    }
    ADD_FAILURE() << "the folder was never synced";
  }

  TempFolder logFolder_;
  std::string strace_;
  std::string folder_;  // the installation's folder as the kernel names it, with a slash
  bool traced_ = true;
  std::string skipReason_;
};

TEST_F(SyncOrder, EverySaveSyncsTheNewFileThenRenamesThenSyncsTheFolder) {
  // Each session saves its own way: the login's password file; a data file; both files of a
  // change of mode (strong, unencrypted) or password; a new account and Config.ini; a deletion.
  const struct {
    const char* name;
    const char* password;
    std::vector<std::string> commands;
  } sessions[] = {
      {"root",
       kRootPassword,
       {"adduser alice01 alicepw1 simple", "addadmin adm0001 admpw001",
        "adduser bob0001 bobpw001 strong"}},
      {"alice01",
       "alicepw1",
       {"adddir mail", "addpassword mail web01 secret9", "setmode strong\nalicepw2\nalicepw2",
        "delpassword mail web01\ny", "setmode unencrypted"}},
      {"root", kRootPassword, {"setpassword rootpw2", "deluser bob0001\nY", "deladmin adm0001\ny"}},
  };
  size_t renames = 0;
  for (const auto& session : sessions) {
    SCOPED_TRACE(session.name);
    const std::vector<std::vector<Call>> threads =
        trace(joinLines({session.name, session.password}) + joinLines(session.commands));
    if (!traced_) GTEST_SKIP() << skipReason_;
    for (const std::vector<Call>& calls : threads) renames += expectSyncedRenames(calls);
  }
  // The login's password file, 5 data files, 3 pairs, 3 accounts (and Config.ini), 2 deletions.
  EXPECT_GE(renames, 25u);
  EXPECT_EQ(texts_.loggedIn("alice01"), installation_.runAs("alice01", "alicepw2", {}).out);
}

}  // namespace
}  // namespace vellumkeep
