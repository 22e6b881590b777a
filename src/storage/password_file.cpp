#include "storage/password_file.h"

#include <stdexcept>

#include "model/messages.h"
#include "storage/corruption.h"

namespace vellumkeep {
namespace {

// One more byte than the longest password whose length character stays below 0x80.
constexpr std::size_t kPasswordLimit = 80;

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Takes the next non-whitespace byte, as a formatted read does; false at the end.
bool readFormatted(std::string_view text, std::size_t& pos, char& out) {
  pos = skipWhitespace(text, pos);
  if (pos >= text.size()) return false;
  out = text[pos++];
  return true;
}

}  // namespace

std::string writePasswordHeader(const CodeTable& table, int32_t mode, std::string_view password) {
  // A longer password's length character would be 0x80 or above, or wrap around into a wrong
  // length, so it is refused as the coding refuses such bytes.
  if (password.size() >= kPasswordLimit) throw std::overflow_error(msg::kNonAscii);
  std::string header = table.encodeDigit(mode);
  header += table.encodeDigit(static_cast<int>(password.size()));
  header += table.encode(password);
  return header;
}

int32_t readPasswordHeader(const CodeTable& table, std::string_view header, std::string& password) {
  std::size_t pos = 0;
  char modeChar = 0;
  char lengthChar = 0;
  if (!table.decodeChar(header, pos, modeChar) || !table.decodeChar(header, pos, lengthChar)) {
    throwCorruptUserData();
  }
  const int32_t length = static_cast<signed char>(lengthChar) - '0';
  if (length < 0) throwCorruptUserData();
  for (int32_t i = 0; i < length; ++i) {
    char c = 0;
    if (!table.decodeChar(header, pos, c)) throwCorruptUserData();
    password.push_back(c);
  }
  return static_cast<signed char>(modeChar) - '0';
}

std::string addFiller(std::string_view header, std::mt19937& random) {
  std::string file;
  std::size_t pos = 0;
  char c = 0;
  while (readFormatted(header, pos, c)) {
    const auto count = static_cast<int>(random() % 75 + 17);
    file.push_back(static_cast<char>('0' + count / 10));
    file.push_back(static_cast<char>('0' + count % 10));
    for (int i = 0; i < count; ++i) file.push_back(static_cast<char>('0' + random() % 10));
    file.push_back(c);
  }
  return file;
}

std::string dropFiller(std::string_view passwordFile) {
  std::string header;
  std::size_t pos = 0;
  char tens = 0;
  char units = 0;
  while (readFormatted(passwordFile, pos, tens) && readFormatted(passwordFile, pos, units)) {
    if (!isDigit(tens) || !isDigit(units)) throwCorruptUserData();
    char c = 0;
    for (int i = 0; i < (tens - '0') * 10 + (units - '0'); ++i) {
      if (!readFormatted(passwordFile, pos, c)) return header;
    }
    if (!readFormatted(passwordFile, pos, c)) return header;
    header.push_back(c);
  }
  return header;
}

}  // namespace vellumkeep
