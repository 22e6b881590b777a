// The standard streams a program runs on, as main hands them in: the C++ streams the console
// reads and writes, and the C streams on the same descriptors for what works below them (which
// of them is a terminal, its code page, the line editor, the clipboard).
#pragma once

#include <cstdio>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>

#include "platform/console.h"
#include "platform/terminal_editor.h"
#include "programs/program_arguments.h"

namespace vellumkeep {

struct StandardStreams {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  std::FILE* inFile;
  std::FILE* outFile;
  std::FILE* errFile;
};

// The console on `streams`: each output in its own code page, or both in `encoding` when one is
// given; the input's terminal noted.
Console standardConsole(const StandardStreams& streams,
                        std::optional<ConsoleEncoding> encoding = std::nullopt);

// The code page the program writes in instead of each stream's own: the locale's for --help,
// which people read, and UTF-8 after --encoding=utf-8; none otherwise.
std::optional<ConsoleEncoding> chosenEncoding(const ParsedArguments& parsed);

// The line editor where input and output are both terminals, for the output's code page or
// `encoding`; null elsewhere, and where no locale fits that code page.
std::unique_ptr<TerminalEditor> openStandardEditor(
    const StandardStreams& streams, std::optional<ConsoleEncoding> encoding = std::nullopt);

}  // namespace vellumkeep
