// editpassword, movepassword, renamedir, find and otp through the shell loop, in-process: the
// output byte for byte, what each change leaves in the store, and that each refusal leaves the
// store and its data file as they were.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/messages.h"
#include "session_fixture.h"
#include "storage/account_text.h"

namespace vellumkeep {
namespace {

// The RFC 6238 secret for HMAC-SHA1: the ASCII bytes "12345678901234567890".
constexpr char kRfcSecret[] = "GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ";

class EverydayCommands : public SessionTest {
 protected:
  // alice01: mail (web01 with two info pairs, Web02), bank (empty), work (web01 with the RFC
  // secret), keys (entries whose otp words are not base32 or not there).
  void SetUp() override {
    logIn("alice01", User);
    const std::vector<std::string> lines = {
        "adddir mail",
        "adddir bank",
        "adddir work",
        "adddir keys",
        "addpassword mail web01 Secret9 url mail.example.org note Primary",
        "addpassword mail Web02 pw2",
        std::string("addpassword work web01 pw3 otp ") + kRfcSecret,
        "addpassword keys bad pw4 otp GEZDGNB1",
        "addpassword keys none pw5 OTP GEZDGNBV",
        "addpassword keys lower pw6 otp gezdgnbvgy3tqojqgezdgnbvgy3tqojq",
        "addpassword keys padded pw7 otp GEZDGNA=",
        "addpassword keys unpadded pw8 otp GEZDGNA",
    };
    for (const std::string& line : lines) ASSERT_EQ("", run(line).err) << line;
  }

  std::string storeText() { return writeAccountText(state().operatorAccount()); }
  std::string dataFile() { return fileOf("alice01", ".usr"); }

  // What `password GROUP ACCOUNT` shows of an entry.
  static std::string entry(const std::string& account, const std::string& password,
                           const std::string& info = "") {
    return std::string(msg::kEntryAccount) + "\t" + account + "\n" + msg::kEntryPassword + "\t" +
           password + "\n" + info + "\n";
  }
  // What otp shows.
  static std::string code(const std::string& digits, int secondsLeft) {
    return std::string(msg::kOneTimeCodeLabel) + "\t" + digits + "\n" +
           std::to_string(secondsLeft) + msg::kOneTimeCodeExpires + "\n\n";
  }
  // The questions editpassword asks when no password is typed, up to the yes/no on the words.
  static std::string editQuestions() {
    return std::string(msg::kAskNewEntryPassword) + msg::kAskReplaceInfo + "\n";
  }
};

// The refusals a pipe session does not already show (EverydayProgram): the store in memory and
// its data file stay as they were.
TEST_F(EverydayCommands, EachRefusalChangesNothing) {
  struct Case {
    std::string line;
    std::string answers;
    std::string out;  // the questions asked before the refusal
    const char* message;
  };
  const std::string more = std::string(msg::kAskMoreInfo) + "\n";
  const Case cases[] = {
      {"editpassword mail Web01 pw9", "", "", msg::kEntryMissing},
      {"editpassword mail web01 a\\b", "", "", msg::kIllegalCharacter},
      // Refused before any question is asked.
      {"editpassword nope web01", "pw9\n", "", msg::kGroupMissing},
      {"editpassword mail web01", "a:b\n", msg::kAskNewEntryPassword, msg::kIllegalCharacter},
      {"editpassword mail web01", "pw9\nY\nY\nurl\n\n",
       editQuestions() + more + msg::kAskInfoType + msg::kAskInfoContent, msg::kBadArguments},
      {"movepassword mail web01 bank work", "", "", msg::kBadArguments},
      {"movepassword mail web01 work", "", "", msg::kEntryExists},
      {"renamedir mail post office", "", "", msg::kBadArguments},
      {"renamedir mail mail", "", "", msg::kGroupExists},
      {"renamedir mail po\\st", "", "", msg::kIllegalCharacter},
      {"find web01 web02", "", "", msg::kBadArguments},
      {"find pw", "", "", msg::kEntryMissing},  // part of every password
      {"otp work web01 web01", "", "", msg::kBadArguments},
      {"otp keys none", "", "", msg::kNoOneTimeSecret},  // the type is OTP, not otp
  };
  const std::string text = storeText();
  const std::string file = dataFile();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const SessionOutput result = run(c.line, c.answers);
    EXPECT_EQ(failure(c.message), result.err.substr(0, failure(c.message).size()));
    EXPECT_EQ(c.out, result.out);
    EXPECT_EQ(text, storeText());
    EXPECT_EQ(file, dataFile());
  }
}

TEST_F(EverydayCommands, EditpasswordReplacesInPlace) {
  struct Case {
    std::string line;
    std::string answers;
    std::string out;    // the questions before the success line
    std::string err;    // a wrong answer's complaint
    std::string shown;  // what password mail web01 shows after it
  };
  const std::string more = std::string(msg::kAskMoreInfo) + "\n";
  const std::string oldInfo = "url:\tmail.example.org\nnote:\tPrimary\n";
  const Case cases[] = {
      {"editpassword mail web01 New-pw/1", "", "", "", entry("web01", "New-pw/1", oldInfo)},
      {"editpassword\tmail  web01", "\nN\n", editQuestions(), "",
       entry("web01", "Secret9", oldInfo)},
      {"editpassword mail web01", "pw7\nn\n", editQuestions(), "", entry("web01", "pw7", oldInfo)},
      {"editpassword mail web01", "\nx\nY\nY\npin\n1234\nY\nurl\nx.org\nN\n",
       editQuestions() + msg::kAskReplaceInfo + "\n" + more + msg::kAskInfoType +
           msg::kAskInfoContent + more + msg::kAskInfoType + msg::kAskInfoContent + more,
       std::string(msg::kWrongAnswer) + "\n",
       entry("web01", "Secret9", "pin:\t1234\nurl:\tx.org\n")},
      {"editpassword mail web01", "pw8\ny\nn\n", editQuestions() + more, "", entry("web01", "pw8")},
  };
  const PasswordEntry original = *findEntry(*findGroup(state().operatorAccount(), "mail"), "web01");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line + " / " + c.answers);
    replaceEntry(*findGroup(state().operatorAccount(), "mail"), original);
    const SessionOutput result = run(c.line, c.answers);
    EXPECT_EQ(c.err, result.err);
    EXPECT_EQ(c.out + ok(), result.out);
    EXPECT_EQ(c.shown, run("password mail web01").out);
    EXPECT_EQ("mail :\n\tweb01\n\tWeb02\n\n", run("dir mail").out);  // its place kept
  }
}

// One line per hit, in the order of dir; case is ignored in group names, accounts and info
// words alike.
TEST_F(EverydayCommands, FindMatchesAnyPartOfNamesAndWordsIgnoringCase) {
  struct Case {
    const char* text;
    std::string out;
  };
  const Case cases[] = {
      {"web0", "mail web01\nmail Web02\nwork web01\n"},
      {"WEB02", "mail Web02\n"},
      {"MAI", "mail web01\nmail Web02\n"},  // the group's name, and an info word
      {"EXAMPLE.org", "mail web01\n"},      // a content
      {"primary", "mail web01\n"},          // a content in another case
      {"NOTE", "mail web01\n"},             // a type
      {"wor", "work web01\n"},              // a group's name
      {"KeYs", "keys bad\nkeys none\nkeys lower\nkeys padded\nkeys unpadded\n"},
      {"gezdgna", "keys padded\nkeys unpadded\n"},
      {"=", "keys padded\n"},
      {"l", "mail web01\nmail Web02\nkeys lower\n"},
  };
  for (const Case& c : cases) {
    const SessionOutput result = run(std::string("find ") + c.text);
    EXPECT_EQ("", result.err) << c.text;
    EXPECT_EQ(c.out + "\n", result.out) << c.text;
  }
}

// The RFC 6238 test vectors for HMAC-SHA1 (8 digits; the code is their last six) at fixed
// times through the program's clock.
TEST_F(EverydayCommands, OtpGivesTheRfcVectorsAtFixedTimes) {
  struct Case {
    std::time_t time;
    const char* digits;
    int secondsLeft;
  };
  const Case cases[] = {
      {59, "94287082", 1},          {1111111109, "07081804", 1},  {1111111111, "14050471", 29},
      {1234567890, "89005924", 30}, {2000000000, "69279037", 10}, {20000000000, "65353130", 10},
  };
  for (const Case& c : cases) {
    state().clock = [&] { return c.time; };
    const SessionOutput result = run("otp work web01");
    EXPECT_EQ("", result.err) << c.time;
    EXPECT_EQ(code(std::string(c.digits).substr(2), c.secondsLeft), result.out) << c.time;
    EXPECT_EQ(result.out, run("otp keys lower").out) << c.time;
    const SessionOutput padded = run("otp keys padded");
    EXPECT_EQ("", padded.err);
    EXPECT_EQ(padded.out, run("otp keys unpadded").out) << c.time;
  }
}

}  // namespace
}  // namespace vellumkeep
