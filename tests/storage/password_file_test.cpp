#include "storage/password_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "expect_error.h"
#include "model/charsets.h"
#include "model/messages.h"
#include "support/test_keys.h"

namespace vellumkeep {
namespace {

// Splits a password file into its filler counts and the characters behind them; fails the
// test when the file does not end exactly after a character.
struct FillerRuns {
  std::vector<int> counts;
  std::string characters;
};

FillerRuns splitFile(const std::string& file) {
  FillerRuns runs;
  std::size_t pos = 0;
  while (pos < file.size()) {
    const int count = std::stoi(file.substr(pos, 2));
    runs.counts.push_back(count);
    pos += 2 + count;
    if (pos >= file.size()) {
      ADD_FAILURE() << "file ends inside a run";
      break;
    }
    runs.characters.push_back(file[pos++]);
  }
  return runs;
}

std::string writeFile(const CodeTable& table, int32_t mode, std::string_view password,
                      unsigned seed) {
  std::mt19937 random(seed);
  return addFiller(writePasswordHeader(table, mode, password), random);
}

int32_t readFile(const CodeTable& table, const std::string& file, std::string& password) {
  return readPasswordHeader(table, dropFiller(file), password);
}

TEST(PasswordFileHeader, HoldsModeLengthAndPasswordAsCodes) {
  const CodeTable table = keyedTable("alice1");
  const std::string header = writePasswordHeader(table, 1, "secret12");
  EXPECT_EQ(header.size(), 8u + 4 * 8);
  EXPECT_EQ(header.find_first_not_of("0123456789"), std::string::npos);
  EXPECT_EQ(table.decode(header), "18secret12");
  EXPECT_EQ(table.decode(writePasswordHeader(table, 0, "")), "00");
  EXPECT_EQ(table.decode(writePasswordHeader(table, 0, kTextCharset)),
            "0\x7f" + std::string(kTextCharset));
}

TEST(PasswordFileHeader, RefusesPasswordsOfEightyBytesOrMore) {
  const CodeTable table = keyedTable("alice1");
  // 208 bytes would wrap the length character round to '\0'.
  for (std::size_t length : {80u, 81u, 208u}) {
    expectError<std::overflow_error>(
        [&] { writePasswordHeader(table, 1, std::string(length, 'a')); }, msg::kNonAscii);
  }
}

TEST(PasswordFileHeader, ShortOrNegativeHeaderIsCorruption) {
  const CodeTable table = keyedTable("bob_42");
  const std::string full = writePasswordHeader(table, 1, "abc");
  const std::vector<std::string> damaged = {
      "",
      full.substr(0, 4),                              // mode only
      full.substr(0, 7),                              // length cut
      full.substr(0, full.size() - 4),                // one password byte missing
      full.substr(0, full.size() - 1),                // last group cut
      table.encodeChar('1') + table.encodeChar('#'),  // length '#' - '0' is negative
  };
  for (const auto& header : damaged) {
    std::string password;
    expectError<std::domain_error>([&] { readPasswordHeader(table, header, password); },
                                   msg::kCorruptUserData);
  }
}

TEST(PasswordFileRoundTrip, ModeAndPasswordReadBack) {
  const std::vector<std::string> passwords = {
      "", "x", "abc123", "P@ss.w0rd~!#", std::string(kTextCharset), std::string(79, 'z')};
  for (const char* name : {"alice1", "q", "#$%^&*", "system"}) {
    const CodeTable table = keyedTable(name);
    for (int32_t mode : {0, 1}) {
      for (const auto& written : passwords) {
        std::string password = "kept:";
        EXPECT_EQ(readFile(table, writeFile(table, mode, written, 7), password), mode);
        EXPECT_EQ(password, "kept:" + written) << name;
      }
    }
  }
}

TEST(PasswordFileRoundTrip, DifferentSeedsGiveDifferentFilesWithTheSameMeaning) {
  const CodeTable table = keyedTable("dave77");
  const std::string first = writeFile(table, 1, "hunter22", 1);
  const std::string second = writeFile(table, 1, "hunter22", 2);
  EXPECT_NE(first, second);
  EXPECT_EQ(dropFiller(first), dropFiller(second));
  std::string password;
  EXPECT_EQ(readFile(table, second, password), 1);
  EXPECT_EQ(password, "hunter22");
}

TEST(PasswordFileFiller, WholeFileIsDigitsWithCountsFromSeventeenToNinetyOne) {
  const std::string header(3000, '5');
  std::mt19937 random(2024);
  const std::string file = addFiller(header, random);
  EXPECT_EQ(file.find_first_not_of("0123456789"), std::string::npos);
  const FillerRuns runs = splitFile(file);
  EXPECT_EQ(runs.characters, header);
  EXPECT_EQ(*std::min_element(runs.counts.begin(), runs.counts.end()), 17);
  EXPECT_EQ(*std::max_element(runs.counts.begin(), runs.counts.end()), 91);
}

TEST(PasswordFileFiller, WhitespaceIsSkippedBothWays) {
  std::mt19937 random(5);
  const std::string file = addFiller("12 34\n", random);
  EXPECT_EQ(splitFile(file).characters, "1234");
  std::string spaced;
  for (std::size_t i = 0; i < file.size(); ++i) {
    spaced += file[i];
    if (i % 3 == 0) spaced += " \r\n\t";
  }
  EXPECT_EQ(dropFiller(" " + spaced + "\n"), "1234");
}

TEST(PasswordFileFiller, DamagedFilesGiveTheCorruptionError) {
  const CodeTable table = keyedTable("erin55");
  const std::string file = writeFile(table, 0, "secret", 3);
  expectError<std::domain_error>([&] { dropFiller("a" + file.substr(1)); }, msg::kCorruptUserData);
  expectError<std::domain_error>([&] { dropFiller(file + "2-"); }, msg::kCorruptUserData);
  // Cut inside the last filler, before the last character, and inside the first filler.
  for (std::size_t cut : {file.size() - 5, file.size() - 1, std::size_t{10}}) {
    std::string password;
    expectError<std::domain_error>([&] { readFile(table, file.substr(0, cut), password); },
                                   msg::kCorruptUserData);
  }
}

}  // namespace
}  // namespace vellumkeep
