// The whole shell in-process: any bytes as console input (command lines, questions and
// answers) for an Operator logged in on an installation in memory. The input's first byte
// picks the Operator: root, an administrator or a user. Every input starts from the same
// memory and files. Afterwards the files must hold what memory holds: Config.ini the user
// list, each loaded account's files its password, mode and store, and no working file left.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "exec/program_state.h"
#include "fuzz_support.h"
#include "model/messages.h"
#include "storage/account_text.h"
#include "storage/config_file.h"
#include "storage/file_io.h"
#include "storage/installation.h"
#include "support/memory_file_system.h"
#include "support/program_run.h"

namespace {

using namespace vellumkeep;

struct Login {
  const char* name;
  const char* password;
};

constexpr Login kRoot = {"root", "rootpw1"};
constexpr Login kAdmin = {"admin01", "adminpw1"};
constexpr Login kUser = {"alice01", "alicepw1"};
constexpr Login kPlainUser = {"bob0001", "bobpw001"};

// Commands that build the installation: root makes the accounts, then the users fill their
// stores; bob keeps his data file unencrypted.
constexpr char kRootScript[] =
    "addadmin admin01 adminpw1\n"
    "adduser alice01 alicepw1 simple\n"
    "adduser bob0001 bobpw001 simple\n";
constexpr char kUserScript[] =
    "adddir mail\n"
    "addpassword mail alice@example.org mailpw1 url mail.example.org\n"
    "addpassword mail alice.work@example.org workpw1\n"
    "adddir bank\n"
    "addpassword bank 12345678 pin0001 branch north card visa\n";
constexpr char kPlainUserScript[] =
    "setmode unencrypted\n"
    "adddir games\n"
    "addpassword games bob@example.org gamepw1\n";

constexpr char kConfigPath[] = "Config.ini";
constexpr char kDataPath[] = "data/";

// One input's run: a copy of the installation, the Operator logged in on it, and what memory
// and files held right after the login.
struct Run {
  Run(const MemoryFileSystem& installation, const Login& who)
      : fs(installation), program(fs, kConfigPath) {
    program.startUp();
    if (!program.logInAs(who.name, who.password)) fuzz::fail("set-up login refused");
    before = program.state().registry;
    files = fs.files();
  }

  MemoryFileSystem fs;
  ProgramRun program;
  AccountRegistry before;
  std::map<std::string, std::string> files;  // path -> contents after the login
};

// Compares what memory holds after an input with the files.
class Checker {
 public:
  explicit Checker(Run& run) : run_(run), files_(run.fs) { files_.dataPath = kDataPath; }

  // The account `name` as its files hold it, read as login reads it; in mode strong opened
  // with the keys of `password`, the password memory holds.
  UserAccount loadFromFiles(const std::string& name, const std::string& password) {
    const PasswordRecord record = files_.loadPasswordFile(name);
    const std::optional<AccountKeys> keys = files_.unlock(name, record, password);
    if (!keys) fuzz::fail("the password in memory does not open the files");
    UserAccount account;
    files_.loadAccountText(record.mode, name, *keys, account);
    if (account.password != password) fuzz::fail("data file and memory disagree on the password");
    if (account.mode != record.mode) fuzz::fail("data file and password file give different modes");
    return account;
  }

  // True when the account is as the set-up left it, in memory and in both files.
  bool isUntouched(const UserAccount& memory) {
    const UserAccount* original = findLoaded(run_.before, memory.name);
    if (!original || writeAccountText(*original) != writeAccountText(memory)) return false;
    std::string contents;
    for (const std::string& path :
         {files_.dataFile(memory.name), files_.passwordFile(memory.name)}) {
      const auto saved = run_.files.find(path);
      if (saved == run_.files.end() || !readFile(run_.fs, path, contents) ||
          contents != saved->second) {
        return false;
      }
    }
    return true;
  }

  static const UserAccount* findLoaded(const AccountRegistry& registry, const std::string& name) {
    for (const auto* accounts : {&registry.administrators, &registry.users}) {
      for (const UserAccount& account : *accounts) {
        if (account.name == name) return &account;
      }
    }
    return nullptr;
  }

  // Compares one loaded account with its files. A group name refused by adddir uses up an
  // id in memory only, so the stored last id may lag behind.
  void checkAccount(const UserAccount& memory) {
    if (isUntouched(memory)) return;
    // An administrator holds a user in mode strong as its identity only.
    if (memory.mode == Strong && memory.password.empty()) return checkIdentity(memory);
    UserAccount stored;
    try {
      stored = loadFromFiles(memory.name, memory.password);
    } catch (const std::domain_error&) {
      fuzz::fail("the files of a loaded account do not load");
    }
    if (stored.lastGroupId > memory.lastGroupId) fuzz::fail("the stored last group id is ahead");
    UserAccount expected = memory;
    expected.lastGroupId = stored.lastGroupId;
    if (writeAccountText(stored) != writeAccountText(expected)) {
      fuzz::fail("the files of an account differ from memory");
    }
  }

  void checkIdentity(const UserAccount& memory) {
    try {
      const UserAccount stored = files_.loadStrongIdentity(memory.name);
      if (stored.role != memory.role) fuzz::fail("a strong user's files give another role");
    } catch (const std::domain_error&) {
      fuzz::fail("the files of a strong user do not load");
    }
  }

  void checkFiles() {
    const AccountRegistry& registry = run_.program.state().registry;
    // Only the files of listed users may be new: no temporary, no half-written save.
    for (const auto& entry : run_.fs.files()) {
      const std::string& path = entry.first;
      if (run_.files.count(path) != 0) continue;
      const auto& listed = registry.names;
      const bool userFile = std::any_of(listed.begin(), listed.end(), [&](const std::string& n) {
        return path == files_.dataFile(n) || path == files_.passwordFile(n);
      });
      if (!userFile) fuzz::fail(("a stray file was left behind: " + path).c_str());
    }
    std::string dataPath;
    std::vector<std::string> names;
    readConfig(run_.fs, kConfigPath, dataPath, names);
    if (dataPath != kDataPath) fuzz::fail("Config.ini lost the data folder");
    if (names != registry.names) fuzz::fail("Config.ini does not list the users in memory");

    for (const UserAccount& account : registry.administrators) checkAccount(account);
    for (const UserAccount& account : registry.users) checkAccount(account);
    for (const std::string& name : run_.before.names) {
      if (std::find(names.begin(), names.end(), name) != names.end()) continue;
      if (files_.hasFiles(name)) fuzz::fail("a deleted user's files remain");
    }
  }

 private:
  Run& run_;
  UserFiles files_;  // reads accounts back
};

class ShellFixture {
 public:
  ShellFixture() {
    createInstallation(installation_, kConfigPath, kDataPath, kRoot.password, Simple);
    runScript(kRoot, kRootScript);
    runScript(kUser, kUserScript);
    runScript(kPlainUser, kPlainUserScript);
    for (const auto& [path, contents] : installation_.files()) {
      const std::string_view extension = std::string_view(path).substr(path.rfind('.'));
      if (extension != ".ini" && extension != ".usr" && extension != ".usrpas") {
        fuzz::fail(("the set-up left a stray file: " + path).c_str());
      }
    }
  }

  void run(uint8_t selector, std::string_view input) {
    Run run(installation_, kLogins[selector % std::size(kLogins)]);
    try {
      run.program.shell(std::string(input));
    } catch (const std::domain_error& error) {
      fuzz::expectMessage(error, msg::kCorruptUserData);
    }
    Checker(run).checkFiles();
  }

 private:
  static constexpr Login kLogins[] = {kRoot, kAdmin, kUser};

  void runScript(const Login& who, const char* script) {
    ProgramRun program(installation_, kConfigPath);
    program.startUp();
    if (!program.logInAs(who.name, who.password)) fuzz::fail("set-up login refused");
    program.shell(script);
    if (!program.err().empty()) fuzz::fail("a set-up command failed");
  }

  MemoryFileSystem installation_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ShellFixture fixture;
  if (size == 0) return 0;
  fixture.run(data[0], fuzz::asText(data + 1, size - 1));
  return 0;
}
