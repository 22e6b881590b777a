// A whole program state on string streams, for tests that run command lines in-process: on a
// file system in memory, or (RealDiskSessionTest) in a temporary folder on the real disk.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/messages.h"
#include "platform/posix_file_system.h"
#include "shell/login.h"
#include "shell/shell.h"
#include "storage/file_io.h"
#include "storage/installation.h"
#include "support/memory_file_system.h"
#include "support/program_run.h"
#include "temp_folder.h"

namespace vellumkeep {

struct SessionOutput {
  std::string out;
  std::string err;
};

class SessionTest : public ::testing::Test {
 protected:
  explicit SessionTest(bool realDisk = false)
      : root_(realDisk ? realFolder_.path() : ""),
        fs_(realDisk ? static_cast<FileSystem&>(posix_) : memory_),
        run_(fs_, root_ + "Config.ini") {
    state().store.files().dataPath = root_ + "data/";
    fs_.makeFolder(state().store.files().dataPath);
  }

  ProgramState& state() { return run_.state(); }
  const ProgramState& state() const { return run_.state(); }
  UserFiles& files() { return state().store.files(); }

  // Registers an account in memory and makes it the Operator.
  UserAccount& logIn(const std::string& name, int32_t role) {
    state().registry.registerAccount(makeAccount(name, "secret1", Simple, role));
    state().operatorName = name;
    return state().operatorAccount();
  }

  // What a command that succeeded writes on standard output, and what one that failed with
  // `message` writes on standard error.
  static std::string ok() { return std::string(msg::kSuccess) + "\n\n"; }
  static std::string failure(const char* message) { return std::string(message) + "\n\n"; }

  // Gives the console `input` to read and forgets what it wrote so far.
  void feed(const std::string& input) { run_.feed(input); }

  // Replaces the argument stack with `words`, each tagged 1.
  void setArguments(const std::vector<std::string>& words) {
    state().argumentStack.clear();
    for (const std::string& word : words) state().argumentStack.push_back({1, word});
  }

  // The texts of the argument stack, in the order they were pushed.
  std::vector<std::string> argumentTexts() const {
    std::vector<std::string> texts;
    for (const ArgumentEntry& entry : state().argumentStack) texts.push_back(entry.text);
    return texts;
  }

  // Runs the shell on `input` (lines with their line ends) until it is exhausted, and
  // returns what was written after the about block, prompts included.
  SessionOutput session(const std::string& input) {
    run_.shell(input);
    std::string out = run_.out();
    out.erase(0, out.find("System\\"));
    return {out, run_.err()};
  }

  // Runs one command line (answers to its questions follow) and returns its output
  // without the prompts.
  SessionOutput run(const std::string& line, const std::string& answers = "") {
    SessionOutput result = session(line + "\n" + answers);
    std::string prompt = "System\\" + state().operatorName + ">";
    for (size_t at; (at = result.out.find(prompt)) != std::string::npos;) {
      result.out.erase(at, prompt.size());
    }
    return result;
  }

  // The contents of a file (empty when it cannot be read), and whether it exists.
  std::string contents(const std::string& path) {
    std::string text;
    EXPECT_TRUE(readFile(fs_, path, text)) << path;
    return text;
  }
  std::string fileOf(const std::string& name, const std::string& extension) {
    return contents(files().dataPath + name + extension);
  }
  bool exists(const std::string& name, const std::string& extension) {
    return fs_.exists(files().dataPath + name + extension) == Presence::kPresent;
  }

 private:
  TempFolder realFolder_;  // used on the real disk only
  std::string root_;       // the folder of Config.ini

 protected:
  MemoryFileSystem memory_;
  PosixFileSystem posix_;
  FileSystem& fs_;
  ProgramRun run_;
};

// For the cases only a real disk has: links, FIFOs and the like.
class RealDiskSessionTest : public SessionTest {
 protected:
  RealDiskSessionTest() : SessionTest(true) {}
};

// A session on a real installation: root's files and Config.ini in the test's folder.
template <typename Base>
class InstalledSessionOn : public Base {
 protected:
  static constexpr char kRootPassword[] = "rootpw1";

  InstalledSessionOn() {
    createInstallation(this->fs_, this->state().store.configPath(), this->files().dataPath,
                       kRootPassword, Simple);
    this->run_.startUp();
  }

  // Runs login on `input` (name and password lines) and returns what it wrote.
  SessionOutput logInWith(const std::string& input) {
    this->run_.login(input);
    return {this->run_.out(), this->run_.err()};
  }
  SessionOutput logInAsRoot() { return logInWith(std::string("root\n") + kRootPassword + "\n"); }

  // Login on `input` that may end while login asks again.
  SessionOutput attempt(const std::string& input) {
    try {
      return logInWith(input);
    } catch (const InputExhausted&) {
      return {this->run_.out(), this->run_.err()};
    }
  }

  // Starts over as a new process would: a fresh state reading the same installation.
  void restart() { this->run_.restart(); }
};

using InstalledSessionTest = InstalledSessionOn<SessionTest>;
using InstalledRealDiskSessionTest = InstalledSessionOn<RealDiskSessionTest>;

}  // namespace vellumkeep
