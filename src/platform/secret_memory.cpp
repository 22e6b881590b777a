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
  sodium_memzero(text.data(), text.size());
  text.clear();
}

bool equalInConstantTime(const unsigned char* a, const unsigned char* b, std::size_t size) {
  return sodium_memcmp(a, b, size) == 0;
}

}  // namespace vellumkeep
