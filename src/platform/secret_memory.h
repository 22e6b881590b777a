// Memory for keys and other secrets: allocated by libsodium apart from the ordinary heap,
// between guard pages, locked into RAM where the system allows it (so it is not swapped out),
// and wiped when it is freed. Also the one-time set-up of libsodium that this needs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

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

// Overwrites every byte of `text`'s buffer with zeros and empties it. Copies made earlier are
// not reached.
void wipe(std::string& text);

// Text that may hold a secret (a typed password, a command line that carries one): its bytes
// are wiped when it is destroyed or given a new value. Move-only, so that the secret lives in
// one place; a moved-from SecretString is empty and holds nothing of it.
class SecretString {
 public:
  SecretString() = default;
  // Takes the text; a copy is made only of a text that is not moved in.
  SecretString(std::string text);  // NOLINT: implicit, so that any text can be handed over
  SecretString(const char* text) : SecretString(std::string(text)) {}  // NOLINT: as above
  ~SecretString() { wipe(text_); }
  SecretString(SecretString&& other) noexcept;
  SecretString& operator=(SecretString&& other) noexcept;
  SecretString(const SecretString&) = delete;
  SecretString& operator=(const SecretString&) = delete;

  const std::string& str() const { return text_; }
  operator const std::string&() const { return text_; }  // NOLINT: reads as the text
  operator std::string_view() const { return text_; }    // NOLINT: reads as the text
  bool empty() const { return text_.empty(); }
  std::size_t size() const { return text_.size(); }
  // Empties the text, wiping it.
  void clear() { wipe(text_); }
  // Appends a byte; a buffer given up for a larger one is wiped first.
  void append(char c);
  // Changes the text in place without making it longer (erasing, for instance).
  template <typename Edit>
  void edit(Edit edit) {
    edit(text_);
  }

  friend bool operator==(const SecretString& a, std::string_view b) { return a.text_ == b; }
  friend bool operator==(std::string_view a, const SecretString& b) { return a == b.text_; }
  friend bool operator!=(const SecretString& a, std::string_view b) { return !(a == b); }
  friend bool operator!=(std::string_view a, const SecretString& b) { return !(a == b); }

 private:
  std::string text_;
};

// True when `typed` equals `stored`, in a time that depends on neither their bytes nor their
// lengths: for checking a typed password.
bool samePassword(std::string_view typed, std::string_view stored);

// True when the first `size` bytes at `a` and `b` are equal, in a time that does not depend on
// where they differ.
bool equalInConstantTime(const unsigned char* a, const unsigned char* b, std::size_t size);

}  // namespace vellumkeep
