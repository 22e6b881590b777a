#include "storage/account_text.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <utility>

#include "model/messages.h"

namespace vellumkeep {

namespace {

// Room for "-2147483648" and a line feed.
constexpr size_t kNumberLineSize = 12;

size_t estimateTextSize(const UserAccount& account) {
  size_t size = account.name.size() + account.password.size() + 4 * kNumberLineSize + 2;
  for (const Group& group : account.groups) {
    size += group.name.size() + 2 * kNumberLineSize + 1;
    for (const PasswordEntry& entry : group.entries) {
      size += entry.account.size() + entry.password.size() + entry.info.size() + 3;
    }
  }
  return size;
}

void appendLine(std::string& text, std::string_view line) {
  text.append(line);
  text.push_back('\n');
}

void appendNumberLine(std::string& text, int64_t value) {
  char digits[24];
  const std::to_chars_result result = std::to_chars(digits, digits + sizeof digits, value);
  text.append(digits, result.ptr);
  text.push_back('\n');
}

void appendInfoLine(std::string& text, std::string_view info) {
  const size_t start = text.size();
  text.append(info);
  std::replace(text.begin() + static_cast<std::ptrdiff_t>(start), text.end(), '\n', ' ');
  text.push_back('\n');
}

[[noreturn]] void throwCorrupt() {
  throw std::domain_error(msg::kCorruptUserData);
}

bool isStreamSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The number at the start of `line` as a formatted stream read takes it: leading whitespace
// skipped, an optional sign, decimal digits, the rest ignored. Absent when there is no number
// or it does not fit.
std::optional<int32_t> parseNumber(std::string_view line) {
  size_t p = 0;
  while (p < line.size() && isStreamSpace(line[p])) ++p;
  if (p < line.size() && line[p] == '+') {
    ++p;
    if (p < line.size() && line[p] == '-') return std::nullopt;
  }
  int32_t value = 0;
  const char* end = line.data() + line.size();
  if (std::from_chars(line.data() + p, end, value).ec != std::errc()) return std::nullopt;
  return value;
}

// Hands out the lines of a text one by one; running out of lines is the corruption error.
class LineScanner {
 public:
  explicit LineScanner(std::string_view text) : text_(text) {}

  std::string_view nextLine() {
    if (pos_ >= text_.size()) throwCorrupt();
    size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    std::string_view line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  }

  int32_t nextNumber() { return parseNumber(nextLine()).value_or(0); }

  int32_t nextCount() {
    const std::optional<int32_t> count = parseNumber(nextLine());
    if (!count || *count < 0) throwCorrupt();
    return *count;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

PasswordEntry readEntry(LineScanner& lines) {
  PasswordEntry entry;
  entry.account = lines.nextLine();
  entry.password = lines.nextLine();
  entry.info = lines.nextLine();
  return entry;
}

Group readGroup(LineScanner& lines) {
  Group group;
  group.name = lines.nextLine();
  group.id = lines.nextNumber();
  group.entryCount = lines.nextCount();
  for (int32_t i = 0; i < group.entryCount; ++i) group.entries.push_back(readEntry(lines));
  return group;
}

}  // namespace

std::string writeAccountText(const UserAccount& account) {
  std::string text;
  text.reserve(estimateTextSize(account));
  appendLine(text, account.name);
  appendLine(text, account.password);
  appendNumberLine(text, account.role);
  appendNumberLine(text, account.mode);
  appendNumberLine(text, static_cast<int64_t>(account.groups.size()));
  appendNumberLine(text, account.lastGroupId);
  for (const Group& group : account.groups) {
    appendLine(text, group.name);
    appendNumberLine(text, group.id);
    appendNumberLine(text, static_cast<int64_t>(group.entries.size()));
    for (const PasswordEntry& entry : group.entries) {
      appendLine(text, entry.account);
      appendLine(text, entry.password);
      appendInfoLine(text, entry.info);
    }
  }
  return text;
}

void readAccountText(std::string_view text, UserAccount& scratch) {
  LineScanner lines(text);
  UserAccount account;
  account.name = lines.nextLine();
  account.password = lines.nextLine();
  account.role = lines.nextNumber();
  account.mode = lines.nextNumber();
  account.groupCount = lines.nextCount();
  account.lastGroupId = lines.nextNumber();
  for (int32_t i = 0; i < account.groupCount; ++i) account.groups.push_back(readGroup(lines));
  scratch = std::move(account);
}

}  // namespace vellumkeep
