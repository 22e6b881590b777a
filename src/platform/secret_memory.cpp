#include "platform/secret_memory.h"

#include <sodium.h>

#include <new>
#include <stdexcept>
#include <utility>

#include "model/messages.h"

namespace vellumkeep {

void initializeSodium() {
  // 0 on the first success, 1 when already done, -1 on failure.
  if (sodium_init() < 0) throw std::runtime_error(msg::kCryptoUnavailable);
}

SecretBytes::SecretBytes(std::size_t size) : data_(nullptr), size_(size) {
  initializeSodium();
  // sodium_malloc places the bytes between guard pages and locks them (best effort).
  data_ = static_cast<unsigned char*>(sodium_malloc(size == 0 ? 1 : size));
  if (!data_) throw std::bad_alloc();
  sodium_memzero(data_, size == 0 ? 1 : size);
}

SecretBytes::~SecretBytes() {
  release();
}

SecretBytes::SecretBytes(SecretBytes&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

SecretBytes& SecretBytes::operator=(SecretBytes&& other) noexcept {
  if (this != &other) {
    release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

void SecretBytes::release() noexcept {
  // sodium_free wipes the bytes and unlocks them before it gives them back.
  if (data_) sodium_free(data_);
  data_ = nullptr;
  size_ = 0;
}

void wipe(std::string& text) {
  // The whole buffer: a shorter text may have left bytes of a longer one behind its end.
  text.resize(text.capacity());
  sodium_memzero(text.data(), text.size());
  text.clear();
}

SecretString::SecretString(std::string text) : text_(std::move(text)) {
  wipe(text);  // a short text leaves its bytes in the moved-from string's own buffer
}

void SecretString::append(char c) {
  if (text_.size() == text_.capacity()) {
    std::string larger;
    larger.reserve(2 * text_.capacity() + 16);
    larger = text_;
    wipe(text_);
    text_.swap(larger);
  }
  text_.push_back(c);
}

SecretString::SecretString(SecretString&& other) noexcept : text_(std::move(other.text_)) {
  wipe(other.text_);
}

SecretString& SecretString::operator=(SecretString&& other) noexcept {
  if (this != &other) {
    wipe(text_);
    text_ = std::move(other.text_);
    wipe(other.text_);
  }
  return *this;
}

namespace {

using Digest = unsigned char[crypto_generichash_BYTES];

void digestOf(std::string_view text, Digest& digest) {
  crypto_generichash(digest, sizeof digest, reinterpret_cast<const unsigned char*>(text.data()),
                     text.size(), nullptr, 0);
}

}  // namespace

bool samePassword(std::string_view typed, std::string_view stored) {
  // Equal-length digests, so that neither the length nor the bytes show in the time taken.
  Digest typedDigest;
  Digest storedDigest;
  digestOf(typed, typedDigest);
  digestOf(stored, storedDigest);
  return sodium_memcmp(typedDigest, storedDigest, sizeof typedDigest) == 0;
}

bool equalInConstantTime(const unsigned char* a, const unsigned char* b, std::size_t size) {
  return sodium_memcmp(a, b, size) == 0;
}

}  // namespace vellumkeep
