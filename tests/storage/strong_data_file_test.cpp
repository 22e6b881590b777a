#include "storage/strong_data_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "expect_error.h"
#include "model/messages.h"
#include "model/user_account.h"
#include "storage/strong_format.h"
#include "support/test_keys.h"

namespace vellumkeep {
namespace {

constexpr std::size_t kSeal = 17;  // bytes a sealed chunk adds to its text

// A text of `size` bytes that differs at every position.
std::string sampleText(std::size_t size) {
  std::string text(size, '\0');
  for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>('a' + (i * 7 + i / 26) % 26);
  return text;
}

std::size_t headerSize(const std::string& name) {
  return 85 + name.size();
}

// The first 35 bytes of a data file sealed with quickKeys(..., 1), written out by hand.
std::string expectedCommonStart() {
  std::string start = "\xFFVKSD\x01\x01";
  start += std::string("\x01\x00\x00\x00", 4);                  // one pass
  start += std::string("\x00\x20\x00\x00\x00\x00\x00\x00", 8);  // 8192 bytes
  for (int i = 1; i <= 16; ++i) start.push_back(static_cast<char>(i));
  return start;
}

class StrongDataFileTest : public ::testing::Test {
 protected:
  // The memory for chunks of `chunk` bytes: made at its first use in a test and lent to every
  // save after, as a session lends its own.
  StrongSealingMemory& memoryFor(uint32_t chunk) {
    return memories_.try_emplace(chunk, chunk).first->second;
  }

  // Writes `text` handed over in pieces of `writePiece` bytes.
  std::string seal(const std::string& text, uint32_t chunk, std::size_t writePiece = 1000) {
    std::string file;
    StrongDataWriter writer(alice_, keys_, memoryFor(chunk),
                            [&](std::string_view piece) { file += piece; });
    for (std::size_t at = 0; at < text.size(); at += writePiece) {
      writer.write(std::string_view(text).substr(at, writePiece));
    }
    writer.finish();
    return file;
  }

  // Opens `file` handed over in pieces of `readPiece` bytes; each text piece handed out is at
  // most one chunk.
  std::string open(const std::string& file, std::size_t readPiece,
                   const std::string& name = "alice01") {
    std::size_t at = 0;
    StrongDataReader reader(keys_.sealingKey, name, [&](std::string& piece) {
      if (at >= file.size()) return false;
      piece = file.substr(at, readPiece);
      at += readPiece;
      return true;
    });
    std::string text;
    std::string piece;
    while (reader.next(piece)) {
      EXPECT_LE(piece.size(), reader.header().chunkSize);
      text += piece;
    }
    return text;
  }

  std::string openError(const std::string& file, const std::string& name = "alice01") {
    return errorText<std::domain_error>([&] { openStrongData(keys_.sealingKey, name, file); });
  }

  StrongIdentity alice_{"alice01", User};
  StrongKeys keys_ = quickKeys("alicepw1");
  std::map<uint32_t, StrongSealingMemory> memories_;
};

TEST_F(StrongDataFileTest, RoundTripsAtChunkBoundaries) {
  struct Case {
    uint32_t chunk;
    std::size_t size;
  };
  const uint32_t big = kStrongChunkBytes;
  const Case cases[] = {
      {big, 0},        {big, 1},       {big, big - 1},
      {big, big},      {big, big + 1}, {big, 2 * big},
      {big, 3u << 20}, {16, 0},        {16, 1},
      {16, 15},        {16, 16},       {16, 17},
      {16, 48},        {16, 49},       {kMaxStrongChunkBytes, (1u << 20) + 5},
      {16, 64},        {16, 65},       {16, 192},
      {16, 193},       {16, 1000},
  };
  for (const Case& c : cases) {
    const std::string text = sampleText(c.size);
    const std::string file = seal(text, c.chunk, c.size / 3 + 1);
    const std::size_t chunks = std::max<std::size_t>(1, (c.size + c.chunk - 1) / c.chunk);
    EXPECT_EQ(file.size(), headerSize("alice01") + chunks * kSeal + c.size)
        << c.chunk << "/" << c.size;
    for (std::size_t readPiece : {std::size_t{1} << 18, std::size_t{7}, file.size()}) {
      if (c.size > 100000 && readPiece < 100) continue;
      EXPECT_EQ(open(file, readPiece), text) << c.chunk << "/" << c.size << "/" << readPiece;
    }
  }
}

// A sink that fails (a full disk) ends the call that reached it; the writer then stops without
// calling the sink again. The memory it leaves serves the next save.
TEST_F(StrongDataFileTest, SinkErrorEndsTheWriting) {
  const std::string text = sampleText(1000);
  // Writes the text; the sink fails at call number `failing` (0: never). Returns the calls.
  auto writeFailingAt = [&](std::size_t failing) {
    std::size_t calls = 0;
    const std::string error = errorText<std::runtime_error>([&] {
      StrongDataWriter writer(alice_, keys_, memoryFor(16), [&](std::string_view) {
        if (++calls == failing) throw std::runtime_error(msg::kWriteFailed);
      });
      for (std::size_t at = 0; at < text.size(); at += 100) writer.write(text.substr(at, 100));
      writer.finish();
    });
    EXPECT_EQ(error, failing ? msg::kWriteFailed : "(no error)") << failing;
    return calls;
  };
  const std::size_t allCalls = writeFailingAt(0);
  ASSERT_GT(allCalls, 3u);
  for (std::size_t failing : {std::size_t{1}, std::size_t{2}, allCalls / 2, allCalls}) {
    EXPECT_EQ(writeFailingAt(failing), failing);
  }
  EXPECT_EQ(open(seal(text, 16), 100), text);
}

// A writer left without finish() (the text's writing failed) hands over no last chunk: what it
// wrote does not open.
TEST_F(StrongDataFileTest, UnfinishedWritingDoesNotOpen) {
  std::string file;
  {
    StrongDataWriter writer(alice_, keys_, memoryFor(16),
                            [&](std::string_view piece) { file += piece; });
    writer.write(sampleText(1000));
  }
  // Neither the last chunk nor the text held back for it were handed over.
  EXPECT_LT(file.size(), headerSize("alice01") + 1000 + 63 * kSeal);
  EXPECT_EQ(openError(file), msg::kCorruptUserData);
}

TEST_F(StrongDataFileTest, HeaderExactBytes) {
  const std::string file = sealStrongData({"bob0001", Administrator}, keys_, "text", 300);
  std::string expected = expectedCommonStart();
  expected += std::string("\x04\x00\x00\x00", 4);  // role
  expected += "\x02";                              // mode
  expected += std::string("\x2c\x01\x00\x00", 4);  // chunk size 300
  expected += std::string(1, 7) + "bob0001";
  EXPECT_EQ(file.substr(0, 52), expected);
  const StrongDataHeader header = readStrongDataHeader(file);
  EXPECT_EQ(header.identity.name, "bob0001");
  EXPECT_EQ(header.identity.role, Administrator);
  EXPECT_EQ(header.params, keys_.params);
  EXPECT_EQ(header.salt, keys_.salt);
  EXPECT_EQ(header.chunkSize, 300u);
  EXPECT_EQ(header.size, headerSize("bob0001"));
  EXPECT_EQ(file.size(), header.size + kSeal + 4);
}

TEST_F(StrongDataFileTest, EverySaveHasAFreshNonce) {
  const std::string first = seal("same text", 16);
  const std::string second = seal("same text", 16);
  const std::size_t header = headerSize("alice01");
  EXPECT_EQ(first.substr(0, header - 24), second.substr(0, header - 24));
  EXPECT_NE(first.substr(header - 24, 24), second.substr(header - 24, 24));
  EXPECT_NE(first.substr(header), second.substr(header));
  EXPECT_EQ(open(first, 5), open(second, 5));
}

TEST_F(StrongDataFileTest, TextIsNotInTheFile) {
  const std::string text = "alice01\nalicepw1\n8\n2\n1\n1\nmail\n1\n1\nme@x.org\npw1\nurl\n";
  const std::string file = seal(text, kStrongChunkBytes);
  EXPECT_EQ(file.find("alicepw1"), std::string::npos);
  EXPECT_EQ(file.find("me@x.org"), std::string::npos);
}

// A small file of four chunks, the last one short, for the damage tests.
class StrongDataDamageTest : public StrongDataFileTest {
 protected:
  const std::string text_ = sampleText(53);
  const std::string file_ = seal(text_, 16, 5);
};

TEST_F(StrongDataDamageTest, EveryFlippedBitIsCorruption) {
  ASSERT_EQ(open(file_, 9), text_);
  for (std::size_t i = 0; i < file_.size(); ++i) {
    for (unsigned char bit : {0x01, 0x80}) {
      std::string damaged = file_;
      damaged[i] = static_cast<char>(damaged[i] ^ bit);
      EXPECT_EQ(openError(damaged), msg::kCorruptUserData) << "byte " << i;
    }
  }
}

TEST_F(StrongDataDamageTest, EveryCutIsCorruption) {
  for (std::size_t length = 0; length < file_.size(); ++length) {
    EXPECT_EQ(openError(file_.substr(0, length)), msg::kCorruptUserData) << length;
  }
}

TEST_F(StrongDataDamageTest, ChunksDroppedMovedOrAddedAreCorruption) {
  const std::size_t header = headerSize("alice01");
  const std::size_t chunk = 16 + kSeal;
  auto chunkAt = [&](std::size_t index) { return file_.substr(header + index * chunk, chunk); };
  const std::string head = file_.substr(0, header);
  const std::string last = file_.substr(header + 3 * chunk);
  const std::string other = seal(sampleText(100), 16);
  const std::string fullLast = seal(sampleText(48), 16);
  struct Case {
    const char* what;
    std::string file;
  };
  const std::vector<Case> cases = {
      {"one byte more", file_ + 'x'},
      {"a seal's worth more", file_ + std::string(kSeal, '\0')},
      {"last chunk twice", file_ + last},
      {"one byte after a full last chunk", fullLast + 'x'},
      {"a chunk after a full last chunk", fullLast + fullLast.substr(header + chunk, chunk)},
      {"a chunk of another save", file_ + other.substr(header + chunk, chunk)},
      {"second chunk dropped", head + chunkAt(0) + chunkAt(2) + last},
      {"last chunk dropped", head + chunkAt(0) + chunkAt(1) + chunkAt(2)},
      {"chunks swapped", head + chunkAt(1) + chunkAt(0) + chunkAt(2) + last},
      {"first chunk of another save",
       head + other.substr(header, chunk) + chunkAt(1) + chunkAt(2) + last},
      {"another save's nonce", other.substr(0, header) + file_.substr(header)},
  };
  for (const Case& c : cases) EXPECT_EQ(openError(c.file), msg::kCorruptUserData) << c.what;
}

TEST_F(StrongDataFileTest, FinishFindsACutThatTheTextDoesNotShow) {
  // The last chunk holds only the text's last line feed, which a reader of lines can do without.
  const std::string text = sampleText(16) + "\n";
  const std::string file = seal(text, 16);
  const std::string cut = file.substr(0, file.size() - 1 - kSeal);
  for (const std::string* f : {&file, &cut}) {
    bool handedOver = false;
    StrongDataReader reader(keys_.sealingKey, "alice01", [&](std::string& piece) {
      if (handedOver) return false;
      piece = *f;
      handedOver = true;
      return true;
    });
    std::string piece;
    ASSERT_TRUE(reader.next(piece));
    EXPECT_EQ(piece, sampleText(16));
    EXPECT_EQ(errorText<std::domain_error>([&] { reader.finish(); }),
              f == &file ? "(no error)" : msg::kCorruptUserData);
  }
}

TEST_F(StrongDataFileTest, HeaderOfAnotherUserIsCorruption) {
  const std::string file = seal("alice's text", 16);
  const std::string bobs = sealStrongData({"bob0001", User}, keys_, "bob's text", 16);
  const std::size_t aliceHeader = headerSize("alice01") - 24;
  const std::size_t bobHeader = headerSize("bob0001") - 24;
  // Bob's file where Alice's is expected, and Alice's sealed text behind Bob's header.
  EXPECT_EQ(openError(bobs), msg::kCorruptUserData);
  EXPECT_EQ(openError(bobs.substr(0, bobHeader) + file.substr(aliceHeader), "bob0001"),
            msg::kCorruptUserData);
  // Alice's text under a header that claims another role.
  const std::string admin = sealStrongData({"alice01", Administrator}, keys_, "x", 16);
  EXPECT_EQ(openError(admin.substr(0, aliceHeader) + file.substr(aliceHeader)),
            msg::kCorruptUserData);
  EXPECT_EQ(openStrongData(keys_.sealingKey, "bob0001", bobs), "bob's text");
}

TEST_F(StrongDataFileTest, WrongKeyIsCorruption) {
  const std::string file = seal("alice's text", kStrongChunkBytes);
  const StrongKeys cases[] = {quickKeys("alicepw2"), quickKeys("alicepw1", 2)};
  for (const StrongKeys& other : cases) {
    expectError<std::domain_error>([&] { openStrongData(other.sealingKey, "alice01", file); },
                                   msg::kCorruptUserData);
  }
}

TEST_F(StrongDataFileTest, HeaderReaderRefusesMalformedHeaders) {
  const std::string file = seal("text", 16);
  const std::size_t checksumAt = headerSize("alice01") - 40;
  // Changes the bytes at `at` and puts the matching checksum in place.
  auto patched = [&](std::size_t at, const std::string& bytes) {
    std::string changed = file;
    changed.replace(at, bytes.size(), bytes);
    std::string covered = changed.substr(0, checksumAt);
    appendChecksum(covered);
    return covered + changed.substr(checksumAt + kChecksumBytes);
  };
  EXPECT_EQ(readStrongDataHeader(patched(35, "\x08")).identity.role, 8);
  struct Case {
    const char* what;
    std::string file;
  };
  const std::vector<Case> cases = {
      {"kind of a password file", patched(4, "P")},
      {"version 2", patched(5, "\x02")},
      {"unknown algorithm", patched(6, std::string(1, '\0'))},
      {"too many passes", patched(7, "\x21")},
      {"mode simple", patched(39, "\x01")},
      {"chunk size 15", patched(40, std::string("\x0f\x00\x00\x00", 4))},
      {"chunk size above 1 MiB", patched(40, std::string("\x01\x00\x10\x00", 4))},
      {"name longer than the file", patched(44, "\xff")},
      {"name longer than written", patched(44, "\x08")},
      {"checksum",
       file.substr(0, checksumAt) + "0123456789abcdef" + file.substr(checksumAt + kChecksumBytes)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(errorText<std::domain_error>([&] { readStrongDataHeader(c.file); }),
              msg::kCorruptUserData)
        << c.what;
  }
  for (std::size_t length = 0; length < headerSize("alice01"); ++length) {
    EXPECT_EQ(errorText<std::domain_error>([&] { readStrongDataHeader(file.substr(0, length)); }),
              msg::kCorruptUserData)
        << length;
  }
}

TEST_F(StrongDataFileTest, WriterRefusesNamesAndChunkSizesItCannotStore) {
  const std::string longest(kMaxStrongNameBytes, 'n');
  EXPECT_EQ(openStrongData(keys_.sealingKey, longest, sealStrongData({longest, User}, keys_, "t")),
            "t");
  expectError<std::overflow_error>(
      [&] {
        sealStrongData({longest + "n", User}, keys_, "t");
      },
      msg::kValueTooLarge);
  for (uint32_t chunk : {0u, kMinStrongChunkBytes - 1, kMaxStrongChunkBytes + 1}) {
    EXPECT_THROW(sealStrongData(alice_, keys_, "t", chunk), std::invalid_argument) << chunk;
  }
}

}  // namespace
}  // namespace vellumkeep
