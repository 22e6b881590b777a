// The file helpers on the real disk: whole files, owner-only permissions, atomic replacement,
// and files that are not what they seem (links, FIFOs, folders).
#include "storage/file_io.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "expect_error.h"
#include "file_helpers.h"
#include "model/messages.h"
#include "platform/posix_file_system.h"
#include "temp_folder.h"

namespace vellumkeep {
namespace {

class FileIoTest : public ::testing::Test {
 protected:
  std::string path(const std::string& name) const { return folder_.path() + name; }

  TempFolder folder_;
  PosixFileSystem fs_;
};

TEST_F(FileIoTest, RoundTrip) {
  std::string large(200000, '\0');
  for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7);
  writeFileAtomically(fs_, path("data.usr"), large);
  EXPECT_EQ(contentsOf(path("data.usr")), large);
  EXPECT_FALSE(fileExists(path("data.usr.new")));

  // Shorter contents replace longer ones whole.
  writeFileAtomically(fs_, path("data.usr"), "short");
  EXPECT_EQ(contentsOf(path("data.usr")), "short");
  writeFileDurably(fs_, path("empty"), "");
  EXPECT_EQ(contentsOf(path("empty")), "");
}

TEST_F(FileIoTest, FilesAreOwnerOnly) {
  const mode_t oldMask = ::umask(0);
  writeFileAtomically(fs_, path("a.usr"), "x");
  writeFileDurably(fs_, path("b.usr.pending"), "x");
  ::umask(oldMask);
  EXPECT_EQ(permissionsOf(path("a.usr")), 0600u);
  EXPECT_EQ(permissionsOf(path("b.usr.pending")), 0600u);

  // A stale temporary with wider permissions does not pass them on.
  writeFileDurably(fs_, path("a.usr.new"), "stale");
  ASSERT_EQ(::chmod(path("a.usr.new").c_str(), 0666), 0);
  writeFileAtomically(fs_, path("a.usr"), "z");
  EXPECT_EQ(permissionsOf(path("a.usr")), 0600u);
  EXPECT_EQ(contentsOf(path("a.usr")), "z");
}

// Exit codes of the child process that writes under a file-size limit.
enum ChildResult { kThrewWriteFailed = 0, kNoError = 1, kOtherMessage = 2, kSetupFailed = 3 };

int writeUnderSizeLimit(const std::string& target) {
  struct rlimit oldLimit {};
  if (::getrlimit(RLIMIT_FSIZE, &oldLimit) != 0) return kSetupFailed;
  struct rlimit limit = oldLimit;
  limit.rlim_cur = 64;
  if (::signal(SIGXFSZ, SIG_IGN) == SIG_ERR || ::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
    return kSetupFailed;
  }
  PosixFileSystem fs;
  const std::string error = errorText<std::runtime_error>(
      [&] { writeFileAtomically(fs, target, std::string(10000, 'n')); });
  ::setrlimit(RLIMIT_FSIZE, &oldLimit);
  if (error == "(no error)") return kNoError;
  return error == msg::kWriteFailed ? kThrewWriteFailed : kOtherMessage;
}

TEST_F(FileIoTest, FailedWriteKeepsOldFile) {
  const std::string target = path("data.usr");
  writeFileAtomically(fs_, target, "old contents");

  const pid_t child = ::fork();
  ASSERT_NE(child, -1);
  if (child == 0) ::_exit(writeUnderSizeLimit(target));
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), kThrewWriteFailed);

  EXPECT_EQ(contentsOf(target), "old contents");
  EXPECT_FALSE(fileExists(target + ".new"));
}

TEST_F(FileIoTest, MissingFolderFails) {
  const std::string inMissing = path("missing/data.usr");
  EXPECT_EQ(errorText<std::runtime_error>([&] { writeFileAtomically(fs_, inMissing, "x"); }),
            msg::kWriteFailed);
  EXPECT_EQ(errorText<std::runtime_error>([&] { writeFileDurably(fs_, inMissing, "x"); }),
            msg::kWriteFailed);
  EXPECT_EQ(errorText<std::runtime_error>([&] { renameFile(fs_, path("absent"), inMissing); }),
            msg::kWriteFailed);
  EXPECT_FALSE(fileExists(inMissing));
}

// A FIFO would hang a reader, a link could lead out of the data folder, a folder is no file:
// none of them is read, and each is refused at once.
TEST_F(FileIoTest, OnlyRegularFilesAreRead) {
  writeFileDurably(fs_, path("target"), "secret");
  ASSERT_EQ(::symlink(path("target").c_str(), path("link").c_str()), 0);
  ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
  for (const std::string name : {"absent", "link", "fifo", ""}) {
    std::string contents = "unchanged";
    EXPECT_FALSE(readFile(fs_, path(name), contents)) << name;
    EXPECT_EQ(contents, "unchanged") << name;
  }
}

TEST_F(FileIoTest, WritesReplaceLinksInsteadOfWritingThroughThem) {
  writeFileDurably(fs_, path("target"), "keep");
  ASSERT_EQ(::symlink(path("target").c_str(), path("planted").c_str()), 0);
  writeFileAtomically(fs_, path("planted"), "x");
  EXPECT_EQ(contentsOf(path("target")), "keep");
  struct stat status {};
  ASSERT_EQ(::lstat(path("planted").c_str(), &status), 0);
  EXPECT_TRUE(S_ISREG(status.st_mode));

  ASSERT_EQ(::link(path("target").c_str(), path("second").c_str()), 0);
  writeFileDurably(fs_, path("second"), "other");
  EXPECT_EQ(contentsOf(path("target")), "keep");
}

TEST_F(FileIoTest, RenameRemoveAndList) {
  writeFileDurably(fs_, path("a"), "first");
  writeFileDurably(fs_, path("b"), "second");
  renameFile(fs_, path("a"), path("b"));
  EXPECT_FALSE(fileExists(path("a")));
  EXPECT_EQ(contentsOf(path("b")), "first");
  std::vector<std::string> names;
  ASSERT_TRUE(fs_.listFolder(folder_.path(), names));
  EXPECT_EQ(std::vector<std::string>{"b"}, names);
  EXPECT_TRUE(fs_.removeFile(path("b")));
  EXPECT_FALSE(fileExists(path("b")));
  EXPECT_TRUE(fs_.removeFile(path("b")));  // a missing file is no error
  EXPECT_FALSE(fs_.listFolder(path("absent"), names));
}

// Only "no such file" is absent; a check that fails otherwise cannot tell.
TEST_F(FileIoTest, ExistenceChecksTellAbsentFromUnknown) {
  writeFileDurably(fs_, path("file"), "x");
  ASSERT_EQ(0, ::symlink("nowhere", path("dangling").c_str()));
  ASSERT_EQ(0, ::symlink("loop", path("loop").c_str()));
  const struct {
    std::string name;
    Presence presence;
  } cases[] = {
      {"file", Presence::kPresent},
      {"", Presence::kPresent},  // the folder itself
      {"dangling", Presence::kPresent},
      {"missing", Presence::kAbsent},
      {"loop/x", Presence::kUnknown},               // ELOOP
      {std::string(300, 'n'), Presence::kUnknown},  // ENAMETOOLONG
      {"file/x", Presence::kUnknown},               // ENOTDIR
  };
  for (const auto& c : cases) EXPECT_EQ(c.presence, fs_.exists(path(c.name))) << c.name;
}

}  // namespace
}  // namespace vellumkeep
