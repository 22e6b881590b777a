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
#include "temp_folder.h"

namespace vellumkeep {
namespace {

class FileIoTest : public ::testing::Test {
 protected:
  std::string path(const std::string& name) const { return folder_.path() + name; }

  TempFolder folder_;
};

TEST_F(FileIoTest, RoundTrip) {
  std::string large(200000, '\0');
  for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7);
  writeFileAtomically(path("data.usr"), large);
  EXPECT_EQ(contentsOf(path("data.usr")), large);
  EXPECT_FALSE(fileExists(path("data.usr.new")));

  writeFilePrivately(path("work.tmp"), "line 1\nline 2\n");
  EXPECT_EQ(contentsOf(path("work.tmp")), "line 1\nline 2\n");

  // Shorter contents replace longer ones whole.
  writeFileAtomically(path("data.usr"), "short");
  EXPECT_EQ(contentsOf(path("data.usr")), "short");
  writeFilePrivately(path("work.tmp"), "short");
  EXPECT_EQ(contentsOf(path("work.tmp")), "short");

  writeFilePrivately(path("empty"), "");
  EXPECT_TRUE(fileExists(path("empty")));
  EXPECT_EQ(contentsOf(path("empty")), "");
}

TEST_F(FileIoTest, FilesAreOwnerOnly) {
  const mode_t oldMask = ::umask(0);
  writeFileAtomically(path("a.usr"), "x");
  writeFilePrivately(path("b.tmp"), "x");
  ::umask(oldMask);
  EXPECT_EQ(permissionsOf(path("a.usr")), 0600u);
  EXPECT_EQ(permissionsOf(path("b.tmp")), 0600u);

  ASSERT_EQ(::chmod(path("b.tmp").c_str(), 0644), 0);
  writeFilePrivately(path("b.tmp"), "y");
  EXPECT_EQ(permissionsOf(path("b.tmp")), 0600u);

  // A stale temporary with wider permissions does not pass them on.
  writeFilePrivately(path("a.usr.new"), "stale");
  ASSERT_EQ(::chmod(path("a.usr.new").c_str(), 0666), 0);
  writeFileAtomically(path("a.usr"), "z");
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
  const std::string error =
      errorText<std::runtime_error>([&] { writeFileAtomically(target, std::string(10000, 'n')); });
  ::setrlimit(RLIMIT_FSIZE, &oldLimit);
  if (error == "(no error)") return kNoError;
  return error == msg::kWriteFailed ? kThrewWriteFailed : kOtherMessage;
}

TEST_F(FileIoTest, FailedWriteKeepsOldFile) {
  const std::string target = path("data.usr");
  writeFileAtomically(target, "old contents");

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
  EXPECT_EQ(errorText<std::runtime_error>([&] { writeFileAtomically(inMissing, "x"); }),
            msg::kWriteFailed);
  EXPECT_EQ(errorText<std::runtime_error>([&] { writeFilePrivately(inMissing, "x"); }),
            msg::kWriteFailed);
  EXPECT_EQ(errorText<std::runtime_error>([&] { renameFile(path("absent"), inMissing); }),
            msg::kWriteFailed);
  EXPECT_FALSE(fileExists(inMissing));
}

TEST_F(FileIoTest, ReadingMissingOrUnreadableFails) {
  std::string contents = "unchanged";
  EXPECT_FALSE(readFile(path("absent"), contents));
  EXPECT_FALSE(readFile(folder_.path(), contents));
  EXPECT_EQ(contents, "unchanged");
}

TEST_F(FileIoTest, WritesReplaceLinksInsteadOfWritingThroughThem) {
  writeFilePrivately(path("data.usr"), "data");
  writeFilePrivately(path("work.tmp"), "stale");
  ASSERT_TRUE(linkFile(path("data.usr"), path("work.tmp")));
  EXPECT_EQ(contentsOf(path("work.tmp")), "data");
  writeFilePrivately(path("work.tmp"), "other");
  EXPECT_EQ(contentsOf(path("data.usr")), "data");
  EXPECT_EQ(contentsOf(path("work.tmp")), "other");

  writeFilePrivately(path("target"), "keep");
  ASSERT_EQ(::symlink(path("target").c_str(), path("planted").c_str()), 0);
  writeFileAtomically(path("planted"), "x");
  EXPECT_EQ(contentsOf(path("target")), "keep");
  struct stat status {};
  ASSERT_EQ(::lstat(path("planted").c_str(), &status), 0);
  EXPECT_TRUE(S_ISREG(status.st_mode));

  EXPECT_FALSE(linkFile(path("absent"), path("alias")));
  EXPECT_FALSE(fileExists(path("alias")));
}

TEST_F(FileIoTest, RenameAndRemove) {
  writeFilePrivately(path("a"), "first");
  writeFilePrivately(path("b"), "second");
  renameFile(path("a"), path("b"));
  EXPECT_FALSE(fileExists(path("a")));
  EXPECT_EQ(contentsOf(path("b")), "first");
  removeFile(path("b"));
  EXPECT_FALSE(fileExists(path("b")));
  removeFile(path("b"));  // a missing file is no error
}

}  // namespace
}  // namespace vellumkeep
