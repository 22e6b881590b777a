// Config.ini as text: the data folder (key data_path in section PATH) and the names of all
// program users (section USERMAP, one token per name). Reading and writing the file itself is
// left to the caller.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace vellumkeep {

// One token of a configuration line and the position to go on from; next is -1 when the
// line holds no more tokens after this one.
struct NextToken {
  std::string token;
  long next;
};

// The first token at or after position p of `line`: a run of word characters, a single "[" or
// "]", or the text between two double quotes (an unclosed quote takes the rest of the line,
// quote included). Every other character only separates tokens. Empty token, next -1, when
// there is none.
NextToken nextToken(std::string_view line, size_t p);

// Reads the configuration text line by line (lines end at line feeds): sets `dataPath` to the
// last data_path value of section PATH, if any, and appends every token of section USERMAP to
// `names` without emptying it first.
void parseConfig(std::string_view text, std::string& dataPath, std::vector<std::string>& names);

// The configuration text for `dataPath` and `names`, in the layout parseConfig reads back.
// Names holding characters outside the word set are quoted so that each reads back whole;
// names never contain double quotes.
std::string formatConfig(std::string_view dataPath, const std::vector<std::string>& names);

// Reads the file at `configPath` with parseConfig; a missing file fills nothing.
void readConfig(FileSystem& fs, const std::string& configPath, std::string& dataPath,
                std::vector<std::string>& names);

// Replaces the file at `configPath` with formatConfig's text, atomically. Throws
// std::runtime_error("文件写入失败!") when it cannot be written.
void writeConfig(FileSystem& fs, const std::string& configPath, std::string_view dataPath,
                 const std::vector<std::string>& names);

}  // namespace vellumkeep
