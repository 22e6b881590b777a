// Bad input to the built program: every byte value inside command lines and inside each kind
// of answer, carriage returns and NUL bytes, lines of 1 MiB, input that ends without a line end,
// and a Config.ini and user files of random bytes. The program neither crashes nor hangs,
// answers with its own messages, and changes stored data only by commands that succeeded.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "e2e/installation.h"
#include "model/charsets.h"
#include "model/messages.h"

namespace vellumkeep {
namespace {

constexpr unsigned kSeed = 20261207;
constexpr size_t kMebibyte = 1 << 20;
constexpr int kRandomFiles = 40;  // per kind of file

bool isText(int byte) {
  return kTextCharset.find(static_cast<char>(byte)) != std::string_view::npos;
}
bool isLineByte(int byte) {
  return kLineCharset.find(static_cast<char>(byte)) != std::string_view::npos;
}
std::string hex(int byte) {
  char digits[3];
  std::snprintf(digits, sizeof digits, "%02x", byte);
  return digits;
}
// `prefix` followed by the byte; a line end ends the answer there, so it adds nothing.
std::string withByte(const std::string& prefix, int byte) {
  return byte == '\n' ? prefix : prefix + static_cast<char>(byte);
}

std::vector<std::string> groupNames(const UserAccount& account) {
  std::vector<std::string> names;
  for (const Group& group : account.groups) names.push_back(group.name);
  return names;
}

// A session's input after the login, and what the program must answer, built step by step.
class Dialogue {
 public:
  Dialogue(ConsoleTexts& texts, std::string name)
      : texts_(texts), name_(std::move(name)), out_(texts.loggedIn(name_)) {}

  // One command line with its answers (each ending in a line end), what it writes on
  // standard output before the next prompt, and its error message (none when it succeeds).
  void add(const std::string& input, const std::string& output, const char* error = nullptr) {
    input_ += input;
    out_ += output + ConsoleTexts::prompt(name_);
    if (error) err_ += texts_.shellError(error);
  }
  // A question of a command, reached by `before` and asked by `asked`, answered with `answer`
  // and a line end. An answer of the text set goes on with `after`: the program writes `rest`
  // and ends with `error`, or succeeds when `error` is null. Any other answer stops the
  // command with "非法字符!".
  void answer(const std::string& before, const std::string& answer, bool valid,
              const std::string& after, const std::string& asked, const std::string& rest,
              const char* error) {
    if (valid) {
      add(before + answer + "\n" + after, asked + rest + (error ? "" : texts_.ok()), error);
    } else {
      add(before + answer + "\n", asked, msg::kIllegalCharacter);
    }
  }
  // A line written on the error stream during a command (with one line end).
  void addErrorLine(const char* message) { err_ += texts_.line(message); }

  const std::string& input() const { return input_; }
  const std::string& out() const { return out_; }
  const std::string& err() const { return err_; }

 private:
  ConsoleTexts& texts_;
  std::string name_;
  std::string input_;
  std::string out_;
  std::string err_;
};

class BadInput : public InstalledTest {
 protected:
  void SetUp() override {
    InstalledTest::SetUp();
    expectSuccesses("root", kRootPassword, {"adduser alice01 alicepw1 simple"});
    expectSuccesses("alice01", "alicepw1",
                    {"adddir mail", "addpassword mail web01 secret9 url mail.example.org"});
  }

  // Runs the dialogue as `name` and compares everything the program wrote.
  void expectDialogue(const std::string& name, const std::string& password,
                      const Dialogue& dialogue) {
    ProgramResult result = installation_.run(joinLines({name, password}) + dialogue.input());
    EXPECT_EQ(0, result.status);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(dialogue.err(), result.err);
    EXPECT_EQ(dialogue.out(), result.out);
    expectOnlyUserFiles();
  }

  // The mode and password of the password file, and the data file: what a login reads.
  std::string storedState(const std::string& name) {
    try {
      StoredAccount account = installation_.stored(name, "data/");
      return std::to_string(account.passwordFileMode) + " " + account.passwordFilePassword + "\n" +
             installation_.read("data/" + name + ".usr");
    } catch (const std::exception& error) {
      return std::string("unreadable: ") + error.what();
    }
  }

  void expectOnlyUserFiles() {
    EXPECT_EQ(std::vector<std::string>{}, installation_.leftovers("data/"));
  }

  // Standard error holds nothing but the program's messages, each followed by line ends.
  void expectOnlyMessages(const std::string& err) {
    static constexpr const char* kMessages[] = {
        msg::kBadQueryArguments, msg::kIllegalCharacter, msg::kUnknownCommand,
        msg::kNoPermission,      msg::kOperatorMissing,  msg::kBadArguments,
        msg::kInvalidArgument,   msg::kMissingArgument,  msg::kStackError,
        msg::kIllegalOperation,  msg::kDirectoryError,   msg::kGroupMissing,
        msg::kGroupExists,       msg::kEntryMissing,     msg::kEntryExists,
        msg::kCorruptUserData,   msg::kNonAscii,         msg::kValueTooLarge,
        msg::kWriteFailed,       msg::kWrongAnswer};
    std::string rest = err;
    // A damaged user that root's login names: the message, then two blanks and the name.
    const std::string damaged = texts_.gbk(msg::kCorruptUserData) + "\n  ";
    for (size_t at = rest.find(damaged); at != std::string::npos; at = rest.find(damaged)) {
      const size_t end = rest.find('\n', at + damaged.size());
      ASSERT_NE(std::string::npos, end) << "a name without its line end: " << err;
      rest.replace(at, end + 1 - at, "\n");
    }
    for (const char* message : kMessages) {
      const std::string text = texts_.gbk(message) + "\n";
      for (size_t at = rest.find(text); at != std::string::npos; at = rest.find(text)) {
        rest.replace(at, text.size(), "\n");
      }
    }
    EXPECT_EQ(std::string::npos, rest.find_first_not_of('\n')) << "not a message: " << err;
  }

  std::string groupListing(const std::vector<std::string>& groups) {
    std::string text = "alice01 :\n";
    for (const std::string& group : groups) text += "\t" + group + "\n";
    return text + "\n";
  }
};

// ---------------------------------------------------------------------------------------------
// Every byte value

TEST_F(BadInput, EveryByteInACommandLine) {
  Dialogue dialogue(texts_, "alice01");
  std::vector<std::string> groups{"mail"};
  for (int byte = 0; byte < 256; ++byte) {
    const char c = static_cast<char>(byte);
    // Inside an argument.
    const std::string line = std::string("adddir g") + c + "x\n";
    if (c == '\n') {
      dialogue.add("adddir g\n", texts_.ok());
      groups.push_back("g");
      dialogue.add("x\n", "", msg::kUnknownCommand);
    } else if (isText(byte)) {
      dialogue.add(line, texts_.ok());
      groups.push_back(std::string("g") + c + "x");
    } else if (c == ' ' || c == '\t') {
      dialogue.add(line, "", msg::kBadArguments);
    } else {
      dialogue.add(line, "", msg::kIllegalCharacter);  // a backslash passes the line check only
    }
    // Inside the command word.
    if (c == '\n') {
      dialogue.add("sea\n", "", msg::kUnknownCommand);
      dialogue.add("ch mail\n", "", msg::kUnknownCommand);
    } else {
      dialogue.add(std::string("sea") + c + "ch mail\n", "",
                   isLineByte(byte) ? msg::kUnknownCommand : msg::kIllegalCharacter);
    }
  }
  dialogue.add("dir\n", groupListing(groups));
  expectDialogue("alice01", "alicepw1", dialogue);

  EXPECT_EQ(groups, groupNames(stored("alice01").account));
}

TEST_F(BadInput, EveryByteInAConfirmation) {
  const std::string question = texts_.gbk(msg::kConfirmDeleteEntry) + "\n";
  const std::string again = texts_.gbk(msg::kAnswerAgain);
  Dialogue dialogue(texts_, "alice01");
  for (int byte = 0; byte < 256; ++byte) {
    std::vector<std::string> answers{withByte("", byte)};
    if (byte != '\n') answers.push_back(withByte("y", byte));
    for (const std::string& answer : answers) {
      const std::string command = "delpassword mail web01\n" + answer + "\n";
      if (answer == "Y" || answer == "y") {
        dialogue.add(command, question + texts_.ok());
        dialogue.add("addpassword mail web01 secret9 url mail.example.org\n", texts_.ok());
      } else if (answer == "N" || answer == "n") {
        dialogue.add(command, question);
      } else {
        dialogue.add(command + "n\n", question + again + question);
      }
    }
  }
  expectDialogue("alice01", "alicepw1", dialogue);
  const UserAccount alice = stored("alice01").account;
  ASSERT_EQ(1u, alice.groups.size());
  ASSERT_EQ(1u, alice.groups[0].entries.size());
  EXPECT_EQ("secret9", alice.groups[0].entries[0].password());
}

TEST_F(BadInput, EveryByteInEachAnswerOfAddpassword) {
  const std::string group = texts_.gbk(msg::kAskTargetGroup);
  const std::string account = texts_.gbk(msg::kAskUserName);
  const std::string password = texts_.gbk(msg::kAskPassword);
  const std::string more = texts_.gbk(msg::kAskMoreInfo) + "\n";
  const std::string type = texts_.gbk(msg::kAskInfoType);
  const std::string content = texts_.gbk(msg::kAskInfoContent);
  const std::string start = "addpassword\n";
  Dialogue dialogue(texts_, "alice01");
  std::vector<PasswordEntry> entries{{"web01", "secret9", "url mail.example.org"}};
  for (int byte = 0; byte < 256; ++byte) {
    const bool valid = byte == '\n' || isText(byte);
    const std::string h = hex(byte);
    // The group: another text names no group.
    const std::string groupName = withByte("mail", byte);
    dialogue.answer(start, groupName, valid, "a" + h + "\npw\nn\n", group,
                    account + password + more, groupName == "mail" ? nullptr : msg::kGroupMissing);
    if (valid && groupName == "mail") entries.push_back({"a" + h, "pw", ""});
    // The account.
    const std::string accountName = withByte("b" + h, byte);
    dialogue.answer(start + "mail\n", accountName, valid, "pw\nn\n", group + account,
                    password + more, nullptr);
    if (valid) entries.push_back({accountName, "pw", ""});
    // The password.
    const std::string secret = withByte("p", byte);
    dialogue.answer(start + "mail\nc" + h + "\n", secret, valid, "n\n", group + account + password,
                    more, nullptr);
    if (valid) entries.push_back({"c" + h, secret, ""});
    // Whether more follows; in a group that does not exist, so that nothing is stored.
    const std::string answer = withByte("", byte);
    const std::string asked = start + "none\nd" + h + "\npw\n" + answer + "\n";
    if (answer == "Y" || answer == "y") {
      dialogue.add(asked + "t\nc\nn\n", group + account + password + more + type + content + more,
                   msg::kGroupMissing);
    } else if (answer == "N" || answer == "n") {
      dialogue.add(asked, group + account + password + more, msg::kGroupMissing);
    } else {
      dialogue.addErrorLine(msg::kWrongAnswer);
      dialogue.add(asked + "n\n", group + account + password + more + more, msg::kGroupMissing);
    }
    // The type and the content of an info pair.
    const std::string upToType = group + account + password + more + type;
    const std::string typeName = withByte("t", byte);
    dialogue.answer(start + "mail\ne" + h + "\npw\ny\n", typeName, valid, "c\nn\n", upToType,
                    content + more, nullptr);
    if (valid) entries.push_back({"e" + h, "pw", typeName + " c"});
    const std::string contentText = withByte("c", byte);
    dialogue.answer(start + "mail\nf" + h + "\npw\ny\nt\n", contentText, valid, "n\n",
                    upToType + content, more, nullptr);
    if (valid) entries.push_back({"f" + h, "pw", "t " + contentText});
  }
  expectDialogue("alice01", "alicepw1", dialogue);

  const UserAccount alice = stored("alice01").account;
  ASSERT_EQ(1u, alice.groups.size());
  const std::vector<PasswordEntry>& kept = alice.groups[0].entries;
  ASSERT_EQ(entries.size(), kept.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].account(), kept[i].account());
    EXPECT_EQ(entries[i].password(), kept[i].password()) << entries[i].account();
    EXPECT_EQ(entries[i].info(), kept[i].info()) << entries[i].account();
  }
}

TEST_F(BadInput, EveryByteInEachAnswerOfAdduser) {
  const std::string name = texts_.gbk(msg::kAskUserName);
  const std::string password = texts_.gbk(msg::kAskPassword);
  const std::string mode = texts_.gbk(msg::kAskMode);
  Dialogue dialogue(texts_, "root");
  for (int byte = 0; byte < 256; ++byte) {
    const bool text = byte == '\n' || isText(byte);
    // The name (no slash in names); a mode that does not exist stops every one of them.
    dialogue.answer("adduser\n", withByte("user" + hex(byte), byte), text && byte != '/',
                    "userpw1\nbad\n", name, password + mode, msg::kUnknownAddMode);
    // The password.
    dialogue.answer("adduser\npwuser1\n", withByte("passwd", byte), text, "bad\n", name + password,
                    mode, msg::kUnknownAddMode);
    // The mode, taken as typed: only the line end leaves "simple" itself.
    const std::string modeName = withByte("simple", byte);
    dialogue.add("adduser\nmduser1\nmdpass1\n" + modeName + "\n",
                 name + password + mode + (modeName == "simple" ? texts_.ok() : ""),
                 modeName == "simple" ? nullptr : msg::kUnknownAddMode);
  }
  expectDialogue("root", kRootPassword, dialogue);
  EXPECT_EQ((std::vector<std::string>{"root", "alice01", "mduser1"}), installation_.listedNames());
  EXPECT_EQ((std::vector<std::string>{"alice01.usr", "alice01.usrpas", "mduser1.usr",
                                      "mduser1.usrpas", "root.usr", "root.usrpas"}),
            installation_.entries("data"));
  EXPECT_EQ("mdpass1", stored("mduser1").account.password);
}

// The byte ends the login's name or password; a line end there leaves the right one, so that
// attempt, made last, logs in.
TEST_F(BadInput, EveryByteInTheLoginNameAndPassword) {
  const std::string rootBefore = storedState("root");
  const std::string aliceBefore = storedState("alice01");
  for (bool inName : {true, false}) {
    SCOPED_TRACE(inName ? "name" : "password");
    std::string input;
    size_t refusals = 0;
    for (int byte = 0; byte < 256; ++byte) {
      if (byte == '\n') continue;
      input += inName ? joinLines({withByte("root", byte), kRootPassword})
                      : joinLines({"root", withByte(kRootPassword, byte)});
      ++refusals;
    }
    input += joinLines({"root", kRootPassword});
    // Each refusal costs one key derivation at the program's cost: about 0.1 s on a quiet
    // machine, several times that on a busy one.
    ProgramOptions slow;
    slow.timeLimitMs = 10000 + static_cast<int>(refusals) * 2000;
    ProgramResult result = installation_.run(input, slow);
    EXPECT_EQ(0, result.status);
    EXPECT_EQ("", result.err);
    EXPECT_EQ(texts_.loggedIn("root", refusals), result.out);
  }
  // root's password file gets new filler at each login; what it holds stays.
  EXPECT_EQ(rootBefore, storedState("root"));
  EXPECT_EQ(aliceBefore, storedState("alice01"));
  expectOnlyUserFiles();
}

// ---------------------------------------------------------------------------------------------
// Carriage returns, NUL bytes, long lines, input ending without a line end

TEST_F(BadInput, CarriageReturnsAndNulBytes) {
  const std::map<std::string, std::string> before = installation_.files();
  // Lines ending in CR LF: no name matches, so the login asks until the input ends.
  ProgramResult result = installation_.run("alice01\r\nalicepw1\r\nroot\r\nrootpw1\r\n");
  EXPECT_EQ(1, result.status);
  EXPECT_EQ("", result.err);
  EXPECT_EQ(texts_.refused(2), result.out);
  result = installation_.run(std::string("alice01\0", 8) + "\nalicepw1\n");
  EXPECT_EQ(texts_.refused(1), result.out);
  EXPECT_EQ(before, installation_.files());

  Dialogue dialogue(texts_, "alice01");
  dialogue.add("adddir travel\r\n", "", msg::kIllegalCharacter);
  dialogue.add("dir\r\n", "", msg::kIllegalCharacter);
  dialogue.add(std::string("\0\0\0\n", 4), "", msg::kIllegalCharacter);
  dialogue.add(std::string("adddir \0\n", 9), "", msg::kIllegalCharacter);
  dialogue.add("adddir\ntravel\r\n", texts_.gbk(msg::kAskGroup), msg::kIllegalCharacter);
  dialogue.add("deldir mail\nY\r\nn\n",
               texts_.gbk(msg::kWarnDeleteGroup) + "\n" + texts_.gbk(msg::kConfirmDeleteGroup) +
                   "\n" + texts_.gbk(msg::kAnswerAgain) + texts_.gbk(msg::kWarnDeleteGroup) + "\n" +
                   texts_.gbk(msg::kConfirmDeleteGroup) + "\n");
  expectDialogue("alice01", "alicepw1", dialogue);
  EXPECT_EQ(before.at("data/alice01.usr"), installation_.read("data/alice01.usr"));
}

TEST_F(BadInput, LinesOfOneMebibyte) {
  const std::string name(kMebibyte, 'a');
  const std::string group(kMebibyte, 'b');
  ProgramOptions slow;
  slow.timeLimitMs = 60000;
  // As login name, as a command of forbidden bytes, of blanks, and as a group name.
  ProgramResult result = installation_.run(
      joinLines({name, "alicepw1", "alice01", "alicepw1", std::string(kMebibyte, '\xff'),
                 std::string(kMebibyte, ' ') + "dir", "adddir " + group}),
      slow);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(0, result.status);
  EXPECT_EQ(texts_.shellError(msg::kIllegalCharacter), result.err);
  const std::string prompt = ConsoleTexts::prompt("alice01");
  EXPECT_EQ(texts_.loggedIn("alice01", 1) + prompt + groupListing({"mail"}) + prompt + texts_.ok() +
                prompt,
            result.out);
  // The long group is stored whole and read back at the next login.
  result = installation_.run(joinLines({"alice01", "alicepw1", "dir"}), slow);
  EXPECT_EQ("", result.err);
  EXPECT_EQ(texts_.loggedIn("alice01") + groupListing({"mail", group}) + prompt, result.out);
  expectOnlyUserFiles();
}

TEST_F(BadInput, InputEndingWithoutALineEnd) {
  struct Case {
    const char* what;
    std::string input;
    std::string out;  // after the login
    int status;
    std::vector<std::string> groups;
  };
  const std::string prompt = ConsoleTexts::prompt("alice01");
  const Case cases[] = {
      {"password", "alice01\nalicepw1", "", 0, {"mail"}},
      {"command", "alice01\nalicepw1\nadddir last", texts_.ok() + prompt, 0, {"mail", "last"}},
      {"question",
       "alice01\nalicepw1\naddpassword\nmail",
       texts_.gbk(msg::kAskTargetGroup) + texts_.gbk(msg::kAskUserName),
       0,
       {"mail", "last"}},
      {"confirmation",
       "alice01\nalicepw1\ndeldir last\nY",
       texts_.gbk(msg::kWarnDeleteGroup) + "\n" + texts_.gbk(msg::kConfirmDeleteGroup) + "\n" +
           texts_.ok() + prompt,
       0,
       {"mail"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ProgramResult result = installation_.run(c.input);
    EXPECT_EQ(c.status, result.status);
    EXPECT_EQ("", result.err);
    EXPECT_EQ(texts_.loggedIn("alice01") + c.out, result.out);
    const UserAccount alice = stored("alice01").account;
    EXPECT_EQ(c.groups, groupNames(alice));
    ASSERT_EQ(1u, alice.groups.at(0).entries.size());
  }
  // Only a name: login cannot go on.
  ProgramResult result = installation_.run("alice01");
  EXPECT_EQ(1, result.status);
  EXPECT_EQ(texts_.banner() + texts_.attempt(), result.out);
  expectOnlyUserFiles();
}

// ---------------------------------------------------------------------------------------------
// Files of random bytes

class BadInputFiles : public BadInput {
 protected:
  // Random bytes, or `valid` with a few random changes: bytes replaced, inserted, removed,
  // or the end cut off.
  std::string randomFile(const std::string& valid) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::string text;
    if (pick(3) == 0) {
      text.resize(pick(3000));
      for (char& c : text) c = static_cast<char>(byte(random_));
      return text;
    }
    text = valid;
    for (size_t changes = 1 + pick(6); changes > 0 && !text.empty(); --changes) {
      const size_t at = pick(text.size());
      switch (pick(4)) {
        case 0:
          text[at] = static_cast<char>(byte(random_));
          break;
        case 1:
          text.insert(at, 1, static_cast<char>(byte(random_)));
          break;
        case 2:
          text.erase(at, 1);
          break;
        default:
          text.resize(at);
      }
    }
    return text;
  }
  size_t pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }

  // A run that neither crashes nor hangs and writes only the program's messages.
  ProgramResult expectSoundRun(const std::string& input) {
    ProgramResult result = installation_.run(input);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(0, result.signal);
    EXPECT_TRUE(result.status == 0 || result.status == 1) << result.status;
    expectOnlyMessages(result.err);
    return result;
  }

  std::mt19937 random_{kSeed};
};

TEST_F(BadInputFiles, RandomConfigIni) {
  const std::string config = installation_.read("Config.ini");
  const std::string root = storedState("root");
  const std::string alice = storedState("alice01");
  for (int i = 0; i < kRandomFiles; ++i) {
    const std::string damaged = randomFile(config);
    SCOPED_TRACE("Config.ini: " + damaged);
    installation_.write("Config.ini", damaged);
    expectSoundRun(joinLines({"root", kRootPassword, "user", "alice01", "alicepw1", "dir"}));
    EXPECT_EQ(damaged, installation_.read("Config.ini"));
    EXPECT_EQ(root, storedState("root"));
    EXPECT_EQ(alice, storedState("alice01"));
    expectOnlyUserFiles();
  }
  installation_.write("Config.ini", config);
  expectSuccesses("alice01", "alicepw1", {});
}

TEST_F(BadInputFiles, RandomUserFiles) {
  const std::string root = storedState("root");
  for (const char* file : {"data/alice01.usr", "data/alice01.usrpas"}) {
    const std::string valid = installation_.read(file);
    for (int i = 0; i < kRandomFiles; ++i) {
      const std::string damaged = randomFile(valid);
      SCOPED_TRACE(std::string(file) + ": " + damaged);
      installation_.write(file, damaged);
      const std::string before = storedState("alice01");
      expectSoundRun(joinLines({"alice01", "alicepw1", "dir"}));
      expectSoundRun(joinLines({"root", kRootPassword, "user"}));
      // Logins read; only a login of alice01 may give her password file new filler.
      EXPECT_EQ(before, storedState("alice01"));
      EXPECT_EQ(root, storedState("root"));
      expectOnlyUserFiles();
    }
    installation_.write(file, valid);
  }
  expectSuccesses("alice01", "alicepw1", {});
}

// Mode strong: damaged sealed files and verifier files are refused as damage or as a wrong
// password, and a login of a strong user writes nothing.
TEST_F(BadInputFiles, RandomStrongUserFiles) {
  expectSuccesses("root", kRootPassword, {"adduser erin001 erinpw00 strong"});
  installation_.firstLogin("erin001", "erinpw00", "erinpw01");
  expectSuccesses("erin001", "erinpw01",
                  {"adddir vault", "addpassword vault k1 keypw001 pin 4711"});
  for (const char* file : {"data/erin001.usr", "data/erin001.usrpas"}) {
    const std::string valid = installation_.read(file);
    for (int i = 0; i < kRandomFiles / 4; ++i) {
      const std::string damaged = randomFile(valid);
      SCOPED_TRACE(std::string(file) + ": " + damaged);
      installation_.write(file, damaged);
      const std::map<std::string, std::string> before = installation_.files();
      expectSoundRun(joinLines({"erin001", "erinpw01", "dir"}));
      expectSoundRun(joinLines({"root", kRootPassword, "user"}));
      EXPECT_EQ(before.at("data/erin001.usr"), installation_.files().at("data/erin001.usr"));
      EXPECT_EQ(before.at("data/erin001.usrpas"), installation_.files().at("data/erin001.usrpas"));
      expectOnlyUserFiles();
    }
    installation_.write(file, valid);
  }
  expectSuccesses("erin001", "erinpw01", {});
}

}  // namespace
}  // namespace vellumkeep
