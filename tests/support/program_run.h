// One run of the program inside this process: a console on string streams and a ProgramState
// on a file system the caller hands in. Tests, fuzz targets and benchmarks run sessions through
// it instead of starting a process.
#pragma once

#include <optional>
#include <sstream>
#include <string>

#include "exec/program_state.h"
#include "platform/console.h"
#include "platform/file_system.h"

namespace vellumkeep {

class ProgramRun {
 public:
  // A state that has not started, reading Config.ini at `configPath`. New keys in mode strong
  // are derived at the smallest cost, so that runs stay fast.
  ProgramRun(FileSystem& fs, std::string configPath);
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;

  ProgramState& state() { return *state_; }
  Console& console() { return console_; }
  const ProgramState& state() const { return *state_; }

  // Reads Config.ini and recovers the data folder, as the program's start does.
  void startUp();
  // Starts over as a new process would: a fresh state on the same files, started up.
  void restart();

  // Gives the console `input` to read and forgets what it wrote.
  void feed(const std::string& input);
  // Runs login on `input` (name and password lines).
  void login(const std::string& input);
  // Makes `name` the Operator as a successful login does, without the console; false when
  // `password` is not its password. Throws what login reports.
  bool logInAs(const std::string& name, const std::string& password);
  // Runs the shell on `input` (command lines and their answers) until a command ends the
  // session or the input ends.
  void shell(const std::string& input);

  // What the console wrote since it was last fed.
  std::string out() const { return out_.str(); }
  std::string err() const { return err_.str(); }

 private:
  void makeState();

  FileSystem& fs_;
  std::string configPath_;
  std::istringstream in_;
  std::ostringstream out_;
  std::ostringstream err_;
  Console console_;
  std::optional<ProgramState> state_;
};

}  // namespace vellumkeep
