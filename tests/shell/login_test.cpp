#include "shell/login.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/messages.h"
#include "session_fixture.h"
#include "storage/account_keys.h"
#include "storage/strong_data_file.h"
#include "storage/strong_keys.h"
#include "support/test_keys.h"

namespace vellumkeep {
namespace {

using LoginTest = InstalledSessionTest;

// Links and FIFOs exist on a real disk only.
using LoginOnRealDisk = InstalledRealDiskSessionTest;

TEST_F(LoginTest, LoginRewritesThePasswordFileWithNewFiller) {
  std::string before = fileOf("root", ".usrpas");
  logInAsRoot();
  EXPECT_NE(before, fileOf("root", ".usrpas"));
  restart();
  logInAsRoot();
  EXPECT_EQ("root", state().operatorName);
}

TEST_F(LoginTest, AdministratorsLoadEveryUserAndUsersOnlyThemselves) {
  logInAsRoot();
  run("addadmin admin01 adminpw1");
  run("adduser alice01 alicepw1 simple");
  restart();
  logInWith("admin01\nadminpw1\n");
  EXPECT_NE(nullptr, state().registry.findAccount("root"));
  EXPECT_NE(nullptr, state().registry.findAccount("alice01"));
  restart();
  logInWith("alice01\nalicepw1\n");
  EXPECT_EQ(nullptr, state().registry.findAccount("root"));
  EXPECT_EQ(1u, state().registry.users.size());
}

// A refused login costs one derivation at the parameters of new keys whatever the name: one is
// spent for an unknown name and for a wrong password of a simple user, none more for a strong
// user, whose own derivation refuses the password, and none for a login that succeeds.
TEST_F(LoginTest, EveryRefusalCostsOneDerivation) {
  logInAsRoot();
  run("adduser alice01 alicepw1 simple");
  run("adduser bobby01 bobbypw1 strong");
  struct Case {
    const char* name;
    const char* password;
    bool loggedIn;
    size_t spent;
  };
  const Case cases[] = {
      {"nobody1", "alicepw1", false, 1}, {"alice01", "alicepw2", false, 1},
      {"alice01", "alicepw1", true, 0},  {"bobby01", "bobbypw2", false, 0},
      {"bobby01", "bobbypw1", true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + c.password);
    restart();
    AccountStore& store = state().store;
    std::vector<KdfParameters> spent;
    store.refusalDerivation = [&spent, derive = store.refusalDerivation](
                                  std::string_view typed, const Salt& salt,
                                  const KdfParameters& params) {
      spent.push_back(params);
      return derive(typed, salt, params);
    };
    EXPECT_EQ(c.loggedIn, store.checkCredentials(state().registry, c.name, c.password));
    EXPECT_EQ(std::vector<KdfParameters>(c.spent, files().kdfParameters), spent);
  }
  // The parameters of new keys, which these tests lower, are the defaults in the program.
  EXPECT_EQ(kDefaultKdfParameters, AccountStore(fs_, "Config.ini").files().kdfParameters);
}

TEST_F(LoginTest, RefusalWhoseDerivationGetsNoMemoryStands) {
  state().store.refusalDerivation = [](std::string_view, const Salt&,
                                       const KdfParameters&) -> SecretBytes {
    throw std::bad_alloc();
  };
  SessionOutput result = attempt("nobody1\nwhatpw1\n");
  EXPECT_EQ("", result.err);
  EXPECT_NE(std::string::npos, result.out.find(std::string(msg::kLoginFailed) + "\n"));
}

// Each kind of damage to alice01's files is reported at her login, and the next attempt
// goes on as usual.
TEST_F(LoginOnRealDisk, DamagedUserIsReportedAndTheNextAttemptGoesOn) {
  logInAsRoot();
  run("adduser alice01 alicepw1 simple");
  run("adduser bobby01 bobbypw1 simple");
  restart();
  logInWith("alice01\nalicepw1\n");
  run("adddir mail");
  run("addpassword mail web01 secret9 url mail.example.org note primary");
  const std::string data = files().dataFile("alice01");
  const std::string password = files().passwordFile("alice01");
  const std::string cut = contents(data);
  using Damage = std::function<void()>;
  const std::pair<const char*, Damage> damages[] = {
      {"no password file", [&] { std::filesystem::remove(password); }},
      {"data file cut short", [&] { std::filesystem::resize_file(data, cut.size() - 40); }},
      {"a FIFO as data file", [&] { std::filesystem::remove(data), ::mkfifo(data.c_str(), 0600); }},
      {"a link as password file",
       [&] {
         std::filesystem::remove(password);
         std::filesystem::create_symlink(files().passwordFile("bobby01"), password);
       }},
  };
  for (const auto& [what, damage] : damages) {
    SCOPED_TRACE(what);
    const std::string savedData = contents(data);
    const std::string savedPassword = contents(password);
    restart();
    damage();
    SessionOutput result = logInWith("alice01\nalicepw1\nbobby01\nbobbypw1\n");
    EXPECT_EQ(std::string(msg::kCorruptUserData) + "\n", result.err);
    EXPECT_EQ("bobby01", state().operatorName);
    std::filesystem::remove(data);
    std::filesystem::remove(password);
    writeFileDurably(fs_, data, savedData);
    writeFileDurably(fs_, password, savedPassword);
  }
}

// A hand-edited Config.ini may list names that break the user-name rules; no path is built
// of them, so they read outside the data folder never.
TEST_F(LoginTest, ListedNamesThatBreakTheRulesAreDamage) {
  logInAsRoot();
  run("adduser alice01 alicepw1 simple");
  for (const std::string name : {"../data/alice01", "ali ce", "alice01/", "x"}) {
    restart();
    state().registry.names.push_back(name);
    SessionOutput result = attempt(name + "\nalicepw1\n");
    EXPECT_EQ(std::string(msg::kCorruptUserData) + "\n", result.err) << name;
    EXPECT_EQ(nullptr, state().registry.findAccount("alice01")) << name;
  }
  // Root's login names such a name as a damaged user and loads the others.
  restart();
  state().registry.names.insert(state().registry.names.begin() + 1, "../data/alice01");
  SessionOutput result = logInAsRoot();
  EXPECT_EQ(std::string(msg::kCorruptUserData) + "\n  ../data/alice01\n", result.err);
  EXPECT_NE(nullptr, state().registry.findUser("alice01"));
}

// deluser removes the line of a listed name that breaks the rules, and builds no path of it:
// "../data/alice01" would lead to alice01's own files.
TEST_F(LoginOnRealDisk, DeletingANameThatBreaksTheRulesTouchesNoFile) {
  logInAsRoot();
  run("adduser alice01 alicepw1 simple");
  restart();
  state().registry.names.push_back("../data/alice01");
  logInAsRoot();
  EXPECT_EQ("", run("deluser ../data/alice01", "Y\n").err);
  EXPECT_TRUE(exists("alice01", ".usr"));
  EXPECT_TRUE(exists("alice01", ".usrpas"));
  restart();
  EXPECT_EQ((std::vector<std::string>{"root", "alice01"}), state().registry.names);
}

// What root's login reports for each damaged user: the message, then the name.
std::string damageReport(const std::vector<std::string>& names) {
  std::string report;
  for (const std::string& name : names)
    report += std::string(msg::kCorruptUserData) + "\n  " + name + "\n";
  return report;
}

// Root's login names a damaged user and loads every other one; deluser deletes the damaged one,
// its files and its line in Config.ini.
class DamagedUserTest : public LoginTest {
 protected:
  // alice01 first, so that every other user comes after her in Config.ini.
  void addUsers() {
    logInAsRoot();
    run("adduser alice01 alicepw1 strong");
    run("adduser bobby01 bobbypw1 simple");
    run("adduser carol01 carolpw1 strong");
    restart();
  }

  // What `user` shows when bobby01 and carol01 are the only users.
  std::string healthyUsers() {
    addUsers();
    logInAsRoot();
    run("deluser alice01", "Y\n");
    const std::string listed = run("user").out;
    run("deluser bobby01", "Y\n");
    run("deluser carol01", "Y\n");
    restart();
    return listed;
  }

  // Writes the data file of `name` anew with a strong header claiming `role`.
  void strongDataOfRole(const std::string& name, int32_t role) {
    writeFileDurably(fs_, files().dataFile(name),
                     sealStrongData({name, role}, quickKeys("anypass1"), ""));
  }
};

TEST_F(DamagedUserTest, RootSeesAndDeletesADamagedUser) {
  const std::string listed = healthyUsers();
  const std::string data = files().dataFile("alice01");
  const std::string password = files().passwordFile("alice01");
  using Damage = std::function<void()>;
  const std::pair<const char*, Damage> damages[] = {
      {"a changed byte in the strong header",
       [&] {
         std::string file = contents(data);
         file[36] ^= 0x01;
         writeFileDurably(fs_, data, file);
       }},
      {"no files at all", [&] { fs_.removeFile(data), fs_.removeFile(password); }},
      {"no password file", [&] { fs_.removeFile(password); }},
      {"a strong header claiming root's role",
       [&] { strongDataOfRole("alice01", SystemAdministrator); }},
      {"a strong header claiming the super administrator",
       [&] { strongDataOfRole("alice01", SuperAdministrator); }},
      {"a strong header claiming no role", [&] { strongDataOfRole("alice01", 16); }},
      {"a simple data file claiming no role",
       [&] {
         const UserAccount account = makeAccount("alice01", "alicepw1", Simple, 0);
         files().storePasswordFile(account, AccountKeys::coded("alice01"));
         files().saveAccount(account, AccountKeys::coded("alice01"));
       }},
  };
  for (const auto& [what, damage] : damages) {
    SCOPED_TRACE(what);
    addUsers();
    damage();
    EXPECT_EQ(damageReport({"alice01"}), logInAsRoot().err);
    EXPECT_EQ(nullptr, state().registry.findAccount("alice01"));
    EXPECT_EQ(listed, run("user").out);
    for (const char* name : {"alice01", "bobby01", "carol01"}) {
      EXPECT_EQ("", run(std::string("deluser ") + name, "Y\n").err) << name;
      EXPECT_FALSE(exists(name, ".usr") || exists(name, ".usrpas")) << name;
    }
    restart();
    EXPECT_EQ(std::vector<std::string>{"root"}, state().registry.names);
  }
}

// One block for each damaged user, also for a name listed twice; a strong header of a user's
// role loads.
TEST_F(DamagedUserTest, EveryDamagedUserIsNamedOnce) {
  addUsers();
  fs_.removeFile(files().dataFile("alice01"));
  fs_.removeFile(files().passwordFile("bobby01"));
  strongDataOfRole("carol01", User);
  state().registry.names.push_back("alice01");
  EXPECT_EQ(damageReport({"alice01", "bobby01"}), logInAsRoot().err);
  EXPECT_NE(nullptr, state().registry.findUser("carol01"));
}

// An Administrator loads the others as root does; a damaged account may be an administrator's,
// so it leaves the account to root, and deladmin takes none.
TEST_F(DamagedUserTest, AnAdministratorLeavesADamagedUserToRoot) {
  addUsers();
  logInAsRoot();
  run("addadmin admin01 adminpw1");
  restart();
  fs_.removeFile(files().passwordFile("alice01"));
  EXPECT_EQ(damageReport({"alice01"}), logInWith("admin01\nadminpw1\n").err);
  EXPECT_NE(nullptr, state().registry.findUser("carol01"));
  EXPECT_EQ(failure(msg::kNoPermission), run("deluser alice01", "Y\n").err);
  restart();
  logInAsRoot();
  EXPECT_EQ(failure(msg::kNotAdministrator), run("deladmin alice01", "y\n").err);
  EXPECT_TRUE(exists("alice01", ".usr"));
}

}  // namespace
}  // namespace vellumkeep
