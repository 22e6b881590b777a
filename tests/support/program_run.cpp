#include "support/program_run.h"

#include "shell/login.h"
#include "shell/shell.h"

namespace vellumkeep {

ProgramRun::ProgramRun(FileSystem& fs, std::string configPath)
    : fs_(fs),
      configPath_(std::move(configPath)),
      console_(in_, out_, ConsoleEncoding::kUtf8, err_, ConsoleEncoding::kUtf8) {
  makeState();
}

void ProgramRun::makeState() {
  state_.emplace(console_, fs_, configPath_);
  state_->store.files().kdfParameters = kMinimumKdfParameters;
}

void ProgramRun::startUp() {
  state_->store.startUp(state_->registry);
}

void ProgramRun::restart() {
  makeState();
  startUp();
}

void ProgramRun::feed(const std::string& input) {
  in_.clear();
  in_.str(input);
  out_.str("");
  err_.str("");
}

void ProgramRun::login(const std::string& input) {
  feed(input);
  vellumkeep::login(*state_);
}

bool ProgramRun::logInAs(const std::string& name, const std::string& password) {
  if (!state_->store.checkCredentials(state_->registry, name, password)) return false;
  state_->operatorName = name;
  setUpOperator(*state_);
  return true;
}

void ProgramRun::shell(const std::string& input) {
  feed(input);
  runShell(*state_);
}

}  // namespace vellumkeep
