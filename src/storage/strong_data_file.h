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

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
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

// Where a StrongDataWriter seals its chunks.
enum class Sealing {
  // On the caller's thread, a chunk at a time in one chunk's memory.
  kCallerThread,
  // On a thread of the writer's own, while the caller prepares the next text and the sink
  // writes what was sealed before, so that a large text costs little more than its writing.
  // For a small text the thread costs more than it saves. Sealing falls back to the caller's
  // thread when no thread can be started.
  kOwnThread,
};

// Seals an account text handed over in pieces and hands the file to `sink` in pieces: the
// header at once, then the sealed chunks in order, a few at a time, the last at finish(). The
// sink is only ever called on the caller's thread, from the constructor, write() and finish();
// when it throws, the error leaves that call and the writer may only be destroyed. Holds one
// chunk of text, or twelve when sealing on its own thread, in secret memory.
class StrongDataWriter {
 public:
  using Sink = std::function<void(std::string_view)>;

  // Throws std::overflow_error(msg::kValueTooLarge) for a name longer than kMaxStrongNameBytes
  // and std::invalid_argument for a chunk size outside the bounds above.
  StrongDataWriter(const StrongIdentity& identity, const StrongKeys& keys, Sink sink,
                   uint32_t chunkSize = kStrongChunkBytes,
                   Sealing sealing = Sealing::kCallerThread);
  // Stops the sealing thread, also when the text was not finished.
  ~StrongDataWriter();
  StrongDataWriter(const StrongDataWriter&) = delete;
  StrongDataWriter& operator=(const StrongDataWriter&) = delete;

  void write(std::string_view text);
  // Seals the last chunk and hands every chunk left to the sink. Call once, after the last
  // write.
  void finish();

 private:
  // Text of one chunk (on the caller's thread) or a few (on the sealing thread), sealed
  // together.
  struct Batch {
    Batch(std::size_t textSize, std::size_t sealedSize);
    SecretBytes text;                         // as many bytes as the batch can hold
    std::size_t used = 0;                     // bytes of text
    bool last = false;                        // holds the last chunk
    std::unique_ptr<unsigned char[]> sealed;  // room for the batch's chunks sealed
    std::size_t sealedSize = 0;
  };

  // The batch that write() fills, made at its place's first use.
  Batch& fillingBatch();
  // Starts the sealing thread, or falls back to sealing on the caller's thread.
  void startSealer();
  // The caller's side: queues the batch being filled for sealing, and makes sure the next one
  // may be filled.
  void queueBatch(bool last);
  // Hands the sealed batches to the sink in order: each one sealed by now, waiting for more
  // until `count` have been handed over in all.
  void sinkSealedBatches(uint64_t count);
  // The sealing thread: seals the queued batches in order until the last or a stop.
  void sealQueuedBatches();
  void sealBatch(Batch& batch);
  Batch& batchNumber(uint64_t number);

  Sink sink_;
  uint32_t chunkSize_;
  SecretBytes state_;           // the stream's state: the sealing thread's once started
  std::string associatedData_;  // the header, for the first chunk; empty afterwards
  // A ring: batch number n is at n % size; one place when sealing on the caller's thread. The
  // caller makes each place's batch before it first queues it.
  std::vector<std::unique_ptr<Batch>> batches_;
  std::size_t used_ = 0;  // text in the batch being filled, number queued_
  uint64_t sunk_ = 0;     // batches handed to the sink; the caller's own
  std::mutex mutex_;      // guards what follows
  std::condition_variable changed_;
  uint64_t queued_ = 0;  // batches filled and queued for sealing
  uint64_t sealed_ = 0;  // batches sealed
  bool stopping_ = false;
  std::thread sealer_;  // not joinable when sealing on the caller's thread
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

// The whole data file of `text`, for tests and small texts.
std::string sealStrongData(const StrongIdentity& identity, const StrongKeys& keys,
                           std::string_view text, uint32_t chunkSize = kStrongChunkBytes);

// The whole text of a data file. Throws as StrongDataReader.
std::string openStrongData(const SecretBytes& sealingKey, std::string_view expectedName,
                           std::string_view file);

}  // namespace vellumkeep
