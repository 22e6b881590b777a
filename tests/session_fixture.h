// A whole program state on string streams, for tests that run command lines in-process.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "file_helpers.h"
#include "model/messages.h"
#include "platform/console.h"
#include "program_state.h"
#include "shell/login.h"
#include "shell/shell.h"
#include "storage/account_storage.h"
#include "storage/file_io.h"
#include "storage/installation.h"
#include "temp_folder.h"

namespace vellumkeep {

struct SessionOutput {
  std::string out;
  std::string err;
};

class SessionTest : public ::testing::Test {
 protected:
  SessionTest()
      : console_(in_, out_, ConsoleEncoding::kUtf8, err_, ConsoleEncoding::kUtf8),
        state_(std::in_place, console_, fs_, folder_.path() + "Config.ini") {
    state().files.dataPath = folder_.path() + "data/";
    // Cheap key derivations in mode strong; the program's own cost is a benchmark's business.
    state().files.kdfParameters = kMinimumKdfParameters;
    std::filesystem::create_directory(state().files.dataPath);
  }

  // Registers an account in memory and makes it the Operator.
  UserAccount& logIn(const std::string& name, int32_t role) {
    state().registry.registerAccount(makeAccount(name, "secret1", Simple, role));
    state().operatorName = name;
    state().files.keyCodeTable(name);
    return state().operatorAccount();
  }

  // What a command that succeeded writes on standard output, and what one that failed with
  // `message` writes on standard error.
  static std::string ok() { return std::string(msg::kSuccess) + "\n\n"; }
  static std::string failure(const char* message) { return std::string(message) + "\n\n"; }

  // Gives the console `input` to read and forgets what it wrote so far.
  void feed(const std::string& input) {
    in_.clear();
    in_.str(input);
    out_.str("");
    err_.str("");
  }

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
    feed(input);
    runShell(state());
    std::string out = out_.str();
    out.erase(0, out.find("System\\"));
    return {out, err_.str()};
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

  TempFolder folder_;
  PosixFileSystem fs_;
  std::istringstream in_;
  std::ostringstream out_;
  std::ostringstream err_;
  Console console_;
  ProgramState& state() { return *state_; }
  const ProgramState& state() const { return *state_; }

  std::optional<ProgramState> state_;
};

// A session on a real installation: root's files and Config.ini in the test's folder.
class InstalledSessionTest : public SessionTest {
 protected:
  static constexpr char kRootPassword[] = "rootpw1";

  InstalledSessionTest() {
    createInstallation(fs_, state().configPath, state().files.dataPath, kRootPassword, Simple);
    startUp(state());
  }

  // Runs login on `input` (name and password lines) and returns what it wrote.
  SessionOutput logInWith(const std::string& input) {
    feed(input);
    login(state());
    return {out_.str(), err_.str()};
  }

  // Starts over as a new process would: a fresh state reading the same installation.
  void restart() {
    state_.emplace(console_, fs_, folder_.path() + "Config.ini");
    state().files.kdfParameters = kMinimumKdfParameters;
    startUp(state());
  }

  std::string fileOf(const std::string& name, const std::string& extension) const {
    return contentsOf(state().files.dataPath + name + extension);
  }

  bool exists(const std::string& name, const std::string& extension) const {
    return fileExists(state().files.dataPath + name + extension);
  }
};

}  // namespace vellumkeep
