#include "storage/account_text.h"

#include <stdexcept>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "expect_error.h"
#include "model/messages.h"

namespace vellumkeep {
namespace {

Group makeGroup(int32_t id, std::string name) {
  Group group;
  group.id = id;
  group.name = std::move(name);
  return group;
}

void addEntry(Group& group, std::string_view account, std::string_view password,
              std::string_view info) {
  group.entries.emplace_back(account, password, info);
  ++group.entryCount;
}

void setInfo(PasswordEntry& entry, std::string_view info) {
  entry = PasswordEntry(entry.account(), entry.password(), info);
}

void addGroup(UserAccount& account, Group group) {
  account.groups.push_back(std::move(group));
  ++account.groupCount;
}

// The text of alice01 with one group "mail" holding one entry.
constexpr char kOneEntryText[] =
    "alice01\npw1234\n8\n1\n1\n3\nmail\n3\n1\nbob@x.org\nsecret\nurl example.com\n";

UserAccount oneEntryAccount() {
  UserAccount account = makeAccount("alice01", "pw1234", Simple, User);
  account.lastGroupId = 3;
  Group mail = makeGroup(3, "mail");
  addEntry(mail, "bob@x.org", "secret", "url\nexample.com");
  addGroup(account, mail);
  return account;
}

void expectSameEntries(const Group& actual, const Group& expected) {
  ASSERT_EQ(actual.entries.size(), expected.entries.size());
  for (size_t i = 0; i < expected.entries.size(); ++i) {
    EXPECT_EQ(actual.entries[i].account(), expected.entries[i].account());
    EXPECT_EQ(actual.entries[i].password(), expected.entries[i].password());
    EXPECT_EQ(actual.entries[i].info(), expected.entries[i].info());
  }
}

void expectSameAccount(const UserAccount& actual, const UserAccount& expected) {
  EXPECT_EQ(actual.name, expected.name);
  EXPECT_EQ(actual.password, expected.password);
  EXPECT_EQ(actual.role, expected.role);
  EXPECT_EQ(actual.mode, expected.mode);
  EXPECT_EQ(actual.groupCount, expected.groupCount);
  EXPECT_EQ(actual.lastGroupId, expected.lastGroupId);
  ASSERT_EQ(actual.groups.size(), expected.groups.size());
  for (size_t g = 0; g < expected.groups.size(); ++g) {
    EXPECT_EQ(actual.groups[g].name, expected.groups[g].name);
    EXPECT_EQ(actual.groups[g].id, expected.groups[g].id);
    EXPECT_EQ(actual.groups[g].entryCount, expected.groups[g].entryCount);
    expectSameEntries(actual.groups[g], expected.groups[g]);
  }
}

TEST(AccountTextTest, ExactLayouts) {
  EXPECT_EQ(writeAccountText(makeAccount("root", "toor12", Simple, SystemAdministrator)),
            "root\ntoor12\n2\n1\n0\n0\n");
  UserAccount withEmptyGroup = makeAccount("admin1", "pw1234", Unencrypted, Administrator);
  withEmptyGroup.lastGroupId = 7;
  addGroup(withEmptyGroup, makeGroup(-7, "empty"));
  EXPECT_EQ(writeAccountText(withEmptyGroup), "admin1\npw1234\n4\n0\n1\n7\nempty\n-7\n0\n");
  EXPECT_EQ(writeAccountText(oneEntryAccount()), kOneEntryText);
}

TEST(AccountTextTest, RoundTripWithGroupsEntriesAndInfo) {
  UserAccount account = makeAccount("carol_9", "p@ss.w0rd", Unencrypted, User);
  account.lastGroupId = 5;
  Group mail = makeGroup(2, "mail");
  addEntry(mail, "carol@x.org", "s3cret", "url\nmail.x.org\npin\n1234");
  addEntry(mail, "other", "pw", "");
  addGroup(account, mail);
  addGroup(account, makeGroup(4, "empty"));
  Group bank = makeGroup(5, "bank");
  addEntry(bank, "carol@x.org", "different", "q a");
  addGroup(account, bank);

  UserAccount scratch;
  readAccountText(writeAccountText(account), scratch);

  setInfo(account.groups[0].entries[0], "url mail.x.org pin 1234");
  expectSameAccount(scratch, account);
}

TEST(AccountTextTest, ReplacesEverythingTheScratchHeld) {
  UserAccount scratch = oneEntryAccount();
  scratch.groups.push_back(makeGroup(9, "stale"));
  readAccountText("x\ny\n\n\n0\n\n", scratch);
  expectSameAccount(scratch, makeAccount("x", "y", 0, 0));
}

TEST(AccountTextTest, WritesCountsOfWhatIsHeld) {
  UserAccount account = oneEntryAccount();
  account.groupCount = 5;
  account.groups[0].entryCount = 0;
  EXPECT_EQ(writeAccountText(account), kOneEntryText);
}

TEST(AccountTextTest, LineEndVariants) {
  UserAccount plain;
  readAccountText(kOneEntryText, plain);
  expectSameAccount(plain, [] {
    UserAccount expected = oneEntryAccount();
    setInfo(expected.groups[0].entries[0], "url example.com");
    return expected;
  }());

  std::string crlf;
  for (char c : std::string(kOneEntryText)) {
    if (c == '\n') crlf.push_back('\r');
    crlf.push_back(c);
  }
  UserAccount fromCrlf;
  readAccountText(crlf, fromCrlf);
  expectSameAccount(fromCrlf, plain);

  UserAccount withExtraLines;
  readAccountText(std::string(kOneEntryText) + "junk\n\n42\n", withExtraLines);
  expectSameAccount(withExtraLines, plain);
}

// Missing or cut lines, unreadable or negative counts, ids the program never writes; the
// scratch account stays as it was.
TEST(AccountTextTest, DamagedTextsAreCorruption) {
  const std::string text = kOneEntryText;
  const std::string damaged[] = {
      text.substr(0, text.rfind('\n', text.size() - 2) + 1),
      "",
      "root\ntoor12\n2\n1\n0\n",
      "root\ntoor12\n2\n1\n1\n0\n",
      "root\ntoor12\n2\n1\n1\n0\ng\n1\n1\nacc\npw\n",
      "root\ntoor12\n2\n1\n-1\n0\n",
      "root\ntoor12\n2\n1\nmany\n0\n",
      "root\ntoor12\n2\n1\n\n0\n",
      "root\ntoor12\n2\n1\n99999999999\n0\n",
      "root\ntoor12\n2\n1\n1\n0\ng\n1\n-2\n",
      "root\ntoor12\n2\n1\n1\n0\ng\n1\nx\n",
      // Cut short: the last needed line lacks its line end.
      text.substr(0, text.size() - 1),
      text.substr(0, text.size() - 5),
      "root\ntoor12\n2\n1\n0\n0",
      // Ids the program never writes: negative, or with no successor.
      "root\ntoor12\n2\n1\n0\n-3\n",
      "root\ntoor12\n2\n1\n0\n2147483647\n",
      "root\ntoor12\n2\n1\n1\n5\ng\n-1\n0\n",
      "root\ntoor12\n2\n1\n1\n5\ng\n2147483647\n0\n",
  };
  for (const std::string& bad : damaged) {
    SCOPED_TRACE(bad);
    UserAccount scratch = oneEntryAccount();
    expectError<std::domain_error>([&] { readAccountText(bad, scratch); }, msg::kCorruptUserData);
    expectSameAccount(scratch, oneEntryAccount());
  }
}

TEST(AccountTextTest, NumbersAsAStreamReadsThem) {
  UserAccount scratch;
  readAccountText("n\np\n 12abc\n\t+1\n2 x\n3\ng\n 0x5\n+0\nh\nabc\n1\na\nb\nc\n", scratch);
  EXPECT_EQ(scratch.role, 12);
  EXPECT_EQ(scratch.mode, 1);
  EXPECT_EQ(scratch.groupCount, 2);
  EXPECT_EQ(scratch.lastGroupId, 3);
  ASSERT_EQ(scratch.groups.size(), 2u);
  EXPECT_EQ(scratch.groups[0].id, 0);
  EXPECT_EQ(scratch.groups[0].entryCount, 0);
  EXPECT_EQ(scratch.groups[1].name, "h");
  EXPECT_EQ(scratch.groups[1].id, 0);  // "abc" is no number
  ASSERT_EQ(scratch.groups[1].entries.size(), 1u);
  EXPECT_EQ(scratch.groups[1].entries[0].info(), "c");

  readAccountText("n\np\n+-4\n-\n0\n99999999999\n", scratch);
  EXPECT_EQ(scratch.role, 0);
  EXPECT_EQ(scratch.mode, 0);
  EXPECT_EQ(scratch.lastGroupId, 0);
}

// A store large enough to span many pieces, with a line longer than one piece.
UserAccount largeAccount() {
  UserAccount account = makeAccount("alice01", "pw1234", Simple, User);
  for (int g = 0; g < 30; ++g) {
    Group group = makeGroup(g + 1, "group" + std::to_string(g));
    for (int e = 0; e < 100; ++e) {
      addEntry(group, "user" + std::to_string(e) + "@example.org", "pw" + std::to_string(e),
               "url\nhttps://example.org/" + std::to_string(g) + " note x");
    }
    addGroup(account, group);
  }
  setInfo(account.groups[7].entries[3], std::string(kAccountTextPiece + 17, 'i'));
  account.lastGroupId = 30;
  return account;
}

TEST(AccountTextPieces, PiecesMakeTheWholeText) {
  UserAccount account = largeAccount();
  std::string joined;
  size_t pieces = 0;
  writeAccountText(account, [&](std::string_view piece) {
    joined.append(piece);
    ++pieces;
  });
  EXPECT_GT(pieces, 2u);
  EXPECT_EQ(writeAccountText(account), joined);
}

TEST(AccountTextPieces, ReadingInAnyPieceSizeGivesTheSameAccount) {
  const std::string text = writeAccountText(largeAccount());
  for (size_t size : {size_t{1}, size_t{7}, size_t{4096}, kAccountTextPiece, text.size()}) {
    size_t at = 0;
    bool emptyGiven = false;
    UserAccount scratch;
    readAccountText(
        [&](std::string& piece) {
          // An empty piece now and then must not end the text.
          if (!emptyGiven && at > 0) {
            emptyGiven = true;
            piece.clear();
            return true;
          }
          emptyGiven = false;
          if (at >= text.size()) return false;
          piece.assign(text, at, size);
          at += piece.size();
          return true;
        },
        text.size(), scratch);
    EXPECT_EQ(text, writeAccountText(scratch)) << "pieces of " << size;
  }
}

TEST(AccountTextPieces, ShortTextInPiecesIsCorruption) {
  const std::string text = "root\ntoor12\n2\n1\n1\n0\n";
  bool given = false;
  UserAccount scratch;
  const auto pieces = [&](std::string& piece) {  // the whole text once, then its end
    piece = given ? "" : text;
    return !std::exchange(given, true);
  };
  expectError<std::domain_error>([&] { readAccountText(pieces, 64, scratch); },
                                 msg::kCorruptUserData);
}

}  // namespace
}  // namespace vellumkeep
