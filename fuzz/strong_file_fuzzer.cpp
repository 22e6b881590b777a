// The files of mode strong as any bytes: read as a password file and as a data file, opened
// with fixed keys (derived once) whole and in pieces; both ways must agree, and what opens must
// seal and open again to the same text. Then the bytes as an account text: sealed, they must
// open to themselves, and the sealed file with one byte changed, or cut, must not open.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "model/messages.h"
#include "model/user_account.h"
#include "storage/strong_data_file.h"
#include "storage/strong_password_file.h"

namespace {

using namespace vellumkeep;

void checkPasswordFile(const StrongKeys& keys, std::string_view input) {
  StrongPasswordFile file;
  try {
    file = readStrongPasswordFile(input);
  } catch (const std::domain_error& error) {
    fuzz::expectMessage(error, msg::kCorruptUserData);
    return;
  }
  if (!isValidKdfParameters(file.params)) fuzz::fail("a password file with bad parameters read");
  if (writeStrongPasswordFile(file) != input) fuzz::fail("a password file does not write back");
  static_cast<void>(verifyPassword(keys, file));
}

// The text of a data file opened from the given pieces, or nothing when it is refused.
std::optional<std::string> openInPieces(const StrongKeys& keys, std::string_view name,
                                        const std::vector<std::string_view>& pieces) {
  std::size_t next = 0;
  try {
    StrongDataReader reader(keys.sealingKey, name, [&](std::string& piece) {
      if (next == pieces.size()) return false;
      piece.assign(pieces[next++]);
      return true;
    });
    std::string text;
    std::string piece;
    while (reader.next(piece)) {
      if (piece.size() > reader.header().chunkSize) fuzz::fail("a piece is larger than a chunk");
      text += piece;
    }
    return text;
  } catch (const std::domain_error& error) {
    fuzz::expectMessage(error, msg::kCorruptUserData);
    return std::nullopt;
  }
}

std::optional<std::string> openWhole(const StrongKeys& keys, std::string_view name,
                                     std::string_view file) {
  return openInPieces(keys, name, {file});
}

// Whether a data file opens when its reader stops after the first piece and finishes.
bool opensWhenStoppedEarly(const StrongKeys& keys, std::string_view name, std::string_view file) {
  bool handedOver = false;
  try {
    StrongDataReader reader(keys.sealingKey, name, [&](std::string& piece) {
      if (handedOver) return false;
      piece.assign(file);
      handedOver = true;
      return true;
    });
    std::string piece;
    if (reader.next(piece)) reader.finish();
    return true;
  } catch (const std::domain_error& error) {
    fuzz::expectMessage(error, msg::kCorruptUserData);
    return false;
  }
}

void checkDataFile(const StrongKeys& keys, std::string_view input) {
  std::optional<StrongDataHeader> header;
  try {
    header = readStrongDataHeader(input);
  } catch (const std::domain_error& error) {
    fuzz::expectMessage(error, msg::kCorruptUserData);
  }
  const std::string name = header ? header->identity.name : fuzz::kStrongFuzzName;
  const std::optional<std::string> whole = openWhole(keys, name, input);
  if (openInPieces(keys, name, fuzz::cutIntoPieces(input)) != whole) {
    fuzz::fail("a data file opens differently in pieces");
  }
  if (opensWhenStoppedEarly(keys, name, input) != whole.has_value()) {
    fuzz::fail("finish() judges a data file differently from reading it to the end");
  }
  if (!whole) return;
  if (!header) fuzz::fail("a data file opens whose header does not read");
  const std::string again = sealStrongData(header->identity, keys, *whole, header->chunkSize);
  if (openWhole(keys, name, again) != whole) fuzz::fail("an opened text does not seal again");
}

// The input as text: sealed with a chunk size taken from its length, it must open to itself,
// and not at all once damaged.
void checkRoundTrip(const StrongKeys& keys, std::string_view text) {
  const uint32_t chunk = kMinStrongChunkBytes + static_cast<uint32_t>(text.size() % 61);
  const std::string file = sealStrongData({fuzz::kStrongFuzzName, User}, keys, text, chunk);
  if (openInPieces(keys, fuzz::kStrongFuzzName, fuzz::cutIntoPieces(file)) != text) {
    fuzz::fail("a sealed text does not open to itself");
  }
  if (!opensWhenStoppedEarly(keys, fuzz::kStrongFuzzName, file)) {
    fuzz::fail("finish() refuses a whole file");
  }
  const std::size_t at = (text.size() * 2654435761u) % file.size();
  std::string damaged = file;
  damaged[at] = static_cast<char>(damaged[at] ^ (1 << (text.size() % 8)));
  if (openWhole(keys, fuzz::kStrongFuzzName, damaged)) fuzz::fail("a changed byte goes unseen");
  if (openWhole(keys, fuzz::kStrongFuzzName, std::string_view(file).substr(0, at))) {
    fuzz::fail("a cut file opens");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const StrongKeys keys = fuzz::strongFuzzKeys();
  const std::string_view input = fuzz::asText(data, size);
  checkPasswordFile(keys, input);
  checkDataFile(keys, input);
  checkRoundTrip(keys, input);
  return 0;
}
