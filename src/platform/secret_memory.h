// Memory for keys and other secrets: allocated by libsodium apart from the ordinary heap,
// between guard pages, locked into RAM where the system allows it (so it is not swapped out),
// and wiped when it is freed. Also the one-time set-up of libsodium that this needs.
#pragma once

#include <cstddef>
#include <string>

namespace vellumkeep {

// Prepares libsodium for use; cheap to call again. Throws
// std::runtime_error(msg::kCryptoUnavailable) when the library cannot start (no source of
// secure random numbers).
void initializeSodium();

// A fixed number of secret bytes, zero at first. Move-only, so that a secret lives in one place;
// a moved-from object is empty.
class SecretBytes {
 public:
  // Throws std::bad_alloc when the memory cannot be had.
  explicit SecretBytes(std::size_t size);
  ~SecretBytes();
  SecretBytes(SecretBytes&& other) noexcept;
  SecretBytes& operator=(SecretBytes&& other) noexcept;
  SecretBytes(const SecretBytes&) = delete;
  SecretBytes& operator=(const SecretBytes&) = delete;

  unsigned char* data() { return data_; }
  const unsigned char* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  void release() noexcept;

  unsigned char* data_;
  std::size_t size_;
};

// Overwrites the bytes `text` holds now with zeros and empties it: for typed passwords once
// they have been used. Copies made earlier are not reached.
void wipe(std::string& text);

// True when the first `size` bytes at `a` and `b` are equal, in a time that does not depend on
// where they differ.
bool equalInConstantTime(const unsigned char* a, const unsigned char* b, std::size_t size);

}  // namespace vellumkeep
