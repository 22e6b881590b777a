#include "storage/strong_format.h"

#include <sodium.h>

#include <algorithm>
#include <array>
#include <stdexcept>

#include "platform/secret_memory.h"
#include "storage/corruption.h"

namespace vellumkeep {

namespace {

std::array<unsigned char, kChecksumBytes> checksumOf(std::string_view bytes) {
  static_assert(kChecksumBytes >= crypto_generichash_BYTES_MIN);
  initializeSodium();
  std::array<unsigned char, kChecksumBytes> sum;
  crypto_generichash(sum.data(), sum.size(), reinterpret_cast<const unsigned char*>(bytes.data()),
                     bytes.size(), nullptr, 0);
  return sum;
}

}  // namespace

bool isStrongFile(std::string_view fileStart) {
  return fileStart.substr(0, kStrongMagic.size()) == kStrongMagic;
}

void appendByte(std::string& out, uint8_t value) {
  out.push_back(static_cast<char>(value));
}

void appendUint32(std::string& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) appendByte(out, static_cast<uint8_t>(value >> shift));
}

void appendUint64(std::string& out, uint64_t value) {
  for (int shift = 0; shift < 64; shift += 8) appendByte(out, static_cast<uint8_t>(value >> shift));
}

void appendBytes(std::string& out, const unsigned char* data, std::size_t size) {
  out.append(reinterpret_cast<const char*>(data), size);
}

std::string_view ByteReader::bytes(std::size_t size) {
  if (size > remaining()) throwCorruptUserData();
  const std::string_view taken = bytes_.substr(position_, size);
  position_ += size;
  return taken;
}

uint8_t ByteReader::byte() {
  return static_cast<uint8_t>(bytes(1)[0]);
}

uint32_t ByteReader::uint32() {
  const std::string_view field = bytes(4);
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(field[i]);
  return value;
}

uint64_t ByteReader::uint64() {
  const std::string_view field = bytes(8);
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(field[i]);
  return value;
}

void appendStrongPrefix(std::string& out, char kind, const StrongPrefix& prefix) {
  out.append(kStrongMagic);
  out.push_back(kind);
  appendByte(out, prefix.version);
  appendByte(out, prefix.params.algorithm);
  appendUint32(out, prefix.params.opslimit);
  appendUint64(out, prefix.params.memlimit);
  appendBytes(out, prefix.salt.data(), prefix.salt.size());
}

StrongPrefix readStrongPrefix(ByteReader& in, char kind, uint8_t newestVersion) {
  if (in.bytes(kStrongMagic.size()) != kStrongMagic) throwCorruptUserData();
  if (in.byte() != static_cast<uint8_t>(kind)) throwCorruptUserData();
  StrongPrefix prefix;
  prefix.version = in.byte();
  if (prefix.version < kStrongFormatVersion || prefix.version > newestVersion) {
    throwCorruptUserData();
  }
  prefix.params.algorithm = in.byte();
  prefix.params.opslimit = in.uint32();
  prefix.params.memlimit = in.uint64();
  checkKdfParameters(prefix.params);
  const std::string_view salt = in.bytes(kSaltBytes);
  std::copy(salt.begin(), salt.end(), prefix.salt.begin());
  return prefix;
}

void appendChecksum(std::string& out) {
  const auto sum = checksumOf(out);
  appendBytes(out, sum.data(), sum.size());
}

void checkChecksum(ByteReader& in, std::string_view covered) {
  const auto expected = checksumOf(covered);
  const std::string_view stored = in.bytes(kChecksumBytes);
  if (stored.compare(0, kChecksumBytes, reinterpret_cast<const char*>(expected.data()),
                     kChecksumBytes) != 0) {
    throwCorruptUserData();
  }
}

}  // namespace vellumkeep
