// What the two files of encryption mode `strong` share: magic bytes that no file of the other
// modes can begin with, the common start of both layouts, fixed-width little-endian fields and
// a checksum that finds accidental damage. Works on strings only.
//
// DO NOT CHANGE THE LAYOUT (version 1): existing files hold it. Both files begin:
//   offset  bytes  field
//        0      4  magic FF 56 4B 53 ("\xFF" "VKS")
//        4      1  file kind: 'D' data file, 'P' password file
//        5      1  format version: 1
//        6      1  key derivation algorithm: 1 = Argon2id v1.3
//        7      4  opslimit (passes), unsigned little-endian
//       11      8  memlimit (bytes), unsigned little-endian
//       19     16  salt
//       35         (the rest is the kind's own)
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "storage/strong_keys.h"

namespace vellumkeep {

// 0xFF, then "VKS" ("\xFF" ends before the V, which is no hex digit).
inline constexpr std::string_view kStrongMagic = "\xFFVKS";
inline constexpr char kStrongDataKind = 'D';
inline constexpr char kStrongPasswordKind = 'P';
inline constexpr uint8_t kStrongFormatVersion = 1;
inline constexpr std::size_t kStrongPrefixBytes = 35;
inline constexpr std::size_t kChecksumBytes = 16;

// True when `fileStart`, the first bytes of a file, begins with the magic bytes.
bool isStrongFile(std::string_view fileStart);

// Appends fixed-width little-endian fields.
void appendByte(std::string& out, uint8_t value);
void appendUint32(std::string& out, uint32_t value);
void appendUint64(std::string& out, uint64_t value);
void appendBytes(std::string& out, const unsigned char* data, std::size_t size);

// Takes fields from the front of a file's bytes; running out is the corruption error.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

  uint8_t byte();
  uint32_t uint32();
  uint64_t uint64();
  std::string_view bytes(std::size_t size);
  // How many bytes have been taken.
  std::size_t position() const { return position_; }
  std::size_t remaining() const { return bytes_.size() - position_; }

 private:
  std::string_view bytes_;
  std::size_t position_ = 0;
};

// The common start of both files.
struct StrongPrefix {
  KdfParameters params;
  Salt salt;
  uint8_t version = kStrongFormatVersion;
};

void appendStrongPrefix(std::string& out, char kind, const StrongPrefix& prefix);
// Reads the common start and checks magic, kind, version (from 1 to `newestVersion`) and
// parameters: the corruption error when any is wrong.
StrongPrefix readStrongPrefix(ByteReader& in, char kind,
                              uint8_t newestVersion = kStrongFormatVersion);

// Appends kChecksumBytes of unkeyed BLAKE2b over all of `out`.
void appendChecksum(std::string& out);
// Takes the checksum that follows `covered` (the bytes read so far) from `in`; the corruption
// error when it does not match.
void checkChecksum(ByteReader& in, std::string_view covered);

}  // namespace vellumkeep
