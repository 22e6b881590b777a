// make_installation FOLDER single NAME CREDENTIALS MODE
// make_installation FOLDER admin USERS CREDENTIALS
// Creates a benchmark installation in FOLDER (Config.ini and data/) directly through the
// library, as the program creates accounts. "single": root and the user NAME (password
// "benchpw1") holding CREDENTIALS credentials in mode "simple", "unencrypted" or "strong" (keys
// derived at the program's own default cost, since logins measure that derivation). "admin":
// root, the administrator admin01 (password "adminpw1") and USERS users user0001... each
// holding CREDENTIALS credentials.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "bench/bench_data.h"
#include "model/account_registry.h"
#include "platform/posix_file_system.h"
#include "storage/config_file.h"
#include "storage/user_files.h"

namespace {

using namespace vellumkeep;

constexpr char kUserPassword[] = "benchpw1";
constexpr char kAdminPassword[] = "adminpw1";
constexpr char kRootPassword[] = "rootpw12";

// Both files of `account`, written the way the program writes a new account's files.
void writeAccount(UserFiles& files, const UserAccount& account) {
  files.writeNewAccount(account, files.makeKeys(account));
  files.commitNewAccount(account.name);
}

// The mode named on the command line; false for a name that is no mode.
bool modeNamed(const std::string& name, int32_t& mode) {
  const ModeRow* row = findMode(name);
  if (row) mode = row->code;
  return row != nullptr;
}

int usage() {
  std::fprintf(stderr,
               "usage: make_installation FOLDER single NAME CREDENTIALS simple|unencrypted|strong\n"
               "       make_installation FOLDER admin USERS CREDENTIALS\n");
  return 2;
}

int run(int argc, char** argv) {
  if (argc < 5) return usage();
  const std::string folder = std::string(argv[1]) + "/";
  const std::string kind = argv[2];
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return usage();
  PosixFileSystem fs;
  UserFiles files(fs);
  files.dataPath = folder + "data/";
  if (::mkdir(files.dataPath.c_str(), 0700) != 0 && errno != EEXIST) return usage();
  std::vector<std::string> names{kRootName};
  writeAccount(files, makeAccount(kRootName, kRootPassword, Simple, SystemAdministrator));
  int32_t mode = Simple;
  if (kind == "single" && argc == 6 && modeNamed(argv[5], mode)) {
    names.push_back(argv[3]);
    writeAccount(files,
                 bench::makeBenchAccount(argv[3], kUserPassword, mode, User, std::stoi(argv[4])));
  } else if (kind == "admin") {
    names.push_back("admin01");
    writeAccount(files, makeAccount("admin01", kAdminPassword, Simple, Administrator));
    const int users = std::stoi(argv[3]);
    const int credentials = std::stoi(argv[4]);
    for (int i = 1; i <= users; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "user%04d", i);
      names.push_back(name);
      writeAccount(files, bench::makeBenchAccount(name, kUserPassword, Simple, User, credentials));
    }
  } else {
    return usage();
  }
  writeConfig(fs, folder + "Config.ini", "data/", names);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make_installation: %s\n", error.what());
    return 1;
  }
}
