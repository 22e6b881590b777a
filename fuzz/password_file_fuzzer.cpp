// The password file as any bytes, read as login reads it: the filler dropped, then the header
// decoded with the table keyed by the user's name (the input's first line). A header that
// reads must come back the same after writing it again behind fresh filler.
#include <cstddef>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>

#include "fuzz_support.h"
#include "model/messages.h"
#include "storage/code_table.h"
#include "storage/password_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vellumkeep;
  const fuzz::NamedInput input = fuzz::splitNamedInput(fuzz::asText(data, size));
  CodeTable table;
  table.keyCodeTable(input.name);

  int32_t mode = 0;
  std::string password;
  try {
    mode = readPasswordHeader(table, dropFiller(input.body), password);
  } catch (const std::domain_error& error) {
    fuzz::expectMessage(error, msg::kCorruptUserData);
    return 0;
  }
  if (password.size() >= 80) fuzz::fail("a password of 80 bytes or more was read");

  std::string header;
  try {
    header = writePasswordHeader(table, mode, password);
  } catch (const std::overflow_error& error) {
    // A byte from 0x80 up in the mode, length or password cannot be coded.
    fuzz::expectMessage(error, msg::kNonAscii);
    return 0;
  } catch (const std::underflow_error& error) {
    // Long names key codes past four digits.
    fuzz::expectMessage(error, msg::kValueTooLarge);
    return 0;
  }
  if (header.size() != 8 + 4 * password.size()) fuzz::fail("the header has the wrong length");

  std::mt19937 random(static_cast<std::mt19937::result_type>(size));
  const std::string file = addFiller(header, random);
  if (dropFiller(file) != header) fuzz::fail("the filler does not come off again");
  std::string passwordAgain;
  if (readPasswordHeader(table, dropFiller(file), passwordAgain) != mode) {
    fuzz::fail("the mode does not read back");
  }
  if (passwordAgain != password) fuzz::fail("the password does not read back");
  return 0;
}
