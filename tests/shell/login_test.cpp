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
#include "storage/strong_keys.h"

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
  // Root's login stops at such a name, as at any damaged user.
  restart();
  state().registry.names.insert(state().registry.names.begin() + 1, "../data/alice01");
  SessionOutput result = logInAsRoot();
  EXPECT_EQ(std::string(msg::kCorruptUserData) + "\n", result.err);
}

}  // namespace
}  // namespace vellumkeep
