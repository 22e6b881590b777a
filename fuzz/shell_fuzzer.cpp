// The whole shell in-process: any bytes as console input (command lines, questions and
// answers) for an Operator logged in on a temporary installation. The input's first byte
// picks the Operator: root, an administrator or a user. Every input starts from the same
// memory and files. Afterwards the files must hold what memory holds: Config.ini the user
// list, each loaded account's files its password, mode and store, and no working file left.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "model/messages.h"
#include "platform/console.h"
#include "platform/posix_file_system.h"
#include "program_state.h"
#include "shell/shell.h"
#include "storage/account_storage.h"
#include "storage/account_text.h"
#include "storage/config_file.h"
#include "storage/file_io.h"
#include "storage/installation.h"
#include "storage/strong_keys.h"
#include "storage/strong_password_file.h"

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

// A folder for the installation, in memory where the system offers one: saves sync.
std::string makeFolder() {
  const bool shm = access("/dev/shm", W_OK) == 0;
  std::string pattern =
      (shm ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path()) /
      "vellumkeep-fuzz-XXXXXX";
  if (!mkdtemp(pattern.data())) fuzz::fail("cannot create a temporary folder");
  return pattern + "/";
}

// The regular files under `folder` (one level of subfolders), by path.
std::vector<std::string> filesUnder(const std::string& folder) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) files.push_back(entry.path().string());
  }
  return files;
}

// An account with its own state: the memory and files one login leaves.
struct LoggedIn {
  std::string name;
  AccountRegistry registry;
};

class ShellFixture {
 public:
  ShellFixture()
      : folder_(makeFolder()),
        configPath_(folder_ + "Config.ini"),
        dataPath_(folder_ + "data/"),
        checker_(fs_) {
    checker_.dataPath = dataPath_;
    createInstallation(fs_, configPath_, dataPath_, kRoot.password, Simple);
    runScript(kRoot, kRootScript);
    runScript(kUser, kUserScript);
    runScript(kPlainUser, kPlainUserScript);
    logins_ = {logIn(kRoot), logIn(kAdmin), logIn(kUser)};
    for (const std::string& path : filesUnder(folder_)) {
      if (!readFile(fs_, path, snapshot_[path])) fuzz::fail("cannot read the installation");
      const std::string_view extension = std::string_view(path).substr(path.rfind('.'));
      if (extension != ".ini" && extension != ".usr" && extension != ".usrpas") {
        fuzz::fail(("the set-up left a stray file: " + path).c_str());
      }
    }
  }

  ~ShellFixture() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  ShellFixture(const ShellFixture&) = delete;
  ShellFixture& operator=(const ShellFixture&) = delete;

  void run(uint8_t selector, std::string_view input) {
    const LoggedIn& login = logins_[selector % logins_.size()];
    std::istringstream in{std::string(input)};
    std::ostringstream out;
    std::ostringstream err;
    Console console(in, out, ConsoleEncoding::kUtf8, err, ConsoleEncoding::kUtf8);
    ProgramState state(console, fs_, configPath_);
    state.files.dataPath = dataPath_;
    // setmode strong derives keys: at the cheapest cost, so that the inputs run fast.
    state.files.kdfParameters = kMinimumKdfParameters;
    state.registry = login.registry;
    state.operatorName = login.name;
    state.files.keyCodeTable(login.name);
    try {
      runShell(state);
    } catch (const std::domain_error& error) {
      fuzz::expectMessage(error, msg::kCorruptUserData);
    }
    checkFiles(state, login.registry);
    restoreFiles();
  }

 private:
  // Starts a state as a login of `who` would leave it; the name must pass.
  void startAs(ProgramState& state, const Login& who) {
    startUp(state);
    if (!checkCredentials(state, who.name, who.password)) fuzz::fail("set-up login refused");
    state.operatorName = who.name;
    const int32_t role = state.operatorAccount().role;
    if (role == Administrator || role == SystemAdministrator) loadOtherAccounts(state);
    saveOperatorCredentials(state);
  }

  void runScript(const Login& who, const char* script) {
    std::istringstream in(script);
    std::ostringstream out;
    std::ostringstream err;
    Console console(in, out, ConsoleEncoding::kUtf8, err, ConsoleEncoding::kUtf8);
    ProgramState state(console, fs_, configPath_);
    startAs(state, who);
    runShell(state);
    if (!err.str().empty()) fuzz::fail("a set-up command failed");
  }

  LoggedIn logIn(const Login& who) {
    std::istringstream in;
    std::ostringstream out;
    Console console(in, out, ConsoleEncoding::kUtf8, out, ConsoleEncoding::kUtf8);
    ProgramState state(console, fs_, configPath_);
    startAs(state, who);
    return {who.name, state.registry};
  }

  // The account `name` as its files hold it, read as login reads it; in mode strong opened
  // with the keys of `password`, the password memory holds.
  UserAccount loadFromFiles(const std::string& name, const std::string& password) {
    UserFiles& files = checker_;
    files.keyCodeTable(name);
    const PasswordRecord record = files.loadPasswordFile(name);
    std::optional<StrongKeys> keys;
    if (record.strong) {
      keys = deriveStrongKeys(password, record.strong->salt, record.strong->params);
      if (!verifyPassword(*keys, *record.strong)) fuzz::fail("the password does not open them");
    } else if (record.password != password) {
      fuzz::fail("data file and password file disagree");
    }
    UserAccount account;
    files.loadAccountText(record.mode, name, keysOrNull(keys), account);
    if (account.password != password) fuzz::fail("data file and memory disagree on the password");
    if (account.mode != record.mode) fuzz::fail("data file and password file give different modes");
    return account;
  }

  // True when the account is as the set-up left it, in memory and in both files.
  bool isUntouched(const UserAccount& memory, const AccountRegistry& before) {
    const UserAccount* original = findLoaded(before, memory.name);
    if (!original || writeAccountText(*original) != writeAccountText(memory)) return false;
    std::string contents;
    for (const std::string& path :
         {checker_.dataFile(memory.name), checker_.passwordFile(memory.name)}) {
      const auto saved = snapshot_.find(path);
      if (saved == snapshot_.end() || !readFile(fs_, path, contents) || contents != saved->second) {
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
  void checkAccount(const UserAccount& memory, const AccountRegistry& before) {
    if (isUntouched(memory, before)) return;
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
      const UserAccount stored = checker_.loadStrongIdentity(memory.name);
      if (stored.role != memory.role) fuzz::fail("a strong user's files give another role");
    } catch (const std::domain_error&) {
      fuzz::fail("the files of a strong user do not load");
    }
  }

  void checkFiles(ProgramState& state, const AccountRegistry& before) {
    // Only the files of listed users may be new: no temporary, no half-written save.
    for (const std::string& path : filesUnder(folder_)) {
      if (snapshot_.count(path) != 0) continue;
      const auto& listed = state.registry.names;
      const bool userFile = std::any_of(listed.begin(), listed.end(), [&](const std::string& n) {
        return path == state.files.dataFile(n) || path == state.files.passwordFile(n);
      });
      if (!userFile) fuzz::fail(("a stray file was left behind: " + path).c_str());
    }
    std::string dataPath;
    std::vector<std::string> names;
    readConfig(fs_, configPath_, dataPath, names);
    if (dataPath != dataPath_) fuzz::fail("Config.ini lost the data folder");
    if (names != state.registry.names) fuzz::fail("Config.ini does not list the users in memory");

    for (const UserAccount& account : state.registry.administrators) checkAccount(account, before);
    for (const UserAccount& account : state.registry.users) checkAccount(account, before);
    for (const std::string& name : before.names) {
      if (std::find(names.begin(), names.end(), name) != names.end()) continue;
      if (state.files.hasFiles(name)) {
        fuzz::fail("a deleted user's files remain");
      }
    }
  }

  // Puts the installation back as it was before the input, writing only what changed.
  void restoreFiles() {
    for (const std::string& path : filesUnder(folder_)) {
      if (snapshot_.count(path) == 0) fs_.removeFile(path);
    }
    std::string contents;
    for (const auto& [path, original] : snapshot_) {
      if (readFile(fs_, path, contents) && contents == original) continue;
      writeFileDurably(fs_, path, original);
    }
  }

  PosixFileSystem fs_;
  std::string folder_;
  std::string configPath_;
  std::string dataPath_;
  std::array<LoggedIn, 3> logins_;
  std::map<std::string, std::string> snapshot_;  // path -> contents after the set-up
  UserFiles checker_;                            // reads accounts back for the checks
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ShellFixture fixture;
  if (size == 0) return 0;
  fixture.run(data[0], fuzz::asText(data + 1, size - 1));
  return 0;
}
