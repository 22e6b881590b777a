// The program killed with SIGKILL at random moments of long scripts of changes. After every
// kill: root's login loads every listed user, every listed user logs in, and the stored state
// is the one after the last change the program reported done or after the change that
// followed it. Kill moments are seeded: reproducible up to the machine's timing.
#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "e2e/installation.h"
#include "exec/program_state.h"
#include "model/charsets.h"
#include "platform/posix_file_system.h"
#include "support/program_run.h"

namespace vellumkeep {
namespace {

constexpr unsigned kSeed = 20261207;
constexpr char kUserName[] = "alice01";
constexpr char kUserPassword[] = "alicepw1";
constexpr char kOtherRootPassword[] = "rootpw2";
// How many success lines a run may print before the kill is armed, and how long after that
// it comes: long enough to fall inside later commands too.
constexpr size_t kMostChangesBeforeKill = 5;
constexpr int kLongestKillDelayUs = 3000;

// What the installation should hold, kept by the test apart from the program: the names as
// Config.ini lists them and each account as its data file should hold it.
struct ModelInstallation {
  std::vector<std::string> names;
  std::map<std::string, UserAccount> accounts;
};

// The password file's mode and password, then the data file's text: equal texts, equal
// installations.
std::string describe(int32_t fileMode, const std::string& filePassword,
                     const UserAccount& account) {
  return "password file: mode " + std::to_string(fileMode) + ", password " + filePassword + "\n" +
         writeAccountText(account);
}

std::string describeNames(const std::vector<std::string>& names) {
  std::string text = "users:";
  for (const std::string& name : names) text += " " + name;
  return text + "\n";
}

std::string describe(const ModelInstallation& model) {
  std::string text = describeNames(model.names);
  for (const std::string& name : model.names) {
    const UserAccount& account = model.accounts.at(name);
    text += describe(account.mode, account.password, account);
  }
  return text;
}

// The installation as its files hold it, read with the program's own readers; a user in mode
// strong opened with its password in `model`.
std::string describeStored(const Installation& installation, const ModelInstallation& model) {
  const std::vector<std::string> names = installation.listedNames();
  std::string text = describeNames(names);
  for (const std::string& name : names) {
    try {
      const auto known = model.accounts.find(name);
      const std::string password = known == model.accounts.end() ? "" : known->second.password;
      const StoredAccount stored = installation.stored(name, "", password);
      text += describe(stored.passwordFileMode, stored.passwordFilePassword, stored.account);
    } catch (const std::domain_error& error) {
      text += name + ": unreadable: " + error.what() + "\n";
    }
  }
  return text;
}

struct Change {
  std::string input;       // the command line and the answers to its questions
  std::string newAccount;  // the account that adduser or addadmin creates
  std::string oldAccount;  // the account that deluser or deladmin deletes
};

// A long series of changes by one operator, and the installation after each of them:
// states[i] is the installation after the first i changes.
struct Script {
  std::string operatorName;
  std::vector<Change> changes;
  std::vector<ModelInstallation> states;
};

// Builds a script from random valid changes, keeping the model in step.
class ScriptWriter {
 public:
  ScriptWriter(std::string operatorName, ModelInstallation start, unsigned seed)
      : random_(seed), state_(std::move(start)) {
    script_.operatorName = std::move(operatorName);
    script_.states.push_back(state_);
  }

  size_t size() const { return script_.changes.size(); }
  ModelInstallation& state() { return state_; }
  UserAccount& operatorAccount() { return state_.accounts.at(script_.operatorName); }

  // Records a change made to state() as the next step.
  void add(std::string input, std::string newAccount = "", std::string oldAccount = "") {
    script_.changes.push_back({std::move(input), std::move(newAccount), std::move(oldAccount)});
    script_.states.push_back(state_);
  }

  size_t below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }
  int pick(std::initializer_list<double> weights) {
    return std::discrete_distribution<int>(weights)(random_);
  }
  std::string name(const std::string& prefix) { return prefix + std::to_string(++counter_); }
  // A random group that holds an entry; one must.
  size_t withEntries(const std::vector<Group>& groups) {
    size_t index = below(groups.size());
    while (groups[index].entries.empty()) index = (index + 1) % groups.size();
    return index;
  }
  // 6 to 12 bytes of the text set: signs and slashes included.
  std::string password() {
    std::string text(6 + below(7), ' ');
    for (char& c : text) c = kTextCharset[below(kTextCharset.size())];
    return text;
  }

  Script take() { return std::move(script_); }

 private:
  std::mt19937 random_;
  ModelInstallation state_;
  Script script_;
  int counter_ = 1000;
};

ModelInstallation rootOnly() {
  ModelInstallation model;
  model.names = {"root"};
  model.accounts["root"] = makeAccount("root", kRootPassword, Simple, SystemAdministrator);
  return model;
}

// alice01's groups, credentials and mode.
Script userScript(const ModelInstallation& start, size_t length) {
  ScriptWriter writer(kUserName, start, kSeed);
  while (writer.size() < length) {
    UserAccount& me = writer.operatorAccount();
    std::vector<Group>& groups = me.groups;
    bool anyEntry = false;
    for (const Group& group : groups) anyEntry = anyEntry || !group.entries.empty();
    switch (
        writer.pick({groups.size() < 10 ? 3.0 : 0.5, groups.empty() ? 0.0 : 4.0,
                     groups.size() > 2 ? 2.0 : 0.0, anyEntry ? 2.0 : 0.0, 1.5, anyEntry ? 1.5 : 0.0,
                     anyEntry && groups.size() > 1 ? 1.5 : 0.0, groups.empty() ? 0.0 : 1.5})) {
      case 0: {
        const std::string group = writer.name("g");
        groups.push_back({++me.lastGroupId, 0, group, {}});
        writer.add("adddir " + group + "\n");
        break;
      }
      case 1: {
        Group& group = groups[writer.below(groups.size())];
        const std::string account = writer.name("acct");
        const std::string password = writer.password();
        std::string info;
        for (size_t pairs = writer.below(3); pairs > 0; --pairs) {
          if (!info.empty()) info += " ";
          info += writer.name("type") + " " + writer.password();
        }
        group.entries.emplace_back(account, password, info);
        writer.add("addpassword " + group.name + " " + account + " " + password + " " + info +
                   "\n");
        break;
      }
      case 2: {
        const size_t index = writer.below(groups.size());
        const std::string group = groups[index].name;
        groups.erase(groups.begin() + static_cast<std::ptrdiff_t>(index));
        writer.add("deldir " + group + "\nY\n");
        break;
      }
      case 3: {
        Group& group = groups[writer.withEntries(groups)];
        const size_t at = writer.below(group.entries.size());
        const std::string account = std::string(group.entries[at].account());
        group.entries.erase(group.entries.begin() + static_cast<std::ptrdiff_t>(at));
        writer.add("delpassword " + group.name + " " + account + "\ny\n");
        break;
      }
      case 4: {
        // Another of the three modes; into strong with a new password, and so new keys.
        me.mode = (me.mode + 1 + static_cast<int32_t>(writer.below(2))) % 3;
        const auto mode = static_cast<EncryptionMode>(me.mode);
        std::string input = std::string("setmode ") + modeName(mode) + "\n";
        if (mode == Strong) {
          me.password = writer.password();
          input += me.password + "\n" + me.password + "\n";
        }
        writer.add(input);
        break;
      }
      case 5: {
        Group& group = groups[writer.withEntries(groups)];
        PasswordEntry& entry = group.entries[writer.below(group.entries.size())];
        const std::string account(entry.account());
        const std::string password = writer.password();
        entry = PasswordEntry(account, password, std::string(entry.info()));
        writer.add("editpassword " + group.name + " " + account + " " + password + "\n");
        break;
      }
      case 6: {
        const size_t from = writer.withEntries(groups);
        const size_t to = (from + 1 + writer.below(groups.size() - 1)) % groups.size();
        std::vector<PasswordEntry>& entries = groups[from].entries;
        const size_t at = writer.below(entries.size());
        const std::string account(entries[at].account());
        groups[to].entries.push_back(std::move(entries[at]));
        entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(at));
        writer.add("movepassword " + groups[from].name + " " + account + " " + groups[to].name +
                   "\n");
        break;
      }
      default: {
        Group& group = groups[writer.below(groups.size())];
        const std::string old = std::exchange(group.name, writer.name("g"));
        writer.add("renamedir " + old + " " + group.name + "\n");
      }
    }
  }
  return writer.take();
}

// root's password back and forth, and users and administrators added and deleted.
Script rootScript(const ModelInstallation& start, size_t length) {
  constexpr size_t kMostAccounts = 6;
  ScriptWriter writer("root", start, kSeed + 1);
  while (writer.size() < length) {
    ModelInstallation& state = writer.state();
    const size_t others = state.names.size() - 1;
    const int choice =
        writer.pick({2.0, state.names.size() < kMostAccounts ? 2.0 : 0.0,
                     state.names.size() < kMostAccounts ? 1.0 : 0.0, others > 0 ? 2.5 : 0.0});
    switch (choice) {
      case 0: {
        std::string& password = writer.operatorAccount().password;
        password = password == kRootPassword ? kOtherRootPassword : kRootPassword;
        writer.add("setpassword " + password + "\n");
        break;
      }
      case 1:
      case 2: {
        const bool user = choice == 1;
        const std::string name = writer.name(user ? "usr" : "adm");
        const std::string password = writer.password();
        state.names.push_back(name);
        state.accounts[name] = makeAccount(name, password, Simple, user ? User : Administrator);
        if (user) {
          writer.add("adduser " + name + " " + password + " simple\n", name);
        } else {
          writer.add("addadmin " + name + " " + password + "\n", name);
        }
        break;
      }
      default: {
        const size_t index = 1 + writer.below(others);
        const std::string name = state.names[index];
        // deladmin takes administrators only; root's deluser takes either kind. deladmin is
        // the likelier, so that enough kills cut it off on a fast machine as on a slow one.
        const bool administrator = state.accounts[name].role == Administrator;
        state.names.erase(state.names.begin() + static_cast<std::ptrdiff_t>(index));
        state.accounts.erase(name);
        if (!administrator || writer.below(4) == 0) {
          writer.add("deluser " + name + "\nY\n", "", name);
        } else {
          writer.add("deladmin " + name + "\ny\n", "", name);
        }
      }
    }
  }
  return writer.take();
}

class CrashConsistency : public InstalledTest {
 protected:
  // Runs `script` from its start, killing the program `rounds` times; every run starts from
  // the state the previous kill left. Returns the kills by the command they cut off.
  std::map<std::string, size_t> killRepeatedly(const Script& script, size_t rounds) {
    std::map<std::string, size_t> kills;
    std::mt19937 random(kSeed + static_cast<unsigned>(rounds));
    const std::string ok = texts_.ok();
    const std::string& name = script.operatorName;
    const size_t length = script.changes.size();
    size_t position = 0;
    for (size_t round = 0; round < rounds && position < length; ++round) {
      SCOPED_TRACE("round " + std::to_string(round) + ", from change " + std::to_string(position));
      std::string input = joinLines({name, script.states[position].accounts.at(name).password});
      for (size_t i = position; i < length; ++i) input += script.changes[i].input;

      RunningProgram program(VELLUMKEEP_PROGRAM, installation_.folder());
      program.send(input);
      program.closeInput();
      program.waitForOutput(
          ok, std::uniform_int_distribution<size_t>(0, kMostChangesBeforeKill)(random));
      std::this_thread::sleep_for(std::chrono::microseconds(
          std::uniform_int_distribution<int>(0, kLongestKillDelayUs)(random)));
      const ProgramResult killed = program.kill();
      EXPECT_EQ("", killed.err);
      const size_t done = RunningProgram::countOf(killed.out, ok);
      const size_t cut = position + done;  // the change in progress, if any
      if (killed.signal != SIGKILL) {
        EXPECT_EQ(0, killed.status) << "the program ended before the kill";
        EXPECT_EQ(length, cut) << "the program ended before the end of its input";
        position = cut;
        break;
      }
      const bool inLogin = killed.out.find(ConsoleTexts::prompt(name)) == std::string::npos;
      std::set<std::string> cutOff = orphans_;
      cutOff.insert(name);
      if (inLogin) {
        ++kills["login"];
      } else if (cut < length) {
        const std::string& input = script.changes[cut].input;
        ++kills[input.substr(0, input.find_first_of(" \n"))];
        cutOff.insert(script.changes[cut].newAccount);
        cutOff.insert(script.changes[cut].oldAccount);
      } else {
        ++kills["end of input"];
      }
      expectTemporariesOnlyOf(cutOff);

      const ModelInstallation* next = cut < length ? &script.states[cut + 1] : nullptr;
      const RootLogin rootLogin = logInAsRoot(script.states[cut], next);
      const std::string stored = describeStored(installation_, script.states[cut]);
      if (stored == describe(script.states[cut])) {
        position = cut;
        if (cut < length && !script.changes[cut].newAccount.empty()) {
          orphans_.insert(script.changes[cut].newAccount);
        }
      } else if (next && stored == describe(*next)) {
        position = cut + 1;
        // A deletion cut off after Config.ini was rewritten may leave the unlisted files.
        if (!script.changes[cut].oldAccount.empty()) {
          orphans_.insert(script.changes[cut].oldAccount);
        }
      } else {
        ADD_FAILURE() << "stored after " << done << " reported changes:\n"
                      << stored << "expected:\n"
                      << describe(script.states[cut]) << "or:\n"
                      << (next ? describe(*next) : "(nothing)");
        return kills;
      }
      expectAllLogIn(script.states[position], rootLogin);
      if (HasFailure()) return kills;
    }
    std::cout << position << " of " << length << " changes made\n";
    EXPECT_GT(position, length / 4) << "the runs went too slowly through the script";
    return kills;
  }

  struct RootLogin {
    std::string password;  // the one that worked
    std::string out;
  };

  // Logs in as root with the password of `done`, else with that of `next`, and lists the
  // users: the login loads every listed user and completes saves cut off by the kill.
  RootLogin logInAsRoot(const ModelInstallation& done, const ModelInstallation* next) {
    std::vector<std::string> passwords{done.accounts.at("root").password};
    if (next && next->accounts.at("root").password != passwords[0]) {
      passwords.push_back(next->accounts.at("root").password);
    }
    for (const std::string& password : passwords) {
      ProgramResult result = installation_.run(joinLines({"root", password, "user"}));
      EXPECT_EQ("", result.err) << "root's login after the kill";
      if (result.out.find(texts_.loginFailed()) == std::string::npos) return {password, result.out};
    }
    ADD_FAILURE() << "root cannot log in after the kill";
    return {};
  }

  // Every listed user logs in with the password of `state`; root's listing showed its users.
  void expectAllLogIn(const ModelInstallation& state, const RootLogin& rootLogin) {
    EXPECT_EQ(state.accounts.at("root").password, rootLogin.password);
    std::vector<std::string> users;
    for (const std::string& name : state.names) {
      if (state.accounts.at(name).role == User) users.push_back(name);
    }
    EXPECT_EQ(texts_.loggedIn("root") + texts_.userList(users) + ConsoleTexts::prompt("root"),
              rootLogin.out);
    // The start has removed the working files of the users it loaded and finished or undone
    // their saves that were cut off.
    for (const std::string& name : state.names) {
      for (const char* extension : {".tmp", ".usr.pending", ".usrpas.pending"}) {
        EXPECT_FALSE(installation_.exists(installation_.dataFolder() + name + extension))
            << "outlived the next start: " << name << extension;
      }
      EXPECT_TRUE(logsIn(name, state.accounts.at(name).password)) << name;
    }
  }

  // The login check of the program, in this process.
  bool logsIn(const std::string& name, const std::string& password) {
    PosixFileSystem fs;
    ProgramRun run(fs, installation_.path("Config.ini"));
    run.startUp();
    ProgramState& state = run.state();
    state.store.files().dataPath = installation_.path(state.store.files().dataPath);
    try {
      return state.store.checkCredentials(state.registry, name, password);
    } catch (const std::exception& error) {
      ADD_FAILURE() << name << ": " << error.what();
      return false;
    }
  }

  // Right after a kill: working files and unfinished saves belong only to `owners`.
  void expectTemporariesOnlyOf(const std::set<std::string>& owners) {
    const std::string data = installation_.dataFolder();
    for (const std::string& file : installation_.entries(data)) {
      if (endsWith(file, ".usr") || endsWith(file, ".usrpas")) continue;
      EXPECT_EQ(1u, owners.count(file.substr(0, file.find('.'))))
          << "left in the data folder: " << file;
      if (endsWith(file, ".tmp")) ++workingFilesCutOff_;
    }
  }

  static void report(const char* what, const std::map<std::string, size_t>& kills) {
    size_t total = 0;
    std::cout << what << ":";
    for (const auto& [kind, count] : kills) {
      std::cout << " " << kind << " " << count;
      total += count;
    }
    std::cout << "; " << total << " kills\n";
  }

  // Accounts whose addition a kill cut off before Config.ini listed them: their files stay.
  std::set<std::string> orphans_;
  size_t workingFilesCutOff_ = 0;
};

TEST_F(CrashConsistency, UserChangesSurviveKills) {
  expectSuccesses("root", kRootPassword,
                  {std::string("adduser ") + kUserName + " " + kUserPassword + " simple"});
  ModelInstallation start = rootOnly();
  start.names.push_back(kUserName);
  start.accounts[kUserName] = makeAccount(kUserName, kUserPassword, Simple, User);

  const std::map<std::string, size_t> kills = killRepeatedly(userScript(start, 600), 120);
  report("kills during alice01's changes", kills);
  for (const char* kind : {"adddir", "addpassword", "deldir", "delpassword", "setmode",
                           "editpassword", "movepassword", "renamedir"}) {
    EXPECT_GT(kills.count(kind), 0u) << "no kill cut off " << kind;
  }
}

TEST_F(CrashConsistency, AccountChangesSurviveKills) {
  const std::map<std::string, size_t> kills = killRepeatedly(rootScript(rootOnly(), 400), 100);
  report("kills during root's changes", kills);
  for (const char* kind : {"setpassword", "adduser", "addadmin", "deluser", "deladmin"}) {
    EXPECT_GT(kills.count(kind), 0u) << "no kill cut off " << kind;
  }
  size_t workingFilesLeft = 0;
  for (const std::string& file : installation_.entries("data")) {
    workingFilesLeft += endsWith(file, ".tmp") ? 1 : 0;
  }
  std::cout << "working files found right after a kill: " << workingFilesCutOff_
            << "; additions cut off before Config.ini listed them: " << orphans_.size()
            << ", whose working files no start removed: " << workingFilesLeft << "\n";
}

// What a kill leaves between writing a new data file and renaming it over the old one: a
// complete copy beside it. In mode unencrypted that copy is plain text.
using CrashLeftovers = InstalledTest;

TEST_F(CrashLeftovers, PlainCopyOfACutOffSaveDoesNotOutliveSetmodeSimple) {
  expectSuccesses("root", kRootPassword, {"adduser alice01 alicepw1 simple"});
  expectSuccesses("alice01", kUserPassword,
                  {"adddir mail", "addpassword mail web01 secret9", "setmode unencrypted"});
  installation_.write("data/alice01.usr.new", installation_.read("data/alice01.usr"));
  ASSERT_NE(std::string::npos, installation_.read("data/alice01.usr.new").find("secret9"));

  EXPECT_EQ(texts_.session("alice01", {texts_.ok(), "mail :\n\tweb01\n\n"}),
            installation_.runAs("alice01", kUserPassword, {"setmode simple", "dir mail"}).out);
  for (const std::string& file : installation_.entries("data")) {
    EXPECT_EQ(std::string::npos, installation_.read("data/" + file).find("secret9"))
        << "plain text left in " << file;
  }
}

}  // namespace
}  // namespace vellumkeep
