#include "platform/clipboard.h"

#include <sodium.h>
#include <unistd.h>

#include <cerrno>

#include "platform/secret_memory.h"
#include "platform/terminal_mode.h"

namespace vellumkeep {

namespace {

constexpr char kSequenceStart[] = "\x1b]52;c;";

}  // namespace

std::string clipboardSequence(std::string_view bytes) {
  // One allocation, so that no copy of the encoded secret is left behind by growing: the
  // encoder's terminating zero becomes the closing BEL.
  constexpr size_t kStartSize = sizeof kSequenceStart - 1;
  const size_t encodedSize =
      sodium_base64_ENCODED_LEN(bytes.size(), sodium_base64_VARIANT_ORIGINAL);
  std::string sequence(kStartSize + encodedSize, '\0');
  sequence.replace(0, kStartSize, kSequenceStart);
  sodium_bin2base64(sequence.data() + kStartSize, encodedSize,
                    reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                    sodium_base64_VARIANT_ORIGINAL);
  sequence.back() = '\a';
  return sequence;
}

Clipboard::Clipboard(int fd, std::chrono::milliseconds keepFor) : fd_(fd), keepFor_(keepFor) {}

Clipboard::~Clipboard() {
  clearNow();
}

void Clipboard::copy(std::string_view secret) {
  std::string sequence = clipboardSequence(secret);
  write(sequence);
  wipe(sequence);
  clearAt_ = std::chrono::steady_clock::now() + keepFor_;
  markClipboardForSignals(fd_, kClipboardClearSequence, sizeof kClipboardClearSequence - 1);
}

void Clipboard::clearNow() {
  if (!clearAt_) return;
  write(kClipboardClearSequence);
  clearAt_.reset();
  markClipboardForSignals(-1, nullptr, 0);
}

void Clipboard::write(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // the terminal is gone; nothing more can reach it
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

}  // namespace vellumkeep
