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
#include "storage/strong_password_file.h"

namespace vellumkeep {
namespace {

class StrongSession : public InstalledSessionTest {
 protected:
  StrongSession() {
    logInAsRoot();
    EXPECT_EQ(ok(), run("adduser alice01 alicepw1 strong").out);
    EXPECT_EQ(ok(), run("adduser bobby01 bobbypw1 strong").out);
    restart();
    // Her first login replaces the password root chose.
    logInWith("alice01\nalicepw1\nalicepw3\nalicepw3\n");
    run("adddir mail");
    run("addpassword mail web01 Webpw9xyz url mail.example.org note inbox7word");
    restart();
  }

  std::string data(const std::string& name) { return files().dataFile(name); }
};

TEST_F(StrongSession, FilesAreSealedAndTheLoginOpensThem) {
  EXPECT_TRUE(isStrongFile(fileOf("alice01", ".usr")));
  EXPECT_TRUE(isStrongFile(fileOf("alice01", ".usrpas")));
  logInWith("alice01\nalicepw3\n");
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
    EXPECT_EQ(std::string(msg::kCorruptUserData) + "\n", attempt("alice01\nalicepw3\n").err);
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
  logInWith("alice01\nalicepw3\n");
  const std::string before = fileOf("alice01", ".usrpas");
  EXPECT_EQ(ok(), run("setmode strong").out);
  EXPECT_NE(before, fileOf("alice01", ".usrpas"));
  // Back into strong from a reversible mode asks for a new password: the old one is refused.
  const std::string asked = std::string(msg::kAskNewPassword) + msg::kAskNewPasswordAgain;
  const struct {
    const char* mode;
    const char* answers;
    std::string questions;
    const char* refusal;
    const char* password;
  } changes[] = {{"simple", "", "", nullptr, "alicepw3"},
                 {"unencrypted", "", "", nullptr, "alicepw3"},
                 {"strong", "alicepw3\nalicepw3\n", asked, msg::kSamePassword, "alicepw3"},
                 {"strong", "alicepw4\nalicepw4\n", asked, nullptr, "alicepw4"}};
  for (const auto& change : changes) {
    SCOPED_TRACE(change.mode);
    const SessionOutput result = run(std::string("setmode ") + change.mode, change.answers);
    EXPECT_EQ(change.questions + (change.refusal ? "" : ok()), result.out);
    EXPECT_EQ(change.refusal ? failure(change.refusal) : "", result.err);
    restart();
    logInWith(std::string("alice01\n") + change.password + "\n");
    EXPECT_EQ("mail :\n\tweb01\n\n", run("dir mail").out);
  }
  EXPECT_TRUE(isStrongFile(fileOf("alice01", ".usr")));
}

// The first login of an account whose password root chose asks for a new one until it is set;
// from then on root's choice is refused, and a copy of the files from before does not open
// with the new password.
TEST_F(StrongSession, TheFirstLoginReplacesThePasswordRootChose) {
  const std::string oldData = fileOf("bobby01", ".usr");
  const std::string oldPasswordFile = fileOf("bobby01", ".usrpas");
  EXPECT_TRUE(readStrongPasswordFile(oldPasswordFile).chosenByOther);
  EXPECT_THROW(logInWith("bobby01\nbobbypw1\nbobbypw2\n"), InputExhausted);
  EXPECT_EQ(oldPasswordFile, fileOf("bobby01", ".usrpas"));
  restart();
  // Answers that differ, then root's choice again: each refused and asked again.
  const SessionOutput first =
      logInWith("bobby01\nbobbypw1\nbobbypw2\nbobbypw3\nbobbypw1\nbobbypw1\nbobbypw2\nbobbypw2\n");
  EXPECT_EQ(std::string(msg::kNewPasswordsDiffer) + "\n" + msg::kSamePassword + "\n", first.err);
  EXPECT_NE(std::string::npos, first.out.find(msg::kPasswordChosenByOther));
  EXPECT_FALSE(readStrongPasswordFile(fileOf("bobby01", ".usrpas")).chosenByOther);
  const std::pair<std::string, bool> logins[] = {{"bobbypw1", false}, {"bobbypw2", true}};
  for (const auto& [password, opens] : logins) {
    restart();
    const SessionOutput again = attempt("bobby01\n" + password + "\n");
    EXPECT_EQ(opens, again.out.find(msg::kLoginFailed) == std::string::npos) << password;
    EXPECT_EQ(std::string::npos, again.out.find(msg::kPasswordChosenByOther)) << password;
  }
  writeFileDurably(fs_, data("bobby01"), oldData);
  writeFileDurably(fs_, files().passwordFile("bobby01"), oldPasswordFile);
  restart();
  EXPECT_NE(std::string::npos, attempt("bobby01\nbobbypw2\n").out.find(msg::kLoginFailed));
}

// Every role changes its own password; a wrong current password, new answers that differ and
// the current password again change nothing.
TEST_F(StrongSession, EveryRoleChangesItsOwnPassword) {
  logInAsRoot();
  run("addadmin adm0001 admpw001 strong");
  run("adduser carol01 carolpw1 simple");
  restart();
  logInWith("adm0001\nadmpw001\nadmpw002\nadmpw002\n");
  const std::string asked =
      std::string(msg::kAskCurrentPassword) + msg::kAskNewPassword + msg::kAskNewPasswordAgain;
  const std::pair<std::string, std::string> accounts[] = {{"root", kRootPassword},
                                                          {"adm0001", "admpw002"},
                                                          {"alice01", "alicepw3"},
                                                          {"carol01", "carolpw1"}};
  for (const auto& [name, old] : accounts) {
    SCOPED_TRACE(name);
    const std::string fresh = name.substr(0, 5) + "new9";
    restart();
    logInWith(name + "\n" + old + "\n");
    const int32_t mode = state().operatorAccount().mode;
    const std::string before = fileOf(name, ".usrpas");
    const std::pair<std::string, const char*> refusals[] = {
        {"wrongpw9\n" + fresh + "\n" + fresh + "\n", msg::kLoginFailed},
        {old + "\n" + fresh + "\nother99x\n", msg::kNewPasswordsDiffer},
        {old + "\n" + old + "\n" + old + "\n", msg::kSamePassword}};
    for (const auto& [answers, message] : refusals) {
      EXPECT_EQ(failure(message), run("changepassword", answers).err);
    }
    EXPECT_EQ(before, fileOf(name, ".usrpas"));
    EXPECT_EQ(asked + ok(), run("changepassword", old + "\n" + fresh + "\n" + fresh + "\n").out);
    restart();
    EXPECT_NE(std::string::npos, attempt(name + "\n" + old + "\n").out.find(msg::kLoginFailed));
    restart();
    logInWith(name + "\n" + fresh + "\n");
    EXPECT_EQ(mode, state().operatorAccount().mode);
  }
}

// Mode strong takes login passwords of up to 64 characters, the other modes 12; a move into
// strong takes a new password, and a strong root still manages every user.
TEST_F(StrongSession, StrongPasswordsMayBeLongerAndAMoveIntoStrongTakesANewOne) {
  const std::string longest(64, 'k'), tooLong(65, 'k'), thirteen(13, 'k');
  const auto twice = [](const std::string& password) { return password + "\n" + password + "\n"; };
  logInAsRoot();
  const std::string current = std::string(kRootPassword) + "\n";
  const struct {
    std::string line, answers;
    const char* message;
  } refusals[] = {
      {"changepassword", current + twice(thirteen), msg::kPasswordTooLong},
      {"changepassword strong", current + twice(tooLong), msg::kPasswordTooLong},
      {"changepassword strong", current + twice(kRootPassword), msg::kSamePassword},
      {"adduser dave001 " + thirteen + " simple", "", msg::kPasswordTooLong},
  };
  for (const auto& refusal : refusals) {
    EXPECT_EQ(failure(refusal.message), run(refusal.line, refusal.answers).err) << refusal.line;
  }
  EXPECT_EQ("", run("changepassword strong", current + twice(longest)).err);
  EXPECT_EQ(ok(), run("adduser dave001 " + longest.substr(0, 40) + " strong").out);
  restart();
  logInWith("root\n" + longest + "\n");
  EXPECT_EQ(Strong, state().operatorAccount().mode);
  EXPECT_TRUE(isStrongFile(fileOf("root", ".usr")));
  EXPECT_NE(std::string::npos, run("user").out.find("dave001"));
  // A password too long for the other modes' files keeps its owner in mode strong.
  restart();
  logInWith("alice01\nalicepw3\n");
  run("changepassword", "alicepw3\n" + twice(longest));
  EXPECT_EQ(failure(msg::kPasswordTooLong), run("setmode simple").err);
  restart();
  logInWith("alice01\n" + longest + "\n");
  EXPECT_EQ(Strong, state().operatorAccount().mode);
}

// After adding, showing and deleting, no file holds a stored word or the user's password.
TEST_F(StrongSession, NothingReadableReachesTheDisk) {
  logInWith("alice01\nalicepw3\n");
  run("addpassword mail shop01 Shoppw4xyz kind receipt8word");
  run("password mail shop01");
  run("delpassword mail shop01", "y\n");
  run("adddir bank");
  run("deldir bank", "Y\n");
  std::vector<std::string> entries;
  ASSERT_TRUE(fs_.listFolder(files().dataPath, entries));
  for (const std::string& entry : entries) {
    const std::string text = contents(files().dataPath + entry);
    for (const char* secret : {"alicepw1", "alicepw3", "web01", "Webpw9xyz", "inbox7word",
                               "mail.example", "shop01", "Shoppw4xyz", "receipt8word", "bank"}) {
      EXPECT_EQ(std::string::npos, text.find(secret)) << entry << " holds " << secret;
    }
  }
}

}  // namespace
}  // namespace vellumkeep
