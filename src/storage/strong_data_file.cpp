#include "storage/strong_data_file.h"

#include <sodium.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "model/messages.h"
#include "storage/corruption.h"
#include "storage/strong_format.h"

namespace vellumkeep {

namespace {

using StreamState = crypto_secretstream_xchacha20poly1305_state;
constexpr std::size_t kStreamHeaderBytes = crypto_secretstream_xchacha20poly1305_HEADERBYTES;
constexpr std::size_t kChunkOverhead = crypto_secretstream_xchacha20poly1305_ABYTES;
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

StrongSealingMemory::StrongSealingMemory(uint32_t chunkSize)
    : text_(checkedChunkSize(chunkSize)),
      state_(sizeof(StreamState)),
      sealed_(chunkSize + kChunkOverhead) {}

StrongDataWriter::StrongDataWriter(const StrongIdentity& identity, const StrongKeys& keys,
                                   StrongSealingMemory& memory, Sink sink)
    : memory_(memory),
      sink_(std::move(sink)),
      associatedData_(boundHeader(identity, keys, memory.chunkSize())) {
  checkKey(keys.sealingKey);
  unsigned char streamHeader[kStreamHeaderBytes];
  // Draws the stream's random nonce.
  crypto_secretstream_xchacha20poly1305_init_push(streamState(memory_.state_), streamHeader,
                                                  keys.sealingKey.data());
  std::string header = associatedData_;
  appendBytes(header, streamHeader, sizeof streamHeader);
  try {
    sink_(header);
  } catch (...) {
    wipeMemory();  // no destructor runs for a writer that was not made
    throw;
  }
}

StrongDataWriter::~StrongDataWriter() {
  wipeMemory();
}

void StrongDataWriter::wipeMemory() {
  sodium_memzero(memory_.text_.data(), memory_.text_.size());
  sodium_memzero(memory_.state_.data(), memory_.state_.size());
}

void StrongDataWriter::write(std::string_view text) {
  SecretBytes& chunk = memory_.text_;
  while (!text.empty()) {
    // A full chunk waits for more text, so that the last chunk may be a full one.
    if (used_ == chunk.size()) sealChunk(false);
    const std::size_t part = std::min(text.size(), chunk.size() - used_);
    std::memcpy(chunk.data() + used_, text.data(), part);
    used_ += part;
    text.remove_prefix(part);
  }
}

void StrongDataWriter::finish() {
  // An empty text is one empty chunk.
  sealChunk(true);
}

void StrongDataWriter::sealChunk(bool last) {
  const unsigned char tag = last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                                 : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE;
  unsigned char* sealed = memory_.sealed_.data();
  unsigned long long sealedSize = 0;
  crypto_secretstream_xchacha20poly1305_push(streamState(memory_.state_), sealed, &sealedSize,
                                             memory_.text_.data(), used_, bytesOf(associatedData_),
                                             associatedData_.size(), tag);
  associatedData_.clear();
  used_ = 0;
  sink_(std::string_view(reinterpret_cast<const char*>(sealed), sealedSize));
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
  StrongSealingMemory memory(chunkSize);
  StrongDataWriter writer(identity, keys, memory, [&](std::string_view piece) { file += piece; });
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
