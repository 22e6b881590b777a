#include "programs/standard_streams.h"

#include "platform/terminal.h"

namespace vellumkeep {

Console standardConsole(const StandardStreams& streams) {
  return Console(streams.in, streams.out, encodingFor(fileno(streams.outFile)), streams.err,
                 encodingFor(fileno(streams.errFile)), isTerminal(fileno(streams.inFile)));
}

std::unique_ptr<TerminalEditor> openStandardEditor(const StandardStreams& streams) {
  if (!isTerminal(fileno(streams.inFile)) || !isTerminal(fileno(streams.outFile))) return nullptr;
  return TerminalEditor::open(streams.inFile, streams.outFile, streams.errFile,
                              encodingFor(fileno(streams.outFile)));
}

}  // namespace vellumkeep
