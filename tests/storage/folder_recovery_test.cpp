// What a new start makes of the leftovers of a killed run: each kind of half-done change is
// finished or undone by whether it had counted, and no temporary stays.
#include "storage/folder_recovery.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "support/memory_file_system.h"

namespace vellumkeep {
namespace {

using Files = std::map<std::string, std::string>;

struct LeftoverCase {
  const char* what;
  Files before;  // names in the data folder and their contents
  Files after;
};

// alice01 is listed, bob0001 is not.
// clang-format off
const LeftoverCase kCases[] = {
    {"pair cut off before it counted",
     {{"alice01.usr", "old"}, {"alice01.usrpas", "oldpw"},
      {"alice01.usr.pending", "new"}, {"alice01.usrpas.pending", "newpw"}},
     {{"alice01.usr", "old"}, {"alice01.usrpas", "oldpw"}}},
    {"pair cut off after it counted",
     {{"alice01.usr", "new"}, {"alice01.usrpas", "oldpw"}, {"alice01.usrpas.pending", "newpw"}},
     {{"alice01.usr", "new"}, {"alice01.usrpas", "newpw"}}},
    {"replacement cut off",
     {{"alice01.usr", "old"}, {"alice01.usrpas", "pw"}, {"alice01.usr.new", "half"},
      {"alice01.usrpas.new", "half"}},
     {{"alice01.usr", "old"}, {"alice01.usrpas", "pw"}}},
    {"new account listed, files not yet in place",
     {{"alice01.usr.new", "data"}, {"alice01.usrpas.new", "pw"}},
     {{"alice01.usr", "data"}, {"alice01.usrpas", "pw"}}},
    {"new account not listed",
     {{"bob0001.usr.new", "data"}, {"bob0001.usrpas", "pw"}},
     {{"bob0001.usrpas", "pw"}}},
    {"deletion that counted",
     {{"bob0001.usr", "data"}, {"bob0001.usrpas.removed", "pw"}},
     {}},
    {"deletion that did not count",
     {{"alice01.usr", "data"}, {"alice01.usrpas.removed", "pw"}},
     {{"alice01.usr", "data"}, {"alice01.usrpas", "pw"}}},
    {"plain working files of earlier versions, of any user",
     {{"alice01.tmp", "plain"}, {"bob0001.tmp", "plain"}, {"alice01.usr", "d"}},
     {{"alice01.usr", "d"}}},
    {"other people's files stay",
     {{"notes.tmp", "x"}, {"photo.new", "y"}, {"README", "z"}},
     {{"notes.tmp", "x"}, {"photo.new", "y"}, {"README", "z"}}},
};
// clang-format on

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
  recoverDataFolder(files, {"root", "alice01"});
  Files after;
  for (const auto& [path, contents] : fs.files()) after[path.substr(5)] = contents;
  return after;
}

TEST(FolderRecovery, EachLeftoverIsFinishedOrUndone) {
  for (const LeftoverCase& leftover : kCases) {
    EXPECT_EQ(leftover.after, dataFolderAfterRecovery(leftover.before)) << leftover.what;
  }
}

}  // namespace
}  // namespace vellumkeep
