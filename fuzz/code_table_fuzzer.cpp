// The coded data file as any bytes, decoded with the table keyed by the user's name (the
// input's first line), whole and in pieces as a data file is loaded. What decodes must code
// again into digits that decode to the same; and every ASCII text, coded, decodes back to
// itself.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "model/messages.h"
#include "storage/code_table.h"

namespace {

// Codes `plain`; false when it holds a byte the coding refuses (with the refusal checked).
bool tryEncode(const vellumkeep::CodeTable& table, const std::string& plain, std::string& coded) {
  using namespace vellumkeep;
  try {
    coded = table.encode(plain);
    return true;
  } catch (const std::overflow_error& error) {
    fuzz::expectMessage(error, msg::kNonAscii);
  } catch (const std::underflow_error& error) {
    fuzz::expectMessage(error, msg::kValueTooLarge);
  }
  return false;
}

void checkCoded(const std::string& plain, const std::string& coded) {
  if (coded.size() != 4 * plain.size()) vellumkeep::fuzz::fail("a code is not four characters");
  if (coded.find_first_not_of("0123456789") != std::string::npos) {
    vellumkeep::fuzz::fail("a code holds a non-digit");
  }
}

// Decodes `coded` piece by piece, as the data file loader does.
std::string decodeInPieces(const vellumkeep::CodeTable& table, std::string_view coded) {
  std::string plain = "left alone";
  const size_t kept = plain.size();
  std::string carried;
  for (std::string_view piece : vellumkeep::fuzz::cutIntoPieces(coded)) {
    table.decodePiece(piece, carried, plain);
  }
  if (plain.compare(0, kept, "left alone") != 0) {
    vellumkeep::fuzz::fail("decodeInto changed what the text held");
  }
  return plain.substr(kept);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vellumkeep;
  const fuzz::NamedInput input = fuzz::splitNamedInput(fuzz::asText(data, size));
  CodeTable table;
  table.keyCodeTable(input.name);

  const std::string plain = table.decode(input.body);
  if (decodeInPieces(table, input.body) != plain) {
    fuzz::fail("decoding in pieces differs from decoding whole");
  }
  std::string coded;
  if (tryEncode(table, plain, coded)) {
    checkCoded(plain, coded);
    if (table.decode(coded) != plain) fuzz::fail("decoded text does not code back to itself");
    // The data file saver codes each piece into one reused buffer.
    std::string reused = "stale contents of a longer piece";
    table.encodeInto(plain, reused);
    if (reused != coded) fuzz::fail("coding into a used buffer differs");
  }

  // The same bytes as plain text, high bits cleared: every ASCII byte must survive coding.
  std::string ascii(input.body);
  for (char& c : ascii) c = static_cast<char>(c & 0x7F);
  if (tryEncode(table, ascii, coded)) {
    checkCoded(ascii, coded);
    if (table.decode(coded) != ascii) fuzz::fail("ASCII text does not decode back to itself");
  }
  return 0;
}
