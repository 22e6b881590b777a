#include "storage/account_text.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

#include "storage/code_table.h"
#include "storage/corruption.h"

namespace vellumkeep {

namespace {

// Room for "-2147483648" and a line feed.
constexpr size_t kNumberLineSize = 12;

size_t estimateTextSize(const UserAccount& account) {
  size_t size = account.name.size() + account.password.size() + 4 * kNumberLineSize + 2;
  for (const Group& group : account.groups) {
    size += group.name.size() + 2 * kNumberLineSize + 1;
    for (const PasswordEntry& entry : group.entries) {
      size += entry.account().size() + entry.password().size() + entry.info().size() + 3;
    }
  }
  return size;
}

// Copies n bytes without a call for the short fields that make up most of a text: two
// overlapping fixed-size copies cover any length between the size and twice the size.
void copyField(char* out, const char* in, size_t n) {
  if (n >= 16 && n <= 32) {
    std::memcpy(out, in, 16);
    std::memcpy(out + n - 16, in + n - 16, 16);
  } else if (n >= 8 && n < 16) {
    std::memcpy(out, in, 8);
    std::memcpy(out + n - 8, in + n - 8, 8);
  } else {
    std::memcpy(out, in, n);
  }
}

// Gathers the account text in a buffer of kAccountTextPiece bytes and hands it to the sink
// whenever the next line would not fit; a line longer than a piece goes out in parts.
class PieceWriter {
 public:
  explicit PieceWriter(const std::function<void(std::string_view)>& sink)
      : sink_(sink), buffer_(new char[kAccountTextPiece]) {}

  void line(std::string_view text) { put(text, false); }

  // Line feeds in `text` are written as blanks.
  void infoLine(std::string_view text) { put(text, text.find('\n') != std::string_view::npos); }

  void numberLine(int64_t value) {
    char digits[24];
    const std::to_chars_result result = std::to_chars(digits, digits + sizeof digits, value);
    line(std::string_view(digits, static_cast<size_t>(result.ptr - digits)));
  }

  // The three lines of an entry in one step: the bulk of every large text.
  void entryLines(const PasswordEntry& entry) {
    const std::string_view fields[] = {entry.account(), entry.password(), entry.info()};
    const size_t size = fields[0].size() + fields[1].size() + fields[2].size() + 3;
    if (used_ + size > kAccountTextPiece) flush();
    if (size > kAccountTextPiece || fields[2].find('\n') != std::string_view::npos) {
      line(fields[0]);
      line(fields[1]);
      infoLine(fields[2]);
      return;
    }
    char* out = buffer_.get() + used_;
    for (std::string_view text : fields) {
      copyField(out, text.data(), text.size());
      out += text.size();
      *out++ = '\n';
    }
    used_ += size;
  }

  void flush() {
    if (used_ > 0) sink_(std::string_view(buffer_.get(), used_));
    used_ = 0;
  }

 private:
  void put(std::string_view text, bool blanksForLineFeeds) {
    if (used_ + text.size() + 1 > kAccountTextPiece) flush();
    for (;;) {
      const size_t part = std::min(text.size(), kAccountTextPiece - used_);
      char* out = buffer_.get() + used_;
      std::memcpy(out, text.data(), part);
      if (blanksForLineFeeds) std::replace(out, out + part, '\n', ' ');
      used_ += part;
      text.remove_prefix(part);
      if (text.empty() && used_ < kAccountTextPiece) break;
      flush();
      if (text.empty()) break;
    }
    buffer_[used_++] = '\n';
  }

  const std::function<void(std::string_view)>& sink_;
  std::unique_ptr<char[]> buffer_;
  size_t used_ = 0;
};

// The number at the start of `line` as a formatted stream read takes it: leading whitespace
// skipped, an optional sign, decimal digits, the rest ignored. Absent when there is no number
// or it does not fit.
std::optional<int32_t> parseNumber(std::string_view line) {
  size_t p = skipWhitespace(line, 0);
  if (p < line.size() && line[p] == '+') {
    ++p;
    if (p < line.size() && line[p] == '-') return std::nullopt;
  }
  int32_t value = 0;
  const char* end = line.data() + line.size();
  if (std::from_chars(line.data() + p, end, value).ec != std::errc()) return std::nullopt;
  return value;
}

// Hands out the lines of a text one by one, the whole text given at once or arriving in
// pieces; running out of lines is the corruption error.
class LineScanner {
 public:
  explicit LineScanner(std::string_view text) : text_(text), sizeHint_(text.size()) {}
  LineScanner(const TextPieces& more, size_t sizeHint) : more_(&more), sizeHint_(sizeHint) {}

  // The next line, valid until the next call.
  std::string_view nextLine() {
    size_t end = text_.find('\n', pos_);
    while (end == std::string_view::npos && more_ && takeNextPiece()) {
      end = text_.find('\n', pos_);
    }
    // Every line the writer writes ends with a line feed: a needed line without one is a
    // file cut short.
    if (end == std::string_view::npos) throwCorruptUserData();
    std::string_view line = text_.substr(pos_, end - pos_);
    consumed_ += end + 1 - pos_;
    pos_ = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  }

  // How many items of `linesEach` lines the rest of the text can hold at most: every line
  // takes one byte at least. Bounds the room reserved for a count read from a damaged file.
  size_t itemsLeft(size_t linesEach) const {
    return sizeHint_ > consumed_ ? (sizeHint_ - consumed_) / linesEach : 0;
  }

  int32_t nextNumber() { return parseNumber(nextLine()).value_or(0); }

  // A group id, or the last one handed out: ids start at 1 and only ever grow by one, so a
  // negative one, or one with no successor, was never written by the program.
  int32_t nextId() {
    const int32_t id = nextNumber();
    if (id < 0 || id == INT32_MAX) throwCorruptUserData();
    return id;
  }

  int32_t nextCount() {
    const std::optional<int32_t> count = parseNumber(nextLine());
    if (!count || *count < 0) throwCorruptUserData();
    return *count;
  }

 private:
  // Keeps the unread rest of the current piece and appends the next one; false at the end.
  bool takeNextPiece() {
    buffer_.erase(0, std::min(pos_, buffer_.size()));
    pos_ = 0;
    const bool more = (*more_)(piece_);
    if (more) {
      buffer_ += piece_;
    } else {
      more_ = nullptr;
    }
    text_ = buffer_;
    return more;
  }

  std::string_view text_;
  size_t pos_ = 0;
  const TextPieces* more_ = nullptr;
  std::string buffer_;  // backs text_ while the text arrives in pieces
  std::string piece_;
  size_t sizeHint_;
  size_t consumed_ = 0;
};

Group readGroup(LineScanner& lines) {
  Group group;
  group.name = lines.nextLine();
  group.id = lines.nextId();
  group.entryCount = lines.nextCount();
  group.entries.reserve(std::min(static_cast<size_t>(group.entryCount), lines.itemsLeft(3)));
  // Copies, since a line lasts only until the next is read; reused from entry to entry.
  std::string account;
  std::string password;
  for (int32_t i = 0; i < group.entryCount; ++i) {
    account.assign(lines.nextLine());
    password.assign(lines.nextLine());
    group.entries.emplace_back(account, password, lines.nextLine());
  }
  return group;
}

}  // namespace

std::string writeAccountText(const UserAccount& account) {
  std::string text;
  text.reserve(estimateTextSize(account));
  writeAccountText(account, [&](std::string_view piece) { text.append(piece); });
  return text;
}

void writeAccountText(const UserAccount& account,
                      const std::function<void(std::string_view)>& sink) {
  PieceWriter out(sink);
  out.line(account.name);
  out.line(account.password);
  out.numberLine(account.role);
  out.numberLine(account.mode);
  out.numberLine(static_cast<int64_t>(account.groups.size()));
  out.numberLine(account.lastGroupId);
  for (const Group& group : account.groups) {
    out.line(group.name);
    out.numberLine(group.id);
    out.numberLine(static_cast<int64_t>(group.entries.size()));
    for (const PasswordEntry& entry : group.entries) out.entryLines(entry);
  }
  out.flush();
}

namespace {

void readAccountText(LineScanner& lines, UserAccount& scratch) {
  UserAccount account;
  account.name = lines.nextLine();
  account.password = lines.nextLine();
  account.role = lines.nextNumber();
  account.mode = lines.nextNumber();
  account.groupCount = lines.nextCount();
  account.lastGroupId = lines.nextId();
  account.groups.reserve(std::min(static_cast<size_t>(account.groupCount), lines.itemsLeft(3)));
  for (int32_t i = 0; i < account.groupCount; ++i) account.groups.push_back(readGroup(lines));
  scratch = std::move(account);
}

}  // namespace

void readAccountText(std::string_view text, UserAccount& scratch) {
  LineScanner lines(text);
  readAccountText(lines, scratch);
}

void readAccountText(const TextPieces& nextPiece, size_t sizeHint, UserAccount& scratch) {
  LineScanner lines(nextPiece, sizeHint);
  readAccountText(lines, scratch);
}

}  // namespace vellumkeep
