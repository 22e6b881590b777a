// What the process learns of its terminals: which streams are terminals, their code page,
// and the locale the line editor needs for it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/console.h"

namespace vellumkeep {

bool isTerminal(int fd);

// UTF-8 for a terminal whose locale uses UTF-8; code page 936 for anything else. When the
// environment's locale is not installed, its name decides ("en_US.UTF-8" means UTF-8).
ConsoleEncoding encodingFor(int fd);

// The code page of the environment's locale, judged as encodingFor judges a terminal's.
ConsoleEncoding localeEncoding();

// The locale name that the environment gives the character type: the first of LC_ALL,
// LC_CTYPE and LANG that is set and not empty; "" when none is. `lookup` is getenv's shape.
std::string characterLocaleName(const std::function<const char*(const char*)>& lookup);

// True when a locale name names UTF-8 as its code set ("zh_CN.UTF-8", "C.utf8@euro").
bool localeNameUsesUtf8(std::string_view name);

// How a terminal's code page is judged: by the loaded locale's code set when the locale
// could be loaded (`loadedCodeset` non-null), else by the locale's name.
ConsoleEncoding terminalEncoding(const char* loadedCodeset, std::string_view localeName);

// Sets the process's character type to a locale of the terminal's code page, so that the
// line editor reads and shows its characters; false (nothing changed) when there is none.
bool useLocaleOf(ConsoleEncoding encoding);

}  // namespace vellumkeep
