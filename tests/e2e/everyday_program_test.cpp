// The built program through pipes: the everyday commands with the files compared before and
// after each of them, and otp at the real time against oathtool.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "e2e/installation.h"
#include "model/messages.h"

namespace vellumkeep {
namespace {

using Names = std::vector<std::string>;

constexpr char kRfcSecret[] = "GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ";

class EverydayProgram : public InstalledTest {
 protected:
  // alice01: mail (web01 with a url, web02), bank (card01 with an otp secret, bad with a
  // secret that is not base32).
  void SetUp() override {
    InstalledTest::SetUp();
    expectSuccesses("root", kRootPassword, {"adduser alice01 alicepw1 simple"});
    expectSuccesses(
        "alice01", "alicepw1",
        {"adddir mail", "adddir bank", "addpassword mail web01 secret9 url mail.example.org",
         "addpassword mail web02 secret8",
         std::string("addpassword bank card01 cardpw1 otp ") + kRfcSecret,
         "addpassword bank bad badpw01 otp 12345678"});
  }

  // Every file with its contents; alice01's password file, whose random filler every login
  // renews, by its meaning.
  std::map<std::string, std::string> filesButLoginsFiller() {
    std::map<std::string, std::string> files = installation_.files();
    const StoredAccount alice = stored("alice01");
    files["data/alice01.usrpas"] =
        std::to_string(alice.passwordFileMode) + " " + alice.passwordFilePassword;
    return files;
  }

  std::string entry(const std::string& account, const std::string& password,
                    const std::string& info = "") {
    return texts_.gbk(msg::kEntryAccount) + "\t" + account + "\n" +
           texts_.gbk(msg::kEntryPassword) + "\t" + password + "\n" + info + "\n";
  }
};

// Each step is a run of its own, which reads what the steps before it left in the files.
TEST_F(EverydayProgram, EachCommandSucceedsOrIsRefusedWithTheFilesComparedBeforeAndAfter) {
  struct Step {
    Names lines;  // the command line, then its answers
    std::string out;
    std::string err;
    bool changes;  // the files differ afterwards; otherwise they are as before
  };
  const std::string editQuestions =
      texts_.gbk(msg::kAskNewEntryPassword) + texts_.line(msg::kAskReplaceInfo);
  const std::string more = texts_.line(msg::kAskMoreInfo);
  const auto refused = [&](Names lines, const char* message, std::string out = "") {
    return Step{std::move(lines), std::move(out), texts_.shellError(message), false};
  };
  const auto shown = [&](Names lines, std::string out) {
    return Step{std::move(lines), std::move(out), "", false};
  };
  const auto changed = [&](Names lines, std::string out = "") {
    return Step{std::move(lines), out + texts_.ok(), "", true};
  };
  const Step steps[] = {
      refused({"editpassword mail"}, msg::kBadArguments),
      refused({"editpassword mail web01 pw1 url"}, msg::kBadArguments),
      refused({"editpassword nope web01 pw1"}, msg::kGroupMissing),
      refused({"editpassword mail nobody"}, msg::kEntryMissing),  // before any question
      refused({"editpassword mail web01", "", "Y", "Y", ""}, msg::kBadArguments,
              editQuestions + more + texts_.gbk(msg::kAskInfoType)),
      refused({"movepassword mail web01"}, msg::kBadArguments),
      refused({"movepassword nope web01 bank"}, msg::kGroupMissing),
      refused({"movepassword mail nobody bank"}, msg::kEntryMissing),
      refused({"movepassword mail web01 nope"}, msg::kGroupMissing),
      refused({"movepassword mail web01 mail"}, msg::kEntryExists),
      refused({"renamedir mail"}, msg::kBadArguments),
      refused({"renamedir nope post"}, msg::kGroupMissing),
      refused({"renamedir mail bank"}, msg::kGroupExists),
      refused({"find"}, msg::kBadArguments),
      refused({"find nothing"}, msg::kEntryMissing),
      refused({"find SECRET9"}, msg::kEntryMissing),
      refused({"otp bank"}, msg::kBadArguments),
      refused({"otp nope card01"}, msg::kGroupMissing),
      refused({"otp bank nobody"}, msg::kEntryMissing),
      refused({"otp mail web01"}, msg::kNoOneTimeSecret),
      refused({"otp bank bad"}, msg::kBadOneTimeSecret),
      changed({"editpassword mail web01 newpw12"}),
      shown({"password mail web01"}, entry("web01", "newpw12", "url:\tmail.example.org\n")),
      changed({"editpassword mail web02", "", "Y", "Y", "note", "second", "N"},
              editQuestions + more + texts_.gbk(msg::kAskInfoType) +
                  texts_.gbk(msg::kAskInfoContent) + more),
      shown({"password mail web02"}, entry("web02", "secret8", "note:\tsecond\n")),
      shown({"dir mail"}, "mail :\n\tweb01\n\tweb02\n\n"),
      changed({"movepassword mail web01 bank"}),
      shown({"dir mail bank"}, "mail :\n\tweb02\nbank :\n\tcard01\n\tbad\n\tweb01\n\n"),
      changed({"renamedir bank money"}),
      shown({"dir"}, "alice01 :\n\tmail\n\tmoney\n\n"),
      shown({"find WEB"}, "mail web02\nmoney web01\n\n"),
      shown({"find Example"}, "money web01\n\n"),
      shown({"find oTp"}, "money card01\nmoney bad\n\n"),
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.lines[0]);
    const std::map<std::string, std::string> before = filesButLoginsFiller();
    const ProgramResult result = installation_.runAs("alice01", "alicepw1", step.lines);
    EXPECT_EQ(0, result.status);
    EXPECT_EQ(step.err, result.err);
    EXPECT_EQ(texts_.session("alice01", {step.out}), result.out);
    EXPECT_EQ(step.changes, before != filesButLoginsFiller());
    EXPECT_EQ(Names{}, installation_.leftovers());
  }
  // renamedir kept the group's id; movepassword put the entry at the end.
  const UserAccount stored = this->stored("alice01").account;
  ASSERT_EQ(2u, stored.groups.size());
  EXPECT_EQ(2, stored.groups[1].id);
  EXPECT_EQ("money", stored.groups[1].name);
  EXPECT_EQ(2, stored.lastGroupId);
  EXPECT_EQ("web01", stored.groups[1].entries.back().account());
}

// The directory of a program in PATH; empty when there is none.
std::string findInPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "";
  for (size_t at = 0; at <= folders.size();) {
    const size_t end = std::min(folders.find(':', at), folders.size());
    const std::string candidate = folders.substr(at, end - at) + "/" + program;
    if (end > at && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    at = end + 1;
  }
  return "";
}

// At the real time the program's code is the one oathtool (OATH Toolkit) computes for the same
// secret; both runs must fall in one 30-second step, else they are repeated.
TEST_F(EverydayProgram, OtpAtTheRealTimeMatchesOathtool) {
  const std::string oathtool = findInPath("oathtool");
  if (oathtool.empty()) {
    GTEST_SKIP() << "oathtool is not installed (tools/install-prerequisites installs it)";
  }
  for (int attempt = 0; attempt < 3; ++attempt) {
    const std::time_t start = std::time(nullptr);
    const ProgramResult program = installation_.runAs("alice01", "alicepw1", {"otp bank card01"});
    const ProgramResult oath =
        runProgram(oathtool, {"--totp", "-b", kRfcSecret}, folder_.path(), "");
    const std::time_t end = std::time(nullptr);
    if (start / 30 != end / 30) continue;
    ASSERT_EQ(0, oath.status) << oath.err;
    ASSERT_EQ(7u, oath.out.size()) << oath.out;
    const std::string code = texts_.gbk(msg::kOneTimeCodeLabel) + "\t" + oath.out;
    const std::string left = std::to_string(30 - end % 30);
    EXPECT_EQ("", program.err);
    EXPECT_EQ(
        texts_.session("alice01", {code + left + texts_.gbk(msg::kOneTimeCodeExpires) + "\n\n"}),
        program.out);
    return;
  }
  ADD_FAILURE() << "three attempts crossed a step's end";
}

}  // namespace
}  // namespace vellumkeep
