// The standard streams a program runs on, as main hands them in: the C++ streams the console
// reads and writes, and the C streams on the same descriptors for what works below them (which
// of them is a terminal, its code page, the line editor, the clipboard).
#pragma once

#include <cstdio>
#include <istream>
#include <memory>
#include <ostream>

#include "platform/console.h"
#include "platform/terminal_editor.h"

namespace vellumkeep {

struct StandardStreams {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  std::FILE* inFile;
  std::FILE* outFile;
  std::FILE* errFile;
};

// The console on `streams`: each output in its own code page, the input's terminal noted.
Console standardConsole(const StandardStreams& streams);

// The line editor where input and output are both terminals; null elsewhere, and where no
// locale fits the terminal's code page.
std::unique_ptr<TerminalEditor> openStandardEditor(const StandardStreams& streams);

}  // namespace vellumkeep
