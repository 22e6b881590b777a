// What a new start makes of the leftovers of a killed run: each kind of half-done change is
// finished or undone by whether it had counted, no temporary stays, and files the program did
// not make are left alone.
#include "storage/folder_recovery.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/memory_file_system.h"
#include "support/test_keys.h"

namespace vellumkeep {
namespace {

using Files = std::map<std::string, std::string>;

struct LeftoverCase {
  const char* what;
  Files before;  // names in the data folder and their contents
  Files after;
};

// The data file and the password file of alice01 as the program writes them.
struct Pair {
  std::string data;
  std::string password;
};

Pair filesOf(const std::string& password, int32_t mode, const AccountKeys& keys) {
  MemoryFileSystem fs;
  UserFiles files(fs);
  files.saveAccountAndPassword(makeAccount("alice01", password, mode, User), keys);
  return {fs.files().at("alice01.usr"), fs.files().at("alice01.usrpas")};
}

// alice01 is listed, bob0001 is not.
std::vector<LeftoverCase> leftoverCases() {
  const AccountKeys coded = AccountKeys::coded("alice01");
  const Pair simple = filesOf("alicepw1", Simple, coded);
  const Pair otherPassword = filesOf("alicepw2", Simple, coded);
  const Pair plain = filesOf("alicepw1", Unencrypted, coded);
  const Pair strong = filesOf("alicepw1", Strong, AccountKeys(quickKeys("alicepw1", 1)));
  const Pair otherSalt = filesOf("alicepw1", Strong, AccountKeys(quickKeys("alicepw1", 2)));
  // A new password file alone beside a data file it does not belong to: never installed.
  auto strayPassword = [](const char* what, const Pair& data, const std::string& pending) {
    return LeftoverCase{what,
                        {{"alice01.usr", data.data},
                         {"alice01.usrpas", data.password},
                         {"alice01.usrpas.pending", pending}},
                        {{"alice01.usr", data.data}, {"alice01.usrpas", data.password}}};
  };
  // clang-format off
  return {
      {"pair cut off before it counted",
       {{"alice01.usr", "old"}, {"alice01.usrpas", "oldpw"},
        {"alice01.usr.pending", "new"}, {"alice01.usrpas.pending", "newpw"}},
       {{"alice01.usr", "old"}, {"alice01.usrpas", "oldpw"}}},
      {"pair cut off after it counted",
       {{"alice01.usr", simple.data}, {"alice01.usrpas", "oldpw"},
        {"alice01.usrpas.pending", simple.password}},
       {{"alice01.usr", simple.data}, {"alice01.usrpas", simple.password}}},
      {"pair cut off after it counted, mode unencrypted",
       {{"alice01.usr", plain.data}, {"alice01.usrpas", "oldpw"},
        {"alice01.usrpas.pending", plain.password}},
       {{"alice01.usr", plain.data}, {"alice01.usrpas", plain.password}}},
      {"pair cut off after it counted, mode strong",
       {{"alice01.usr", strong.data}, {"alice01.usrpas", "oldpw"},
        {"alice01.usrpas.pending", strong.password}},
       {{"alice01.usr", strong.data}, {"alice01.usrpas", strong.password}}},
      strayPassword("new password file of another password", simple, otherPassword.password),
      strayPassword("new password file of another mode", simple, plain.password),
      strayPassword("new password file in mode strong beside a coded data file", simple,
                    strong.password),
      strayPassword("new password file in mode strong of another salt", strong,
                    otherSalt.password),
      strayPassword("new coded password file beside a sealed data file", strong, simple.password),
      strayPassword("empty new password file", strong, ""),
      {"replacement cut off",
       {{"alice01.usr", "old"}, {"alice01.usrpas", "pw"}, {"alice01.usr.new", "half"},
        {"alice01.usrpas.new", "half"}},
       {{"alice01.usr", "old"}, {"alice01.usrpas", "pw"}}},
      {"new account listed, files not yet in place",
       {{"alice01.usr.new", "data"}, {"alice01.usrpas.new", "pw"}},
       {{"alice01.usr", "data"}, {"alice01.usrpas", "pw"}}},
      {"new account listed, cut off between its renames",
       {{"alice01.usr.new", "data"}, {"alice01.usrpas", "pw"}},
       {{"alice01.usr", "data"}, {"alice01.usrpas", "pw"}}},
      {"new account not listed, files not yet in place",
       {{"bob0001.usr.new", "data"}, {"bob0001.usrpas.new", "pw"}},
       {}},
      {"new account not listed, cut off between its renames: its password file goes too",
       {{"bob0001.usr.new", "data"}, {"bob0001.usrpas", "pw"}},
       {}},
      {"deletion that counted",
       {{"bob0001.usr", "data"}, {"bob0001.usrpas.removed", "pw"}},
       {}},
      {"deletion that did not count",
       {{"alice01.usr", "data"}, {"alice01.usrpas.removed", "pw"}},
       {{"alice01.usr", "data"}, {"alice01.usrpas", "pw"}}},
      {"deletion that counted, whose name a new account took since",
       {{"alice01.usr", "new"}, {"alice01.usrpas", "newpw"}, {"alice01.usrpas.removed", "oldpw"}},
       {{"alice01.usr", "new"}, {"alice01.usrpas", "newpw"}}},
      {"plain working files of earlier versions, of listed users",
       {{"alice01.tmp", "plain"}, {"alice01.usr", "d"}},
       {{"alice01.usr", "d"}}},
      {"other people's files stay, also where their names look like a user's",
       {{"notes.tmp", "x"}, {"photo.new", "y"}, {"README", "z"}, {"bob0001.tmp", "a"},
        {"report1.tmp", "b"}, {"backup_2024.tmp", "c"}, {"photo.usr.new", "d"},
        {"bob0001.usr", "e"}, {"bob0001.usrpas", "f"}},
       {{"notes.tmp", "x"}, {"photo.new", "y"}, {"README", "z"}, {"bob0001.tmp", "a"},
        {"report1.tmp", "b"}, {"backup_2024.tmp", "c"}, {"photo.usr.new", "d"},
        {"bob0001.usr", "e"}, {"bob0001.usrpas", "f"}}},
  };
  // clang-format on
}

Files dataFolderAfterRecovery(const Files& before) {
  MemoryFileSystem fs;
  fs.makeFolder("data");
  for (const auto& [name, contents] : before) {
    std::unique_ptr<WritableFile> file = fs.createFile("data/" + name);
    file->append(contents);
    file->close();
  }
  UserFiles files(fs);
  files.dataPath = "data/";
  recoverDataFolder(files, "Config.ini", {"root", "alice01"});
  Files after;
  for (const auto& [path, contents] : fs.files()) after[path.substr(5)] = contents;
  return after;
}

TEST(FolderRecovery, EachLeftoverIsFinishedOrUndone) {
  for (const LeftoverCase& leftover : leftoverCases()) {
    EXPECT_EQ(leftover.after, dataFolderAfterRecovery(leftover.before)) << leftover.what;
  }
}

}  // namespace
}  // namespace vellumkeep
