#include "storage/config_file.h"

#include <utility>

#include "model/charsets.h"
#include "storage/file_io.h"

namespace vellumkeep {

namespace {

// DO NOT CHANGE: these sets decide how existing Config.ini files split into tokens.
constexpr std::string_view kWordSet =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_1234567890";
constexpr std::string_view kTokenStartSet =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_1234567890[]\"";

constexpr std::string_view kPathSection = "PATH";
constexpr std::string_view kUserMapSection = "USERMAP";
constexpr std::string_view kDataPathKey = "data_path";

// The position after `end`, or -1 when `end` is the last character of the line.
long positionAfter(std::string_view line, size_t end) {
  return end + 1 < line.size() ? static_cast<long>(end + 1) : -1;
}

NextToken quotedToken(std::string_view line, size_t start) {
  const size_t close = line.find('"', start + 1);
  if (close == std::string_view::npos) return {std::string(line.substr(start)), -1};
  return {std::string(line.substr(start + 1, close - start - 1)), positionAfter(line, close)};
}

NextToken wordToken(std::string_view line, size_t start) {
  const size_t end = line.find_first_not_of(kWordSet, start);
  if (end == std::string_view::npos) return {std::string(line.substr(start)), -1};
  return {std::string(line.substr(start, end - start)), static_cast<long>(end)};
}

enum class Section { kNone, kPath, kUserMap };
enum class HeaderState { kContent, kHeader, kHeaderClosed };

// The reading state that lives across the lines of one configuration text.
class ConfigReader {
 public:
  ConfigReader(std::string& dataPath, std::vector<std::string>& names)
      : dataPath_(dataPath), names_(names) {}

  void readLine(std::string_view line) {
    expectKey_ = true;
    if (header_ == HeaderState::kHeaderClosed) header_ = HeaderState::kContent;
    long p = 0;
    while (p != -1) {
      NextToken next = nextToken(line, static_cast<size_t>(p));
      if (!next.token.empty()) handleToken(std::move(next.token));
      p = next.next;
    }
  }

 private:
  void handleToken(std::string token) {
    if (header_ == HeaderState::kContent) {
      handleContent(std::move(token));
    } else if (header_ == HeaderState::kHeader) {
      handleHeader(std::move(token));
    }
  }

  void handleContent(std::string token) {
    if (token == "[") {
      header_ = HeaderState::kHeader;
    } else if (section_ == Section::kPath) {
      handleKeyOrValue(std::move(token));
    } else if (section_ == Section::kUserMap) {
      names_.push_back(std::move(token));
    }
  }

  void handleKeyOrValue(std::string token) {
    if (expectKey_) {
      key_ = std::move(token);
    } else if (key_ == kDataPathKey) {
      dataPath_ = std::move(token);
    }
    expectKey_ = !expectKey_;
  }

  void handleHeader(std::string token) {
    if (token != "]") {
      sectionName_ = std::move(token);
      return;
    }
    if (sectionName_ == kPathSection) section_ = Section::kPath;
    if (sectionName_ == kUserMapSection) section_ = Section::kUserMap;
    header_ = HeaderState::kHeaderClosed;
  }

  std::string& dataPath_;
  std::vector<std::string>& names_;
  Section section_ = Section::kNone;
  HeaderState header_ = HeaderState::kHeaderClosed;
  std::string sectionName_;
  std::string key_;
  bool expectKey_ = true;
};

}  // namespace

NextToken nextToken(std::string_view line, size_t p) {
  const size_t start = p < line.size() ? line.find_first_of(kTokenStartSet, p) : line.npos;
  if (start == std::string_view::npos) return {std::string(), -1};
  const char first = line[start];
  if (first == '"') return quotedToken(line, start);
  if (first == '[' || first == ']') return {std::string(1, first), positionAfter(line, start)};
  return wordToken(line, start);
}

void parseConfig(std::string_view text, std::string& dataPath, std::vector<std::string>& names) {
  ConfigReader reader(dataPath, names);
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    reader.readLine(text.substr(pos, end - pos));
    pos = end + 1;
  }
}

std::string formatConfig(std::string_view dataPath, const std::vector<std::string>& names) {
  std::string text = "[PATH]\ndata_path = \"";
  text.append(dataPath);
  text.append("\"\n\n[USERMAP]\n");
  for (const std::string& name : names) {
    const bool quoted = !consistsOf(name, kWordSet);
    if (quoted) text.push_back('"');
    text.append(name);
    if (quoted) text.push_back('"');
    text.push_back('\n');
  }
  return text;
}

void readConfig(FileSystem& fs, const std::string& configPath, std::string& dataPath,
                std::vector<std::string>& names) {
  std::string text;
  if (readFile(fs, configPath, text)) parseConfig(text, dataPath, names);
}

void writeConfig(FileSystem& fs, const std::string& configPath, std::string_view dataPath,
                 const std::vector<std::string>& names) {
  writeFileAtomically(fs, configPath, formatConfig(dataPath, names));
}

}  // namespace vellumkeep
