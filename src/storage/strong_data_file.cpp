#include "storage/strong_data_file.h"

#include <sodium.h>

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "model/messages.h"
#include "storage/corruption.h"
#include "storage/strong_format.h"

namespace vellumkeep {

namespace {

using StreamState = crypto_secretstream_xchacha20poly1305_state;
constexpr std::size_t kStreamHeaderBytes = crypto_secretstream_xchacha20poly1305_HEADERBYTES;
constexpr std::size_t kChunkOverhead = crypto_secretstream_xchacha20poly1305_ABYTES;
// A sealing thread takes text, and gives sealed chunks back, in batches of chunks, and the
// writer holds a few batches: one being filled, one being sealed, and sealed ones waiting for
// the sink. Fewer, larger hand-overs let each side run on without waking the other every chunk.
constexpr std::size_t kChunksPerBatch = 4;
constexpr std::size_t kBatchesInFlight = 3;
static_assert(kMaxStrongDataHeaderBytes ==
              kStrongPrefixBytes + 10 + kMaxStrongNameBytes + kChecksumBytes + kStreamHeaderBytes);
static_assert(kKeyBytes == crypto_secretstream_xchacha20poly1305_KEYBYTES);

StreamState* streamState(SecretBytes& state) {
  // The state is bytes only, so any address suits it.
  return reinterpret_cast<StreamState*>(state.data());
}

const unsigned char* bytesOf(std::string_view text) {
  return reinterpret_cast<const unsigned char*>(text.data());
}

bool isValidChunkSize(uint32_t size) {
  return size >= kMinStrongChunkBytes && size <= kMaxStrongChunkBytes;
}

uint32_t checkedChunkSize(uint32_t size) {
  if (!isValidChunkSize(size)) throw std::invalid_argument("chunk size");
  return size;
}

void checkKey(const SecretBytes& key) {
  if (key.size() != kKeyBytes) throw std::invalid_argument("sealing key size");
}

// The header up to and without the stream header: the first chunk's associated data.
std::string boundHeader(const StrongIdentity& identity, const StrongKeys& keys,
                        uint32_t chunkSize) {
  if (identity.name.size() > kMaxStrongNameBytes) throw std::overflow_error(msg::kValueTooLarge);
  std::string header;
  appendStrongPrefix(header, kStrongDataKind, {keys.params, keys.salt});
  appendUint32(header, static_cast<uint32_t>(identity.role));
  appendByte(header, static_cast<uint8_t>(Strong));
  appendUint32(header, chunkSize);
  appendByte(header, static_cast<uint8_t>(identity.name.size()));
  header += identity.name;
  appendChecksum(header);
  return header;
}

}  // namespace

StrongDataHeader readStrongDataHeader(std::string_view fileStart) {
  ByteReader in(fileStart);
  const StrongPrefix prefix = readStrongPrefix(in, kStrongDataKind);
  StrongDataHeader header;
  header.params = prefix.params;
  header.salt = prefix.salt;
  header.identity.role = static_cast<int32_t>(in.uint32());
  if (in.byte() != Strong) throwCorruptUserData();
  header.chunkSize = in.uint32();
  if (!isValidChunkSize(header.chunkSize)) throwCorruptUserData();
  header.identity.name = in.bytes(in.byte());
  checkChecksum(in, fileStart.substr(0, in.position()));
  in.bytes(kStreamHeaderBytes);
  header.size = in.position();
  return header;
}

StrongDataWriter::Batch::Batch(std::size_t textSize, std::size_t sealedSize)
    : text(textSize), sealed(new unsigned char[sealedSize]) {}

StrongDataWriter::StrongDataWriter(const StrongIdentity& identity, const StrongKeys& keys,
                                   Sink sink, uint32_t chunkSize, Sealing sealing)
    : sink_(std::move(sink)),
      chunkSize_(checkedChunkSize(chunkSize)),
      state_(sizeof(StreamState)),
      associatedData_(boundHeader(identity, keys, chunkSize)),
      batches_(1) {
  checkKey(keys.sealingKey);
  unsigned char streamHeader[kStreamHeaderBytes];
  // Draws the stream's random nonce.
  crypto_secretstream_xchacha20poly1305_init_push(streamState(state_), streamHeader,
                                                  keys.sealingKey.data());
  std::string header = associatedData_;
  appendBytes(header, streamHeader, sizeof streamHeader);
  sink_(header);
  if (sealing == Sealing::kOwnThread) startSealer();
}

StrongDataWriter::~StrongDataWriter() {
  if (!sealer_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  sealer_.join();
}

void StrongDataWriter::write(std::string_view text) {
  while (!text.empty()) {
    Batch* batch = &fillingBatch();
    // A full batch waits for more text, so that the last chunk may be a full one.
    if (used_ == batch->text.size()) {
      queueBatch(false);
      batch = &fillingBatch();
    }
    const std::size_t part = std::min(text.size(), batch->text.size() - used_);
    std::memcpy(batch->text.data() + used_, text.data(), part);
    used_ += part;
    text.remove_prefix(part);
  }
}

void StrongDataWriter::finish() {
  queueBatch(true);
  sinkSealedBatches(queued_);
  if (sealer_.joinable()) sealer_.join();
}

StrongDataWriter::Batch& StrongDataWriter::batchNumber(uint64_t number) {
  return *batches_[number % batches_.size()];
}

StrongDataWriter::Batch& StrongDataWriter::fillingBatch() {
  std::unique_ptr<Batch>& batch = batches_[queued_ % batches_.size()];
  if (!batch) {
    const std::size_t chunks = sealer_.joinable() ? kChunksPerBatch : 1;
    batch = std::make_unique<Batch>(chunks * chunkSize_, chunks * (chunkSize_ + kChunkOverhead));
  }
  return *batch;
}

namespace {

// Keeps `thread` off the CPU the caller runs on, where the system has more than one: the
// sealing only saves time when it runs beside the writing, and some schedulers (virtual
// machines that pack their threads onto few CPUs) would otherwise run both on one. A hint only.
void keepOffThisCpu(std::thread& thread) {
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  if (sched_getaffinity(0, sizeof allowed, &allowed) != 0 || CPU_COUNT(&allowed) < 2) return;
  const int here = sched_getcpu();
  if (here < 0) return;
  CPU_CLR(here, &allowed);
  pthread_setaffinity_np(thread.native_handle(), sizeof allowed, &allowed);
}

}  // namespace

void StrongDataWriter::startSealer() {
  batches_.resize(kBatchesInFlight);
  try {
    sealer_ = std::thread(&StrongDataWriter::sealQueuedBatches, this);
    keepOffThisCpu(sealer_);
  } catch (const std::system_error&) {
    // No thread to be had: the caller's thread seals, more slowly, and the text is saved.
    batches_.resize(1);
  }
}

void StrongDataWriter::queueBatch(bool last) {
  Batch& batch = fillingBatch();
  batch.used = used_;
  batch.last = last;
  used_ = 0;
  const bool sealHere = !sealer_.joinable();
  if (sealHere) sealBatch(batch);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++queued_;
    if (sealHere) sealed_ = queued_;
  }
  changed_.notify_all();
  // The next batch's place in the ring is free once the batch before it there was handed over.
  sinkSealedBatches(queued_ < batches_.size() ? 0 : queued_ - batches_.size() + 1);
}

void StrongDataWriter::sinkSealedBatches(uint64_t count) {
  for (;;) {
    uint64_t sealed = 0;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return sealed_ > sunk_ || sunk_ >= count; });
      sealed = sealed_;
    }
    if (sealed == sunk_) return;
    // Outside the lock: the sealing thread no longer touches these batches.
    for (; sunk_ < sealed; ++sunk_) {
      const Batch& batch = batchNumber(sunk_);
      sink_(std::string_view(reinterpret_cast<const char*>(batch.sealed.get()), batch.sealedSize));
    }
  }
}

void StrongDataWriter::sealQueuedBatches() {
  for (uint64_t next = 0;; ++next) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return queued_ > next || stopping_; });
      if (stopping_) return;
    }
    Batch& batch = batchNumber(next);
    // Read before the batch is handed back: the caller may fill its place again at once.
    const bool last = batch.last;
    sealBatch(batch);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      sealed_ = next + 1;
    }
    changed_.notify_all();
    if (last) return;
  }
}

void StrongDataWriter::sealBatch(Batch& batch) {
  // Only the last batch may hold less than full chunks, and only it ends with tag FINAL (an
  // empty text is one empty chunk).
  std::size_t at = 0;
  batch.sealedSize = 0;
  do {
    const std::size_t part = std::min<std::size_t>(chunkSize_, batch.used - at);
    const bool final = batch.last && at + part == batch.used;
    const unsigned char tag = final ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                                    : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE;
    unsigned long long sealedSize = 0;
    crypto_secretstream_xchacha20poly1305_push(
        streamState(state_), batch.sealed.get() + batch.sealedSize, &sealedSize,
        batch.text.data() + at, part, bytesOf(associatedData_), associatedData_.size(), tag);
    associatedData_.clear();
    batch.sealedSize += static_cast<std::size_t>(sealedSize);
    at += part;
  } while (at < batch.used);
}

StrongDataReader::StrongDataReader(const SecretBytes& sealingKey, std::string_view expectedName,
                                   FilePieces source)
    : source_(std::move(source)), state_(sizeof(StreamState)) {
  checkKey(sealingKey);
  fill(kMaxStrongDataHeaderBytes);
  const std::string_view file(buffer_);
  header_ = readStrongDataHeader(file);
  if (header_.identity.name != expectedName) throwCorruptUserData();
  const std::size_t bound = header_.size - kStreamHeaderBytes;
  associatedData_.assign(file.substr(0, bound));
  if (crypto_secretstream_xchacha20poly1305_init_pull(streamState(state_), bufferedBytes() + bound,
                                                      sealingKey.data()) != 0) {
    throwCorruptUserData();
  }
  position_ = header_.size;
}

const unsigned char* StrongDataReader::bufferedBytes() const {
  return bytesOf(buffer_);
}

void StrongDataReader::fill(std::size_t size) {
  while (buffered() < size && !sourceEnded_) {
    buffer_.erase(0, position_);
    position_ = 0;
    if (source_(piece_)) {
      buffer_ += piece_;
    } else {
      sourceEnded_ = true;
    }
  }
}

bool StrongDataReader::next(std::string& text) {
  if (done_) {
    text.clear();
    return false;
  }
  const std::size_t fullChunk = header_.chunkSize + kChunkOverhead;
  fill(fullChunk);
  const std::size_t sealedSize = std::min(buffered(), fullChunk);
  // A file cut at a chunk's start or inside its seal.
  if (sealedSize < kChunkOverhead) throwCorruptUserData();
  // Every byte is overwritten: resizing a piece of the same size costs nothing.
  text.resize(sealedSize - kChunkOverhead);
  unsigned char tag = 0;
  if (crypto_secretstream_xchacha20poly1305_pull(
          streamState(state_), reinterpret_cast<unsigned char*>(text.data()), nullptr, &tag,
          bufferedBytes() + position_, sealedSize, bytesOf(associatedData_),
          associatedData_.size()) != 0) {
    text.clear();
    throwCorruptUserData();
  }
  position_ += sealedSize;
  associatedData_.clear();
  if (tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL) {
    fill(1);
    if (buffered() > 0) throwCorruptUserData();  // bytes after the last chunk
    done_ = true;
    return true;
  }
  // The writer seals only full chunks before the last one.
  if (tag != crypto_secretstream_xchacha20poly1305_TAG_MESSAGE || sealedSize != fullChunk) {
    throwCorruptUserData();
  }
  return true;
}

void StrongDataReader::finish() {
  std::string rest;
  while (next(rest)) {
  }
  sodium_memzero(rest.data(), rest.size());
}

std::string sealStrongData(const StrongIdentity& identity, const StrongKeys& keys,
                           std::string_view text, uint32_t chunkSize) {
  std::string file;
  StrongDataWriter writer(
      identity, keys, [&](std::string_view piece) { file += piece; }, chunkSize);
  file.reserve(file.size() + text.size() + (text.size() / chunkSize + 1) * kChunkOverhead);
  writer.write(text);
  writer.finish();
  return file;
}

std::string openStrongData(const SecretBytes& sealingKey, std::string_view expectedName,
                           std::string_view file) {
  bool handedOver = false;
  StrongDataReader reader(sealingKey, expectedName, [&](std::string& piece) {
    if (handedOver) return false;
    piece.assign(file);
    handedOver = true;
    return true;
  });
  std::string text;
  std::string piece;
  while (reader.next(piece)) text += piece;
  return text;
}

}  // namespace vellumkeep
