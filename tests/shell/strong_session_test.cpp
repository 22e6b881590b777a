// Mode strong through whole sessions on a real data folder: what a login tells apart, what an
// administrator sees of a strong user, how a change of password or mode replaces the keys,
// and that nothing readable reaches the disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include "model/messages.h"
#include "session_fixture.h"
#include "storage/strong_format.h"

namespace vellumkeep {
namespace {

class StrongSession : public InstalledSessionTest {
 protected:
  StrongSession() {
    logInAsRoot();
    EXPECT_EQ(ok(), run("adduser alice01 alicepw1 strong").out);
    EXPECT_EQ(ok(), run("adduser bobby01 bobbypw1 strong").out);
    restart();
    logInWith("alice01\nalicepw1\n");
    run("adddir mail");
    run("addpassword mail web01 Webpw9xyz url mail.example.org note inbox7word");
    restart();
  }

  std::string data(const std::string& name) { return files().dataFile(name); }
};

TEST_F(StrongSession, FilesAreSealedAndTheLoginOpensThem) {
  EXPECT_TRUE(isStrongFile(fileOf("alice01", ".usr")));
  EXPECT_TRUE(isStrongFile(fileOf("alice01", ".usrpas")));
  logInWith("alice01\nalicepw1\n");
  EXPECT_EQ(Strong, state().operatorAccount().mode);
  EXPECT_EQ(std::string(msg::kEntryAccount) + "\tweb01\n" + msg::kEntryPassword +
                "\tWebpw9xyz\nurl:\tmail.example.org\nnote:\tinbox7word\n\n",
            run("password mail web01").out);
}

// A wrong password is a wrong password; the right one with damaged files is damage.
TEST_F(StrongSession, WrongPasswordAndDamageAreToldApart) {
  const std::string sealed = fileOf("alice01", ".usr");
  using Damage = std::function<void()>;
  const std::pair<const char*, Damage> damages[] = {
      {"a flipped byte",
       [&] {
         std::string flipped = sealed;
         flipped[flipped.size() / 2] ^= 0x01;
         writeFileDurably(fs_, data("alice01"), flipped);
       }},
      {"a cut file", [&] { writeFileDurably(fs_, data("alice01"), sealed.substr(0, 120)); }},
      {"another user's data file",
       [&] { writeFileDurably(fs_, data("alice01"), fileOf("bobby01", ".usr")); }},
  };
  const SessionOutput wrong = attempt("alice01\nalicepw2\n");
  EXPECT_NE(std::string::npos, wrong.out.find(std::string(msg::kLoginFailed) + "\n"));
  EXPECT_EQ("", wrong.err);
  for (const auto& [what, damage] : damages) {
    SCOPED_TRACE(what);
    restart();
    damage();
    EXPECT_EQ(std::string(msg::kCorruptUserData) + "\n", attempt("alice01\nalicepw1\n").err);
    EXPECT_EQ(nullptr, state().registry.findAccount("alice01"));
    writeFileDurably(fs_, data("alice01"), sealed);
  }
}

// Root holds a strong user's identity only, and manages it as any other.
TEST_F(StrongSession, AnAdministratorSeesTheIdentityOnly) {
  logInAsRoot();
  const UserAccount* alice = state().registry.findUser("alice01");
  ASSERT_NE(nullptr, alice);
  EXPECT_EQ(Strong, alice->mode);
  EXPECT_EQ("", alice->password);
  EXPECT_TRUE(alice->groups.empty());
  EXPECT_NE(std::string::npos, run("user").out.find("alice01"));
  EXPECT_EQ(failure(msg::kNameTaken), run("adduser alice01 otherpw1 strong").err);
  run("deluser bobby01", "Y\n");
  EXPECT_FALSE(exists("bobby01", ".usr"));
  EXPECT_FALSE(exists("bobby01", ".usrpas"));
}

// New keys with a new salt at every change of mode or password: the old files' key opens
// nothing new, and every mode reads back the same store.
TEST_F(StrongSession, ChangesOfModeReplaceTheKeys) {
  logInWith("alice01\nalicepw1\n");
  const std::string before = fileOf("alice01", ".usrpas");
  EXPECT_EQ(ok(), run("setmode strong").out);
  EXPECT_NE(before, fileOf("alice01", ".usrpas"));
  for (const char* mode : {"simple", "unencrypted", "strong"}) {
    EXPECT_EQ(ok(), run(std::string("setmode ") + mode).out) << mode;
    restart();
    logInWith("alice01\nalicepw1\n");
    EXPECT_EQ("mail :\n\tweb01\n\n", run("dir mail").out) << mode;
  }
  EXPECT_TRUE(isStrongFile(fileOf("alice01", ".usr")));
}

// After adding, showing and deleting, no file holds a stored word or the user's password.
TEST_F(StrongSession, NothingReadableReachesTheDisk) {
  logInWith("alice01\nalicepw1\n");
  run("addpassword mail shop01 Shoppw4xyz kind receipt8word");
  run("password mail shop01");
  run("delpassword mail shop01", "y\n");
  run("adddir bank");
  run("deldir bank", "Y\n");
  std::vector<std::string> entries;
  ASSERT_TRUE(fs_.listFolder(files().dataPath, entries));
  for (const std::string& entry : entries) {
    const std::string text = contents(files().dataPath + entry);
    for (const char* secret : {"alicepw1", "web01", "Webpw9xyz", "inbox7word", "mail.example",
                               "shop01", "Shoppw4xyz", "receipt8word", "bank"}) {
      EXPECT_EQ(std::string::npos, text.find(secret)) << entry << " holds " << secret;
    }
  }
}

}  // namespace
}  // namespace vellumkeep
