#include "programs/standard_streams.h"

#include "platform/terminal.h"

namespace vellumkeep {

Console standardConsole(const StandardStreams& streams, std::optional<ConsoleEncoding> encoding) {
  return Console(streams.in, streams.out, encoding.value_or(encodingFor(fileno(streams.outFile))),
                 streams.err, encoding.value_or(encodingFor(fileno(streams.errFile))),
                 isTerminal(fileno(streams.inFile)));
}

std::optional<ConsoleEncoding> chosenEncoding(const ParsedArguments& parsed) {
  if (parsed.request == StartRequest::kUsage) return localeEncoding();
  return parsed.encoding;
}

std::unique_ptr<TerminalEditor> openStandardEditor(const StandardStreams& streams,
                                                   std::optional<ConsoleEncoding> encoding) {
  if (!isTerminal(fileno(streams.inFile)) || !isTerminal(fileno(streams.outFile))) return nullptr;
  return TerminalEditor::open(streams.inFile, streams.outFile, streams.errFile,
                              encoding.value_or(encodingFor(fileno(streams.outFile))));
}

}  // namespace vellumkeep
