// Every step a changing command or a login takes on the disk, failed on cue and cut off by a
// kill, in-process on a file system in memory. After a failed step (or two, or an existence
// check that cannot tell) the program reports "文件写入失败!" and memory matches the files,
// which are as before the command; a command that reports success has made its whole change.
// After a kill, also one during the recovery from a kill, a new start finds the files as
// before or as after the command, every listed user loads, and no other file is left.
#include <gtest/gtest.h>

#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "exec/program_state.h"
#include "model/messages.h"
#include "storage/account_text.h"
#include "storage/config_file.h"
#include "storage/installation.h"
#include "storage/strong_keys.h"
#include "storage/strong_password_file.h"
#include "support/memory_file_system.h"
#include "support/program_run.h"

namespace vellumkeep {
namespace {

constexpr char kConfigPath[] = "inst/Config.ini";
constexpr char kDataPath[] = "inst/data/";
constexpr char kRootPassword[] = "rootpw1";

// One run of the program on the installation, started as the program starts.
class InstalledRun : public ProgramRun {
 public:
  explicit InstalledRun(MemoryFileSystem& fs) : ProgramRun(fs, kConfigPath) { startUp(); }

  void logIn(const std::string& name, const std::string& password) {
    login(name + "\n" + password + "\n");
  }
  // Runs command lines (with their answers) until the input ends.
  void commands(const std::string& input) { shell(input + "\n"); }
};

// Users, each account's meaning (password file mode and password, account text), or that it
// does not load.
struct Snapshot {
  std::vector<std::string> names;
  std::map<std::string, std::string> accounts;

  bool operator==(const Snapshot& other) const {
    return names == other.names && accounts == other.accounts;
  }
};

std::ostream& operator<<(std::ostream& out, const Snapshot& snapshot) {
  for (const std::string& name : snapshot.names) out << name << " ";
  out << "\n";
  for (const auto& [name, account] : snapshot.accounts) out << name << ": " << account << "\n";
  return out;
}

// The login passwords of the test's users, the one they log in with first; then those that a
// change may give them.
std::vector<std::string> passwordsOf(const std::string& name) {
  const std::map<std::string, std::vector<std::string>> passwords = {
      {"root", {kRootPassword, "rootpw9", "rootpw88"}},
      {"alice01", {"alicepw1", "alicepw9", "alicepw7"}},
      {"carol01", {"carolpw1"}},
      {"eve0001", {"evepw002", "evepw003"}},
      {"fred001", {"fredpw01"}},
      {"fred002", {"fredpw02", "fredpw03"}},
      {"bob0001", {"bobpw001"}},
      {"adm0001", {"admpw001"}},
      {"dave001", {"davepw01"}},
      {"adm0002", {"admpw002"}},
      {"adm0003", {"admpw003"}}};
  return passwords.at(name);
}

std::string passwordOf(const std::string& name) {
  return passwordsOf(name).front();
}

std::string describe(int32_t mode, const std::string& password, const UserAccount& account) {
  return std::to_string(mode) + " " + password + "\n" + writeAccountText(account);
}

// What a new start finds: it recovers the data folder first, as the program does.
Snapshot fromFiles(MemoryFileSystem& fs) {
  InstalledRun run(fs);
  ProgramState& state = run.state();
  Snapshot snapshot{state.registry.names, {}};
  UserFiles& files = state.store.files();
  for (const std::string& name : state.registry.names) {
    try {
      const PasswordRecord record = files.loadPasswordFile(name);
      // A coded password file gives its password away; a strong one needs one of the user's.
      const std::vector<std::string> candidates =
          record.strong ? passwordsOf(name) : std::vector<std::string>{record.password};
      std::optional<AccountKeys> keys;
      std::string password;
      for (const std::string& known : candidates) {
        if ((keys = files.unlock(name, record, known))) {
          password = known;
          break;
        }
      }
      if (!keys) throw std::domain_error("wrong password");
      UserAccount account;
      files.loadAccountText(record.mode, name, *keys, account);
      // Login takes only the password that both files hold.
      if (account.password != password) throw std::domain_error("another password");
      snapshot.accounts[name] = describe(record.mode, account.password, account);
    } catch (const std::domain_error&) {
      snapshot.accounts[name] = "damaged";
    }
  }
  return snapshot;
}

// The accounts a session holds in memory, as their files should hold them.
Snapshot fromMemory(ProgramState& state) {
  Snapshot snapshot{state.registry.names, {}};
  for (const std::string& name : state.registry.names) {
    const UserAccount* account = state.registry.findAccount(name);
    // An administrator holds a user in mode strong as its identity only.
    const bool identityOnly = account && account->mode == Strong && account->password.empty();
    if (account && !identityOnly) {
      snapshot.accounts[name] = describe(account->mode, account->password, *account);
    }
  }
  return snapshot;
}

// Memory agrees with the files for every account it holds.
void expectMemoryMatches(const Snapshot& memory, const Snapshot& files) {
  EXPECT_EQ(memory.names, files.names);
  for (const auto& [name, account] : memory.accounts) {
    auto stored = files.accounts.find(name);
    ASSERT_NE(stored, files.accounts.end()) << name;
    EXPECT_EQ(account, stored->second) << name;
  }
}

constexpr MemoryFileSystem::Cut kCuts[] = {MemoryFileSystem::Cut::kKill,
                                           MemoryFileSystem::Cut::kPowerCut};

std::string cutName(MemoryFileSystem::Cut cut) {
  return cut == MemoryFileSystem::Cut::kKill ? " (killed)" : " (power cut)";
}

struct Change {
  std::string operatorName;  // empty: the input is a whole login
  std::string input;         // the command line, then its answers
};

// clang-format off
const Change kChanges[] = {
    {"alice01", "adddir travel"},
    {"alice01", "addpassword mail shop01 shoppw1 url shop.example"},
    {"alice01", "deldir bank\nY"},
    {"alice01", "delpassword mail web01\ny"},
    {"alice01", "setmode unencrypted"},
    {"carol01", "setmode simple"},
    {"root", "setpassword rootpw9"},
    {"root", "adduser dave001 davepw01 simple"},
    {"root", "addadmin adm0002 admpw002"},
    {"root", "deluser bob0001\nY"},
    {"root", "deladmin adm0001\ny"},
    {"alice01", "setmode strong\nalicepw9\nalicepw9"},
    {"eve0001", "adddir travel"},
    {"eve0001", "delpassword vault k1\ny"},
    {"eve0001", "setmode simple"},
    {"root", "adduser fred001 fredpw01 strong"},
    {"root", "addadmin adm0003 admpw003 strong"},
    {"root", "deluser eve0001\nY"},
    {"alice01", "editpassword mail web01 newpw99"},
    {"alice01", "editpassword mail web02\n\nY\nY\nurl\nw.example\nN"},
    {"alice01", "movepassword mail web02 bank"},
    {"alice01", "renamedir bank money"},
    {"eve0001", "editpassword vault k1 keypw009"},
    {"eve0001", "renamedir vault safe"},
    {"alice01", "changepassword\nalicepw1\nalicepw7\nalicepw7"},
    {"eve0001", "changepassword\nevepw002\nevepw003\nevepw003"},
    {"root", "changepassword strong\nrootpw1\nrootpw88\nrootpw88"},
    // The first login of an account whose password root chose replaces it.
    {"", "fred002\nfredpw02\nfredpw03\nfredpw03"},
};
// clang-format on

class FaultSteps : public ::testing::Test {
 protected:
  FaultSteps() {
    base_.makeFolder("inst");
    createInstallation(base_, kConfigPath, kDataPath, kRootPassword, Simple);
    setUp("root", kRootPassword,
          "adduser alice01 alicepw1 simple\nadduser bob0001 bobpw001 simple\n"
          "addadmin adm0001 admpw001\nadduser carol01 carolpw1 simple\n"
          "adduser eve0001 evepw001 strong\nadduser fred002 fredpw02 strong");
    setUp("alice01", "alicepw1",
          "adddir mail\naddpassword mail web01 secret9 url mail.example.org\n"
          "addpassword mail web02 secret8\nadddir bank");
    setUp("carol01", "carolpw1", "adddir notes\naddpassword notes n1 notepw1\nsetmode unencrypted");
    setUp("eve0001", "evepw001\nevepw002\nevepw002",
          "adddir vault\naddpassword vault k1 keypw001 pin 4711");
    base_.syncEverything();
    MemoryFileSystem copy(base_);
    before_ = fromFiles(copy);
  }

  void setUp(const std::string& name, const std::string& password, const std::string& input) {
    InstalledRun run(base_);
    run.logIn(name, password);
    run.commands(input);
    ASSERT_EQ("", run.err()) << input;
  }

  // A run from the installed state: logged in, then `fault` is armed `step` steps on, and
  // `input` (if any) runs.
  template <typename Arm>
  std::string runWith(MemoryFileSystem& fs, const Change& change, Arm arm, Snapshot* memory) {
    InstalledRun run(fs);
    if (change.operatorName.empty()) {
      arm(fs.steps());
      try {
        run.login(change.input + "\n");
      } catch (const InputExhausted&) {
        // A change that failed is asked for again, and the input has ended.
      }
    } else {
      run.logIn(change.operatorName, passwordOf(change.operatorName));
      arm(fs.steps());
      run.commands(change.input);
    }
    fs.heal();
    if (memory) *memory = fromMemory(run.state());
    return run.err();
  }

  // How many steps the change takes, and the files after it.
  std::size_t measure(const Change& change, Snapshot& after, std::size_t* checks = nullptr) {
    MemoryFileSystem fs(base_);
    std::size_t start = 0;
    std::size_t checksBefore = 0;
    EXPECT_EQ("", runWith(
                      fs, change,
                      [&](std::size_t now) {
                        start = now;
                        checksBefore = fs.checks();
                      },
                      nullptr));
    const std::size_t steps = fs.steps() - start;
    if (checks) *checks = fs.checks() - checksBefore;
    after = fromFiles(fs);
    return steps;
  }

  // How many steps a run of the change takes when `arm` makes it fail.
  template <typename Arm>
  std::size_t stepsWith(const Change& change, Arm arm) {
    MemoryFileSystem fs(base_);
    std::size_t start = 0;
    runWith(
        fs, change,
        [&](std::size_t now) {
          start = now;
          arm(fs, now);
        },
        nullptr);
    return fs.steps() - start;
  }

  // The files are Config.ini and the two files of each user it lists, no other.
  void expectOnlyUserFiles(MemoryFileSystem& fs) {
    std::string dataPath;
    std::vector<std::string> names;
    readConfig(fs, kConfigPath, dataPath, names);
    std::set<std::string> expected{kConfigPath};
    for (const std::string& name : names) {
      expected.insert(kDataPath + name + ".usr");
      expected.insert(kDataPath + name + ".usrpas");
    }
    for (const auto& [path, contents] : fs.files()) {
      EXPECT_EQ(1u, expected.count(path)) << "left behind: " << path;
    }
  }

  // What a run that reported `err` must leave: after a failure the files as before and no
  // other message, after success the files as after the change; memory as the files.
  void expectAsReported(const std::string& err, const Snapshot& memory, const Snapshot& after,
                        MemoryFileSystem& fs) {
    const Snapshot files = fromFiles(fs);
    if (err.empty()) {
      EXPECT_EQ(after, files);
    } else {
      // The shell follows a message with an empty line, login does not.
      EXPECT_TRUE(err == std::string(msg::kWriteFailed) + "\n\n" ||
                  err == std::string(msg::kWriteFailed) + "\n")
          << err;
      EXPECT_EQ(before_, files);
    }
    expectMemoryMatches(memory, files);
    expectOnlyUserFiles(fs);
  }

  // How many steps a start on `fs` takes to recover the data folder.
  static std::size_t stepsOfStart(const MemoryFileSystem& fs) {
    MemoryFileSystem copy(fs);
    const std::size_t start = copy.steps();
    ProgramRun(copy, kConfigPath).startUp();
    return copy.steps() - start;
  }

  MemoryFileSystem base_;
  Snapshot before_;
};

TEST_F(FaultSteps, AFailedStepIsReportedAndChangesNothing) {
  std::size_t faults = 0;
  for (const Change& change : kChanges) {
    SCOPED_TRACE(change.input);
    Snapshot after;
    const std::size_t steps = measure(change, after);
    std::size_t reported = 0;
    for (std::size_t step = 1; step <= steps; ++step) {
      SCOPED_TRACE("step " + std::to_string(step));
      ++faults;
      MemoryFileSystem fs(base_);
      Snapshot memory;
      const std::string err = runWith(
          fs, change, [&](std::size_t now) { fs.failAt(now + step); }, &memory);
      reported += err.empty() ? 0 : 1;
      // A step whose failure leaves the change whole reports success.
      expectAsReported(err, memory, after, fs);
    }
    EXPECT_GT(reported, 0u);
  }
  std::cout << faults << " steps failed in " << std::size(kChanges) << " changes\n";
}

// A failure while the change is undone after a first one: the undo's steps are as unreliable.
TEST_F(FaultSteps, ASecondFailureDuringTheUndoIsReportedAsItEnds) {
  std::size_t faults = 0;
  for (const Change& change : kChanges) {
    SCOPED_TRACE(change.input);
    Snapshot after;
    const std::size_t steps = measure(change, after);
    for (std::size_t first = 1; first <= steps; ++first) {
      const std::size_t taken =
          stepsWith(change, [&](MemoryFileSystem& fs, std::size_t now) { fs.failAt(now + first); });
      for (std::size_t second = first + 1; second <= taken; ++second) {
        SCOPED_TRACE("steps " + std::to_string(first) + " and " + std::to_string(second));
        ++faults;
        MemoryFileSystem fs(base_);
        Snapshot memory;
        const std::string err = runWith(
            fs, change,
            [&](std::size_t now) {
              fs.failAt(now + first);
              fs.failAt(now + second);
            },
            &memory);
        expectAsReported(err, memory, after, fs);
      }
    }
  }
  std::cout << faults << " pairs of steps failed in " << std::size(kChanges) << " changes\n";
}

// An existence check that fails (an I/O error) is never taken for "no such file".
TEST_F(FaultSteps, AnExistenceCheckThatCannotTellIsReportedAndChangesNothing) {
  std::size_t faults = 0;
  for (const Change& change : kChanges) {
    SCOPED_TRACE(change.input);
    Snapshot after;
    std::size_t checks = 0;
    measure(change, after, &checks);
    for (std::size_t check = 1; check <= checks; ++check) {
      SCOPED_TRACE("check " + std::to_string(check));
      MemoryFileSystem fs(base_);
      Snapshot memory;
      const std::string err = runWith(
          fs, change, [&](std::size_t) { fs.failCheckAt(fs.checks() + check); }, &memory);
      expectAsReported(err, memory, after, fs);
      ++faults;
    }
  }
  std::cout << faults << " existence checks failed in " << std::size(kChanges) << " changes\n";
}

// A kill, and a power cut besides, at every step; once the change has reported success only
// its new state may follow.
TEST_F(FaultSteps, AKillAtAnyStepLeavesTheOldOrTheNewState) {
  std::size_t kills = 0;
  for (const Change& change : kChanges) {
    SCOPED_TRACE(change.input);
    Snapshot after;
    const std::size_t steps = measure(change, after);
    for (std::size_t step = 1; step <= steps + 1; ++step) {
      for (const MemoryFileSystem::Cut cut : kCuts) {
        SCOPED_TRACE("step " + std::to_string(step) + cutName(cut));
        ++kills;
        MemoryFileSystem fs(base_);
        runWith(
            fs, change, [&](std::size_t now) { fs.failFrom(now + step); }, nullptr);
        fs.endRun(cut);
        const Snapshot files = fromFiles(fs);
        if (step > steps) {
          EXPECT_EQ(after, files);
        } else {
          EXPECT_TRUE(files == before_ || files == after) << files;
        }
        expectOnlyUserFiles(fs);
      }
    }
  }
  std::cout << kills << " kills in " << std::size(kChanges) << " changes\n";
}

// A kill at any step of a change, then another at any step of the start that recovers from
// it: the next start still finds the old or the new state.
TEST_F(FaultSteps, AKillDuringTheRecoveryFromAKillLeavesTheOldOrTheNewState) {
  std::size_t kills = 0;
  for (const Change& change : kChanges) {
    SCOPED_TRACE(change.input);
    Snapshot after;
    const std::size_t steps = measure(change, after);
    for (std::size_t step = 1; step <= steps; ++step) {
      for (const MemoryFileSystem::Cut cut : kCuts) {
        MemoryFileSystem killed(base_);
        runWith(
            killed, change, [&](std::size_t now) { killed.failFrom(now + step); }, nullptr);
        killed.endRun(cut);
        const std::size_t recoverySteps = stepsOfStart(killed);
        for (std::size_t again = 1; again <= recoverySteps; ++again) {
          for (const MemoryFileSystem::Cut cutAgain : kCuts) {
            SCOPED_TRACE("step " + std::to_string(step) + cutName(cut) + ", recovery step " +
                         std::to_string(again) + cutName(cutAgain));
            ++kills;
            MemoryFileSystem fs(killed);
            ProgramRun start(fs, kConfigPath);
            fs.failFrom(fs.steps() + again);
            start.startUp();
            fs.endRun(cutAgain);
            const Snapshot files = fromFiles(fs);
            EXPECT_TRUE(files == before_ || files == after) << files;
            expectOnlyUserFiles(fs);
          }
        }
      }
    }
  }
  std::cout << kills << " kills of a recovery in " << std::size(kChanges) << " changes\n";
}

// A command on the same name after a change that failed at any step acts as it would after
// the change reported: done, or not done.
TEST_F(FaultSteps, AfterAFailedStepTheNameIsAsReported) {
  struct Sequel {
    Change change;
    std::string next;  // by the same operator
  };
  const Sequel sequels[] = {
      {{"root", "deluser bob0001\nY"}, "adduser bob0001 bobpw999 simple"},
      {{"root", "deladmin adm0001\ny"}, "addadmin adm0001 admpw999"},
      {{"root", "adduser dave001 davepw01 simple"}, "adduser dave001 davepw01 strong"},
  };
  for (const Sequel& sequel : sequels) {
    SCOPED_TRACE(sequel.change.input);
    Snapshot after;
    const std::size_t steps = measure(sequel.change, after);
    for (std::size_t step = 1; step <= steps; ++step) {
      SCOPED_TRACE("step " + std::to_string(step));
      MemoryFileSystem fs(base_);
      InstalledRun run(fs);
      run.logIn(sequel.change.operatorName, passwordOf(sequel.change.operatorName));
      fs.failAt(fs.steps() + step);
      run.commands(sequel.change.input);
      fs.heal();
      const bool done = run.err().empty();
      run.commands(sequel.next);

      MemoryFileSystem clean(base_);
      InstalledRun replay(clean);
      replay.logIn(sequel.change.operatorName, passwordOf(sequel.change.operatorName));
      if (done) replay.commands(sequel.change.input);
      replay.commands(sequel.next);
      EXPECT_EQ(replay.err(), run.err());
      EXPECT_EQ(fromFiles(clean), fromFiles(fs));
      expectOnlyUserFiles(fs);
    }
  }
}

// Config.ini lost after a kill at any step of an addition: vellumkeep-init --recover lists the
// new account, which the next start makes whole, or the next start frees its name.
TEST_F(FaultSteps, RecoveringALostConfigAfterAKillInAnAddition) {
  struct Addition {
    Change change;
    std::string name;
  };
  const Addition additions[] = {
      {{"root", "adduser dave001 davepw01 simple"}, "dave001"},
      {{"root", "addadmin adm0002 admpw002"}, "adm0002"},
      {{"root", "adduser fred001 fredpw01 strong"}, "fred001"},
  };
  for (const Addition& addition : additions) {
    SCOPED_TRACE(addition.change.input);
    Snapshot after;
    const std::size_t steps = measure(addition.change, after);
    for (std::size_t step = 1; step <= steps; ++step) {
      for (const MemoryFileSystem::Cut cut : kCuts) {
        SCOPED_TRACE("step " + std::to_string(step) + cutName(cut));
        MemoryFileSystem fs(base_);
        runWith(
            fs, addition.change, [&](std::size_t now) { fs.failFrom(now + step); }, nullptr);
        fs.endRun(cut);
        fs.removeFile(kConfigPath);
        recoverInstallation(fs, kConfigPath, kDataPath);
        const Snapshot files = fromFiles(fs);
        EXPECT_TRUE(files.accounts == before_.accounts || files.accounts == after.accounts)
            << files;
        expectOnlyUserFiles(fs);
        if (files.accounts.count(addition.name) == 0) {
          InstalledRun run(fs);
          run.logIn("root", kRootPassword);
          run.commands(addition.change.input);
          EXPECT_EQ("", run.err());
        }
      }
    }
  }
}

// Login rewrites only the password file's filler: a failure there is reported, the login
// holds, and the files keep their meaning; so does a kill at any of its steps.
TEST_F(FaultSteps, LoginSurvivesAFailureOrAKillAtEveryStep) {
  for (const std::string name : {"root", "alice01", "carol01", "eve0001"}) {
    for (std::size_t step = 1; step <= 8; ++step) {
      SCOPED_TRACE(name + " step " + std::to_string(step));
      MemoryFileSystem failing(base_);
      InstalledRun run(failing);
      failing.failAt(failing.steps() + step);
      run.logIn(name, passwordOf(name));
      EXPECT_EQ(name, run.state().operatorName);
      failing.heal();
      EXPECT_EQ(before_, fromFiles(failing));

      MemoryFileSystem killed(base_);
      InstalledRun cut(killed);
      killed.failFrom(killed.steps() + step);
      cut.logIn(name, passwordOf(name));
      killed.loseUnsynced();
      EXPECT_EQ(before_, fromFiles(killed));
      expectOnlyUserFiles(killed);
    }
  }
}

// On a full disk the queries work: loading writes nothing, and only the password file's
// fresh filler at login cannot be written.
TEST_F(FaultSteps, LoginAndQueriesWorkOnAFullDisk) {
  MemoryFileSystem fs(base_);
  fs.failFrom(fs.steps() + 1);
  InstalledRun run(fs);
  run.logIn("alice01", "alicepw1");
  EXPECT_EQ(std::string(msg::kWriteFailed) + "\n", run.err());
  run.commands("dir\nseach web01\npassword mail web01");
  EXPECT_EQ("", run.err());
  for (const std::string& listing : std::vector<std::string>{
           "alice01 :\n\tmail\n\tbank\n\n", "web01 :\n\tmail\n\n",
           std::string(msg::kEntryAccount) + "\tweb01\n" + msg::kEntryPassword +
               "\tsecret9\nurl:\tmail.example.org\n\n"}) {
    EXPECT_NE(std::string::npos, run.out().find(listing)) << listing;
  }
}

// A user in mode simple with 1,000 credentials adds, shows and deletes some: at no moment,
// between or during the commands, does any file hold a stored password or the user's own
// password in readable form.
TEST_F(FaultSteps, NoFileEverHoldsAPasswordInPlainText) {
  MemoryFileSystem fs(base_);
  {
    InstalledRun run(fs);
    run.logIn("alice01", "alicepw1");
    UserAccount& alice = run.state().operatorAccount();
    for (int g = 0; g < 10; ++g) {
      Group group;
      group.id = ++alice.lastGroupId;
      group.name = "g" + std::to_string(g);
      for (int e = 0; e < 100; ++e) {
        const std::string n = std::to_string(g * 100 + e);
        insertEntry(group, PasswordEntry("acct" + n, "Hidden" + n + "secretpw", "note x" + n));
      }
      insertGroup(alice, std::move(group));
    }
    run.state().store.saveDataFile(run.state().operatorAccount());
  }
  std::size_t observed = 0;
  fs.observe([&] {
    ++observed;
    for (const auto& [path, contents] : fs.files()) {
      for (const char* secret : {"secretpw", "Hidden"}) {
        ASSERT_EQ(std::string::npos, contents.find(secret)) << path << " holds " << secret;
      }
    }
  });
  InstalledRun run(fs);
  run.logIn("alice01", "alicepw1");
  run.commands(
      "password g3 acct305\nseach acct7\naddpassword g1 acct9999 Hidden9999secretpw\n"
      "delpassword g2 acct200\ny\ndeldir g4\nY\nadddir g10");
  EXPECT_EQ("", run.err());
  EXPECT_NE(std::string::npos, run.out().find("Hidden305secretpw"));
  EXPECT_GT(observed, 10u);
}

}  // namespace
}  // namespace vellumkeep
