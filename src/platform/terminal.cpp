#include "platform/terminal.h"

#include <langinfo.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdlib>
#include <initializer_list>

namespace vellumkeep {

bool isTerminal(int fd) {
  return isatty(fd) == 1;
}

std::string characterLocaleName(const std::function<const char*(const char*)>& lookup) {
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = lookup(variable);
    if (value && *value) return value;
  }
  return "";
}

namespace {

std::string lowerCase(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

bool isUtf8Name(std::string_view codeset) {
  std::string name = lowerCase(codeset);
  return name == "utf-8" || name == "utf8";
}

bool isGbkName(std::string_view codeset) {
  std::string name = lowerCase(codeset);
  return name == "gbk" || name == "gb18030" || name == "cp936";
}

// Loads the environment's locale for the character type; returns its code set, or null when
// it is not installed. The process's locale is left as it was.
const char* environmentCodeset(std::string& codeset) {
  std::string saved = std::setlocale(LC_CTYPE, nullptr);
  const char* result = nullptr;
  if (std::setlocale(LC_CTYPE, "")) {
    codeset = nl_langinfo(CODESET);
    result = codeset.c_str();
  }
  std::setlocale(LC_CTYPE, saved.c_str());
  return result;
}

}  // namespace

bool localeNameUsesUtf8(std::string_view name) {
  size_t dot = name.find('.');
  if (dot == std::string_view::npos) return false;
  std::string_view codeset = name.substr(dot + 1);
  return isUtf8Name(codeset.substr(0, codeset.find('@')));
}

ConsoleEncoding terminalEncoding(const char* loadedCodeset, std::string_view localeName) {
  bool utf8 = loadedCodeset ? isUtf8Name(loadedCodeset) : localeNameUsesUtf8(localeName);
  return utf8 ? ConsoleEncoding::kUtf8 : ConsoleEncoding::kGbk;
}

ConsoleEncoding encodingFor(int fd) {
  return isTerminal(fd) ? localeEncoding() : ConsoleEncoding::kGbk;
}

ConsoleEncoding localeEncoding() {
  std::string codeset;
  const char* loaded = environmentCodeset(codeset);
  auto lookup = [](const char* name) -> const char* { return std::getenv(name); };
  return terminalEncoding(loaded, characterLocaleName(lookup));
}

namespace {

// Loads the first of `names` whose code set `fits`; false (locale unchanged) when none does.
bool loadFirstLocale(std::initializer_list<const char*> names, bool (*fits)(std::string_view)) {
  std::string saved = std::setlocale(LC_CTYPE, nullptr);
  for (const char* name : names) {
    if (std::setlocale(LC_CTYPE, name) && fits(nl_langinfo(CODESET))) return true;
  }
  std::setlocale(LC_CTYPE, saved.c_str());
  return false;
}

}  // namespace

bool useLocaleOf(ConsoleEncoding encoding) {
  // The environment's own locale first; C.UTF-8 is always there.
  if (encoding == ConsoleEncoding::kUtf8) return loadFirstLocale({"", "C.UTF-8"}, isUtf8Name);
  return loadFirstLocale({"", "zh_CN.GBK", "zh_CN.gbk", "zh_CN.GB18030"}, isGbkName);
}

}  // namespace vellumkeep
