#include "storage/strong_password_file.h"

#include <gtest/gtest.h>

#include <sodium.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "expect_error.h"
#include "model/messages.h"
#include "storage/strong_format.h"
#include "support/test_keys.h"

namespace vellumkeep {
namespace {

std::string readError(const std::string& file) {
  return errorText<std::domain_error>([&] { readStrongPasswordFile(file); });
}

// Replaces the checksum at the end of `file` with the one of its other bytes, so that a
// change made by a test is seen by the checks behind the checksum.
std::string withChecksum(std::string file) {
  file.resize(file.size() - kChecksumBytes);
  appendChecksum(file);
  return file;
}

TEST(StrongPasswordFile, ExactBytes) {
  const StrongKeys keys = quickKeys("secret1", 0x40);
  const std::string file = writeStrongPasswordFile(passwordFileOf(keys));
  std::string expected = "\xFFVKSP\x01\x01";
  expected += std::string("\x01\x00\x00\x00", 4);                  // one pass
  expected += std::string("\x00\x20\x00\x00\x00\x00\x00\x00", 8);  // 8192 bytes
  for (int i = 0; i < 16; ++i) expected.push_back(static_cast<char>(0x40 + i));
  expected.append(keys.verifier.begin(), keys.verifier.end());
  ASSERT_EQ(file.size(), kStrongPasswordFileBytes);
  EXPECT_EQ(file.substr(0, 67), expected);
  unsigned char sum[16];
  crypto_generichash(sum, sizeof sum, reinterpret_cast<const unsigned char*>(file.data()), 67,
                     nullptr, 0);
  EXPECT_EQ(file.substr(67), std::string(reinterpret_cast<const char*>(sum), 16));
}

TEST(StrongPasswordFile, ReadsBackAndVerifiesOnlyTheRightPassword) {
  const StrongKeys keys = quickKeys("secret1", 5);
  const StrongPasswordFile file =
      readStrongPasswordFile(writeStrongPasswordFile(passwordFileOf(keys)));
  EXPECT_EQ(file.params, keys.params);
  EXPECT_EQ(file.salt, keys.salt);
  EXPECT_EQ(file.verifier, keys.verifier);
  EXPECT_FALSE(file.chosenByOther);
  // Version 2: version 1's bytes with version 2, then the flags.
  const std::string chosen = writeStrongPasswordFile(passwordFileOf(keys, true));
  const std::string plain = writeStrongPasswordFile(passwordFileOf(keys));
  EXPECT_EQ(plain.substr(0, 5) + '\x02' + plain.substr(6, 61) + '\x01', chosen.substr(0, 68));
  EXPECT_TRUE(readStrongPasswordFile(chosen).chosenByOther);
  EXPECT_TRUE(verifyPassword(deriveStrongKeys("secret1", file.salt, file.params), file));
  for (const char* typed : {"secret2", "Secret1", "secret", "secret12", ""}) {
    EXPECT_FALSE(verifyPassword(deriveStrongKeys(typed, file.salt, file.params), file)) << typed;
  }
  // The same password with another salt is another key.
  EXPECT_FALSE(verifyPassword(quickKeys("secret1", 6), file));
}

TEST(StrongPasswordFile, EveryFlippedBitIsCorruption) {
  for (bool chosenByOther : {false, true}) {
    const std::string file =
        writeStrongPasswordFile(passwordFileOf(quickKeys("secret1"), chosenByOther));
    for (std::size_t i = 0; i < file.size(); ++i) {
      for (unsigned char bit : {0x01, 0x80}) {
        std::string damaged = file;
        damaged[i] = static_cast<char>(damaged[i] ^ bit);
        EXPECT_EQ(readError(damaged), msg::kCorruptUserData) << chosenByOther << " byte " << i;
      }
    }
  }
}

TEST(StrongPasswordFile, MalformedFilesAreCorruption) {
  const std::string file = writeStrongPasswordFile(passwordFileOf(quickKeys("secret1")));
  const std::string flagged = writeStrongPasswordFile(passwordFileOf(quickKeys("secret1"), true));
  auto patched = [&](std::size_t at, std::string bytes) {
    std::string changed = file;
    changed.replace(at, bytes.size(), bytes);
    return withChecksum(changed);
  };
  struct Case {
    const char* what;
    std::string file;
  };
  const std::vector<Case> cases = {
      {"empty", ""},
      {"one byte short", file.substr(0, file.size() - 1)},
      {"one byte more", file + '\0'},
      {"twice", file + file},
      {"digits, as in mode simple", std::string(83, '7')},
      {"kind of a data file", patched(4, "D")},
      {"version 2 without its flags", patched(5, "\x02")},
      {"version 3", patched(5, "\x03")},
      {"unknown flags", withChecksum(flagged.substr(0, 67) + '\x03' + flagged.substr(68))},
      {"version 0", patched(5, std::string(1, '\0'))},
      {"unknown algorithm", patched(6, "\x02")},
      {"no passes", patched(7, std::string(4, '\0'))},
      {"too much memory", patched(11, std::string("\x00\x00\x00\x00\x01\x00\x00\x01", 8))},
      {"no magic", patched(0, std::string("\x00VKS", 4))},
  };
  for (const Case& c : cases) EXPECT_EQ(readError(c.file), msg::kCorruptUserData) << c.what;
  EXPECT_EQ(readError(patched(35, "other verifier")), "(no error)");
}

TEST(StrongFormat, MagicTellsStrongFilesFromTheOthers) {
  const std::string file = writeStrongPasswordFile(passwordFileOf(quickKeys("secret1")));
  struct Case {
    std::string start;
    bool strong;
  };
  const Case cases[] = {
      {file, true},
      {file.substr(0, 4), true},
      {file.substr(0, 3), false},
      {"", false},
      {"2345000012", false},  // a password file or coded data file of the other modes
      {"root\nrootpw1\n", false},
      {"alice01\n", false},
      {"\xFEVKS", false},
  };
  for (const Case& c : cases) EXPECT_EQ(isStrongFile(c.start), c.strong) << c.start;
}

}  // namespace
}  // namespace vellumkeep
