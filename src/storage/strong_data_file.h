// The data file of encryption mode `strong`: a header that names the user and describes the
// file, then the account text sealed with XChaCha20-Poly1305 in chunks (libsodium's
// secretstream), so that text of any size is sealed and opened a piece at a time. Every save
// starts a new stream with a fresh random nonce. The header is bound to the first chunk as
// associated data, and each chunk to the ones before it, so a changed, reordered, cut or
// extended file does not open. Works on strings and pieces only.
//
// DO NOT CHANGE THE LAYOUT (version 1): existing files hold it.
//   offset  bytes  field
//        0     35  the common start (storage/strong_format.h), kind 'D'
//       35      4  role, signed little-endian
//       39      1  mode: 2
//       40      4  chunk size c: text bytes per chunk, unsigned little-endian
//       44      1  name length n
//       45      n  name
//     45+n     16  checksum: BLAKE2b-128 of bytes 0 to 44+n
//     61+n     24  stream header (the random nonce of this save)
//     85+n         chunks: min(c, text left) text bytes sealed, each 17 bytes longer than its
//                  text; every chunk but the last holds c bytes with tag MESSAGE, the last
//                  holds 0 to c bytes with tag FINAL. Bytes 0 to 60+n are the associated data
//                  of the first chunk.
// The header can be read without the key (the user's identity); the checksum finds accidental
// damage there, but only the key shows that nobody changed it on purpose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/user_account.h"
#include "platform/secret_memory.h"
#include "storage/strong_keys.h"

namespace vellumkeep {

inline constexpr uint32_t kStrongChunkBytes = uint32_t{64} << 10;  // what the program writes
inline constexpr uint32_t kMinStrongChunkBytes = 16;
inline constexpr uint32_t kMaxStrongChunkBytes = uint32_t{1} << 20;
inline constexpr std::size_t kMaxStrongNameBytes = 255;
// Enough of the start of a data file for readStrongDataHeader.
inline constexpr std::size_t kMaxStrongDataHeaderBytes = 85 + kMaxStrongNameBytes;

// Who the file belongs to, readable without the key; the mode is always Strong.
struct StrongIdentity {
  std::string name;
  int32_t role = 0;
};

struct StrongDataHeader {
  StrongIdentity identity;
  KdfParameters params;
  Salt salt;
  uint32_t chunkSize = 0;
  std::size_t size = 0;  // bytes before the first chunk
};

// The header at the start of a data file; `fileStart` may hold more bytes than the header.
// Throws the corruption error, std::domain_error(msg::kCorruptUserData), for a file of another
// kind or version, invalid parameters, mode or chunk size, a checksum that does not match, or
// too few bytes.
StrongDataHeader readStrongDataHeader(std::string_view fileStart);

// The memory a StrongDataWriter seals in: one chunk of text and the stream's state in secret
// memory, and room for the chunk sealed. Locked memory is costly to get, so a session makes one
// at its first save in mode strong and lends it to each save after; a save wipes what it put
// there. Lent to one writer at a time.
class StrongSealingMemory {
 public:
  // Throws std::invalid_argument for a chunk size outside the bounds above, std::bad_alloc when
  // the memory cannot be had.
  explicit StrongSealingMemory(uint32_t chunkSize = kStrongChunkBytes);

  uint32_t chunkSize() const { return static_cast<uint32_t>(text_.size()); }

 private:
  friend class StrongDataWriter;

  SecretBytes text_;                   // one chunk of account text
  SecretBytes state_;                  // the stream's state, which holds the key
  std::vector<unsigned char> sealed_;  // one chunk sealed: not secret
};

// Seals an account text handed over in pieces, in chunks of the memory's chunk size, and hands
// the file to `sink` in pieces: the header at once, then each chunk as it is sealed, the last
// at finish(). When the sink throws, the error leaves that call and the writer may only be
// destroyed.
class StrongDataWriter {
 public:
  using Sink = std::function<void(std::string_view)>;

  // Throws std::overflow_error(msg::kValueTooLarge) for a name longer than kMaxStrongNameBytes.
  StrongDataWriter(const StrongIdentity& identity, const StrongKeys& keys,
                   StrongSealingMemory& memory, Sink sink);
  // Wipes the text and the state it left in the memory, also when the text was not finished.
  ~StrongDataWriter();
  StrongDataWriter(const StrongDataWriter&) = delete;
  StrongDataWriter& operator=(const StrongDataWriter&) = delete;

  void write(std::string_view text);
  // Seals the last chunk and hands it to the sink. Call once, after the last write.
  void finish();

 private:
  // Seals the chunk of text held, the last one with tag FINAL, and hands it to the sink.
  void sealChunk(bool last);
  void wipeMemory();

  StrongSealingMemory& memory_;
  Sink sink_;
  std::string associatedData_;  // the header, for the first chunk; empty afterwards
  std::size_t used_ = 0;        // text in the memory's chunk
};

// Hands over the next piece of a file in its argument, replacing what it held; false at the end.
using FilePieces = std::function<bool(std::string&)>;

// Opens a data file that arrives in pieces and hands out its text in pieces. Every piece handed
// out is authentic; that the text is whole is known when next() returns false. Any damage
// throws the corruption error: a changed byte, a cut or extended file, a header naming another
// user, or the wrong key. Holds about one chunk and one piece of the file.
class StrongDataReader {
 public:
  // Reads and checks the header. Throws the corruption error.
  StrongDataReader(const SecretBytes& sealingKey, std::string_view expectedName, FilePieces source);

  const StrongDataHeader& header() const { return header_; }

  // Replaces `text` with the next piece of text, possibly empty; false after the last.
  // Throws the corruption error.
  bool next(std::string& text);

  // Reads and checks the rest of the file, dropping its text. A reader that stops before
  // next() returns false must call this: only the end shows that the file is whole (a file
  // cut after a chunk boundary can still hold a complete account text). Throws the
  // corruption error.
  void finish();

 private:
  // Reads from the source until `size` bytes are buffered or the file ends.
  void fill(std::size_t size);
  std::size_t buffered() const { return buffer_.size() - position_; }
  const unsigned char* bufferedBytes() const;

  FilePieces source_;
  bool sourceEnded_ = false;
  std::string buffer_;
  std::size_t position_ = 0;
  std::string piece_;
  StrongDataHeader header_;
  SecretBytes state_;
  std::string associatedData_;
  bool done_ = false;
};

// The whole data file of `text`, sealed in memory of its own: for tests and small texts.
// Throws as StrongSealingMemory and StrongDataWriter.
std::string sealStrongData(const StrongIdentity& identity, const StrongKeys& keys,
                           std::string_view text, uint32_t chunkSize = kStrongChunkBytes);

// The whole text of a data file. Throws as StrongDataReader.
std::string openStrongData(const SecretBytes& sealingKey, std::string_view expectedName,
                           std::string_view file);

}  // namespace vellumkeep
