#include "storage/code_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "expect_error.h"
#include "model/charsets.h"
#include "model/messages.h"
#include "support/test_keys.h"

namespace vellumkeep {
namespace {

std::string randomName(std::mt19937& random, std::string_view charset) {
  std::string name(random() % 12 + 1, ' ');
  for (char& c : name) c = charset[random() % charset.size()];
  return name;
}

// Names from the text charset and names made only of table characters.
std::vector<std::string> manyNames() {
  std::mt19937 random(4711);
  std::vector<std::string> names;
  for (int i = 0; i < 1500; ++i) names.push_back(randomName(random, kTextCharset));
  for (int i = 0; i < 500; ++i) names.push_back(randomName(random, CodeTable::kCharacters));
  return names;
}

std::string allAsciiBytes() {
  std::string bytes;
  for (int b = 0; b < 128; ++b) bytes.push_back(static_cast<char>(b));
  return bytes;
}

std::vector<int32_t> codesOf(const CodeTable& table) {
  std::vector<int32_t> codes;
  for (const auto& pair : table.pairs()) codes.push_back(pair.code);
  return codes;
}

TEST(CodeTableLayout, HoldsTheFixedComposition) {
  const std::string_view chars = CodeTable::kCharacters;
  const std::set<char> distinct(chars.begin(), chars.end());
  EXPECT_EQ(distinct.size(), 64u);
  for (char c = 'a'; c <= 'z'; ++c) EXPECT_EQ(distinct.count(c), 1u) << c;
  for (char c = '0'; c <= '9'; ++c) EXPECT_EQ(distinct.count(c), 1u) << c;
  int upper = 0;
  for (char c = 'A'; c <= 'Z'; ++c) upper += static_cast<int>(distinct.count(c));
  EXPECT_EQ(upper, 25);
  for (char c : {' ', '\n', '_'}) EXPECT_EQ(distinct.count(c), 1u);
  for (char c : distinct) {
    const auto times = std::count(chars.begin(), chars.end(), c);
    EXPECT_TRUE(times == 1 || (times == 2 && std::islower(static_cast<unsigned char>(c)))) << c;
  }
}

TEST(CodeTableLayout, UnkeyedTableWritesEveryByteAsItsValue) {
  const CodeTable table;
  EXPECT_EQ(table.encodeChar('a'), "0097");
  EXPECT_EQ(table.encodeChar('\n'), "0010");
  EXPECT_EQ(table.encodeChar('~'), "0126");
  EXPECT_EQ(table.decode(table.encode(allAsciiBytes())), allAsciiBytes());
}

TEST(CodeTableKeying, CodesAreDistinctAndNotBelowTheirCharacter) {
  for (const auto& name : manyNames()) {
    const CodeTable table = keyedTable(name);
    const auto codes = codesOf(table);
    EXPECT_EQ(std::set<int32_t>(codes.begin(), codes.end()).size(), CodeTable::kSize) << name;
    for (const auto& pair : table.pairs()) EXPECT_GE(pair.code, pair.character) << name;
  }
}

TEST(CodeTableKeying, SameNameGivesSameTableWhateverCameBefore) {
  const CodeTable first = keyedTable("alice1");
  CodeTable second = keyedTable("bob_42");
  EXPECT_NE(codesOf(first), codesOf(second));
  second.keyCodeTable("alice1");
  EXPECT_EQ(codesOf(first), codesOf(second));
}

TEST(CodeTableKeying, NameOutsideTheTableGivesRunningSums) {
  const CodeTable signs = keyedTable("#$%^&*");
  const CodeTable others = keyedTable("~!@X\t");
  EXPECT_EQ(codesOf(signs), codesOf(others));
  // Each code is the sum of its own character and the characters of all later pairs.
  int32_t sum = 0;
  for (std::size_t i = CodeTable::kSize; i-- > 0;) {
    sum += signs.pairs()[i].character;
    EXPECT_EQ(signs.pairs()[i].code, sum) << i;
  }
  EXPECT_NE(codesOf(signs), codesOf(CodeTable()));
}

// Keyed with "q": 'q' is pair 28 (value 113), so every pair from 28 on gains 113, and the
// pairs before it become running sums (all far above 200). The line feed (pair 40, value
// 10) thus gets 10 + 113 = 123 and 'u' (the last pair, 117) gets 117 + 113 = 230; no
// earlier pair holds either number, so the last step leaves them. '#' (35) is outside the
// table and no code, so it is written as itself. '{' (123) is outside the table too, but
// 123 is the line feed's code, so it is written as 123 + 256 = 379, which is no code.
TEST(CodeTableCoding, CodesComputedByHandForTheNameQ) {
  const CodeTable table = keyedTable("q");
  EXPECT_EQ(table.encodeChar('\n'), "0123");
  EXPECT_EQ(table.encodeChar('u'), "0230");
  EXPECT_EQ(table.encodeChar('#'), "0035");
  EXPECT_EQ(table.encodeChar('{'), "0379");
  EXPECT_EQ(table.decode("0123023000350379"), "\nu#{");
}

TEST(CodeTableCoding, EveryAsciiByteRoundTripsUnderManyNames) {
  const std::string bytes = allAsciiBytes();
  for (const auto& name : manyNames()) {
    const CodeTable table = keyedTable(name);
    const std::string coded = table.encode(bytes);
    ASSERT_EQ(coded.size(), 4 * bytes.size()) << name;
    EXPECT_EQ(coded.find_first_not_of("0123456789"), std::string::npos) << name;
    EXPECT_EQ(coded.substr(4 * 'k', 4), table.encodeChar('k')) << name;
    ASSERT_EQ(table.decode(coded), bytes) << name;
  }
}

TEST(CodeTableCoding, RefusesBytesWithTheHighBitSet) {
  const CodeTable keyed = keyedTable("carol9");
  const CodeTable unkeyed;
  for (const CodeTable* table : {&keyed, &unkeyed}) {
    for (int b = 0x80; b < 0x100; ++b) {
      expectError<std::overflow_error>([&] { table->encodeChar(static_cast<char>(b)); },
                                       msg::kNonAscii);
    }
    expectError<std::overflow_error>([&] { table->encode("ab\xC4\xE3"); }, msg::kNonAscii);
  }
}

TEST(CodeTableCoding, RefusesNumbersOfTenThousandOrMore) {
  // 'V' is pair 0: every code gains 120 * 86.
  const CodeTable table = keyedTable(std::string(120, 'V'));
  expectError<std::underflow_error>([&] { table.encodeChar('a'); }, msg::kValueTooLarge);
  std::string out = "x";
  expectError<std::underflow_error>([&] { table.appendCode('\n', out); }, msg::kValueTooLarge);
  EXPECT_EQ(out, "x");
}

TEST(CodeTableCoding, EncodeDigitCodesTheDigitCharacter) {
  const CodeTable table = keyedTable("dave77");
  EXPECT_EQ(table.encodeDigit(1), table.encodeChar('1'));
  EXPECT_EQ(table.encodeDigit(79), table.encodeChar('\x7f'));
  EXPECT_EQ(table.encodeDigit(-48), table.encodeChar('\0'));
  expectError<std::overflow_error>([&] { table.encodeDigit(80); }, msg::kNonAscii);
}

// Under the key "q" (see above): whitespace skipped before each character, a number that is
// no code gives its value cut to eight bits, and a number stops at the first non-digit.
TEST(CodeTableDecoding, DecodedTexts) {
  const CodeTable table = keyedTable("q");
  const std::pair<std::string, std::string> cases[] = {
      {" 0123\n\t0230\r\n\v\f00 35 0\n3\n7\n9 \n", "\nu#{"},
      {"0300", ","},  // 300 - 256 = 44
      {"9999", "\x0f"},
      {"0097", "a"},  // 97 is no code under this key
      {"97ab", "a"},
      {"ab12", std::string(1, '\0')},
      {"010x", "\n"},
      {"00970", "a"},
      {"", ""},
  };
  for (const auto& [coded, plain] : cases) EXPECT_EQ(plain, table.decode(coded)) << coded;
  std::size_t pos = 0;
  char c = 0;
  ASSERT_TRUE(table.decodeChar("0511", pos, c));  // 0xFF is a value, not the end
  EXPECT_EQ(c, '\xff');
  EXPECT_EQ(pos, 4u);
}

TEST(CodeTableDecoding, EndOfInputIsKeptApartFromValues) {
  const CodeTable table;
  std::size_t pos = 0;
  char c = 'z';
  EXPECT_FALSE(table.decodeChar("012", pos, c));
  pos = 0;
  EXPECT_FALSE(table.decodeChar(" \n ", pos, c));
  EXPECT_EQ(c, 'z');
}

TEST(CodeTablePieces, DecodingInPiecesCarriesCutGroups) {
  const CodeTable table = keyedTable("alice01");
  std::string plain;
  for (int i = 0; i < 3000; ++i) plain.push_back(static_cast<char>(i % 128));
  std::string coded = table.encode(plain);
  std::string codedInPieces;
  table.encodeInto(plain.substr(0, 1000), codedInPieces);
  std::string rest;
  table.encodeInto(plain.substr(1000), rest);
  EXPECT_EQ(coded, codedInPieces + rest);
  for (size_t size : {1, 3, 5, 4093}) {
    std::string decoded;
    std::string carried;
    for (size_t at = 0; at < coded.size(); at += size) {
      table.decodePiece(coded.substr(at, size) + (at % 2 ? " \n" : ""), carried, decoded);
    }
    EXPECT_EQ(plain, decoded) << "pieces of " << size;
    EXPECT_EQ("", carried);
  }
}

}  // namespace
}  // namespace vellumkeep
