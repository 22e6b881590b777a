// Config.ini as any bytes: the reader takes every text, and whatever it reads comes back the
// same from the text the program writes for it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "storage/config_file.h"

namespace {

bool holdsQuote(std::string_view text) {
  return text.find('"') != std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vellumkeep;
  std::string dataPath;
  std::vector<std::string> names;
  parseConfig(fuzz::asText(data, size), dataPath, names);

  bool quoted = holdsQuote(dataPath);
  for (const std::string& name : names) {
    if (name.empty()) fuzz::fail("an empty user name was read");
    quoted = quoted || holdsQuote(name);
  }
  // Only an unclosed quote gives a value with a quote in it; the writer cannot keep those.
  if (quoted) return 0;

  std::string dataPathAgain;
  std::vector<std::string> namesAgain;
  parseConfig(formatConfig(dataPath, names), dataPathAgain, namesAgain);
  if (dataPathAgain != dataPath) fuzz::fail("the data folder does not read back");
  if (namesAgain != names) fuzz::fail("the user names do not read back");
  return 0;
}
