// The account text (the plain data file) as any bytes: a text is either refused with the
// corruption error, leaving the scratch account as it was, or read into an account whose own
// text reads back to the same account. Read in pieces, it reads as it does whole.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "model/messages.h"
#include "model/user_account.h"
#include "storage/account_text.h"

namespace {

using vellumkeep::UserAccount;

// What the scratch account holds before the read: one group with one entry.
UserAccount previousScratch() {
  UserAccount account =
      vellumkeep::makeAccount("alice01", "alicepw1", vellumkeep::Simple, vellumkeep::User);
  vellumkeep::Group group;
  group.id = 1;
  group.name = "mail";
  group.entries.push_back({"alice@example.org", "mailpw1", "url\nmail.example.org"});
  group.entryCount = 1;
  account.groups.push_back(group);
  account.groupCount = 1;
  account.lastGroupId = 1;
  return account;
}

bool endsInCarriageReturn(std::string_view line) {
  return !line.empty() && line.back() == '\r';
}

// A line ending in a carriage return loses it when read: the reader takes such line ends
// from edited files. Such fields cannot be typed, so they are left out of the round trip.
bool holdsLineEndingInCarriageReturn(const UserAccount& account) {
  if (endsInCarriageReturn(account.name) || endsInCarriageReturn(account.password)) return true;
  for (const vellumkeep::Group& group : account.groups) {
    if (endsInCarriageReturn(group.name)) return true;
    for (const vellumkeep::PasswordEntry& entry : group.entries) {
      if (endsInCarriageReturn(entry.account()) || endsInCarriageReturn(entry.password()) ||
          endsInCarriageReturn(entry.info())) {
        return true;
      }
    }
  }
  return false;
}

// The text handed over in small pieces, as a data file is loaded, must read as it does whole:
// the same account, or the corruption error with the scratch account left as it was.
void checkPiecewiseRead(std::string_view text, const UserAccount* whole) {
  using namespace vellumkeep;
  const std::vector<std::string_view> pieces = fuzz::cutIntoPieces(text);
  size_t next = 0;
  const TextPieces nextPiece = [&](std::string& piece) {
    if (next == pieces.size()) return false;
    piece.assign(pieces[next++]);
    return true;
  };
  UserAccount scratch = previousScratch();
  try {
    readAccountText(nextPiece, text.size(), scratch);
  } catch (const std::domain_error& error) {
    fuzz::expectMessage(error, msg::kCorruptUserData);
    if (whole) fuzz::fail("a text read whole is refused in pieces");
    if (writeAccountText(scratch) != writeAccountText(previousScratch())) {
      fuzz::fail("a text refused in pieces changed scratch");
    }
    return;
  }
  if (!whole) fuzz::fail("a text refused whole is read in pieces");
  if (writeAccountText(scratch) != writeAccountText(*whole)) {
    fuzz::fail("a text read in pieces differs from the text read whole");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vellumkeep;
  UserAccount scratch = previousScratch();
  const std::string previousText = writeAccountText(scratch);
  const std::string_view input = fuzz::asText(data, size);
  try {
    readAccountText(input, scratch);
  } catch (const std::domain_error& error) {
    fuzz::expectMessage(error, msg::kCorruptUserData);
    if (writeAccountText(scratch) != previousText) fuzz::fail("a refused text changed scratch");
    checkPiecewiseRead(input, nullptr);
    return 0;
  }
  checkPiecewiseRead(input, &scratch);

  if (scratch.groupCount != static_cast<int32_t>(scratch.groups.size())) {
    fuzz::fail("the group count differs from the groups read");
  }
  for (const Group& group : scratch.groups) {
    if (group.entryCount != static_cast<int32_t>(group.entries.size())) {
      fuzz::fail("an entry count differs from the entries read");
    }
  }
  if (holdsLineEndingInCarriageReturn(scratch)) return 0;

  const std::string text = writeAccountText(scratch);
  UserAccount again;
  try {
    readAccountText(text, again);
  } catch (const std::domain_error&) {
    fuzz::fail("the text written for an account is refused");
  }
  if (writeAccountText(again) != text) fuzz::fail("the text written does not read back");
  return 0;
}
