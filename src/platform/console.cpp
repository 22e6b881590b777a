#include "platform/console.h"

#include <iconv.h>
#include <unistd.h>

#include <istream>
#include <ostream>

#include "platform/terminal_mode.h"

namespace vellumkeep {

GbkConverter::GbkConverter() : descriptor_(iconv_open("GBK", "UTF-8")) {}

GbkConverter::~GbkConverter() {
  if (descriptor_ != reinterpret_cast<void*>(-1)) iconv_close(static_cast<iconv_t>(descriptor_));
}

std::string GbkConverter::convert(std::string_view utf8) {
  auto cd = static_cast<iconv_t>(descriptor_);
  if (descriptor_ == reinterpret_cast<void*>(-1)) return std::string(utf8);
  std::string result(utf8.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* out = result.data();
  size_t outLeft = result.size();
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1)) {
    return std::string(utf8);
  }
  result.resize(result.size() - outLeft);
  return result;
}

namespace {

bool isAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

ConsoleWriter::ConsoleWriter(std::ostream& stream, ConsoleEncoding encoding) : stream_(stream) {
  if (encoding == ConsoleEncoding::kGbk) converter_ = std::make_unique<GbkConverter>();
}

ConsoleWriter::~ConsoleWriter() {
  if (partialLine_.empty()) return;
  stream_ << partialLine_;
  stream_.flush();
}

ConsoleWriter& ConsoleWriter::text(std::string_view utf8) {
  if (!converter_ || isAscii(utf8)) return data(utf8);
  return data(converter_->convert(utf8));
}

ConsoleWriter& ConsoleWriter::data(std::string_view bytes) {
  if (!holding_) {
    write(bytes);
    return *this;
  }
  partialLine_.append(bytes);
  size_t lineEnd = partialLine_.rfind('\n');
  if (lineEnd != std::string::npos) {
    write(std::string_view(partialLine_).substr(0, lineEnd + 1));
    partialLine_.erase(0, lineEnd + 1);
  }
  return *this;
}

ConsoleWriter& ConsoleWriter::endLine() {
  data("\n");
  stream_.flush();
  return *this;
}

std::string ConsoleWriter::takePartialLine() {
  std::string line;
  line.swap(partialLine_);
  return line;
}

void ConsoleWriter::write(std::string_view bytes) {
  stream_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void ConsoleWriter::flush() {
  stream_.flush();
}

Console::Console(std::istream& in, std::ostream& out, ConsoleEncoding outEncoding,
                 std::ostream& err, ConsoleEncoding errEncoding, bool inputIsTerminal)
    : out(out, outEncoding), err(err, errEncoding), in_(in), inputIsTerminal_(inputIsTerminal) {}

Console::~Console() = default;

void Console::attachEditor(LineEditor& editor) {
  editor_ = &editor;
  out.holdPartialLine();
}

void Console::remember(std::string_view line) {
  if (editor_) editor_->remember(line);
}

void Console::pauseIdleLimit(bool paused) {
  if (editor_) editor_->pauseIdleLimit(paused);
}

SecretString Console::readLine() {
  // Echo held off since a hidden answer comes back once this question shows: after the
  // editor's read, which has echo off itself, and before a plain read, whose answer is echoed.
  std::unique_ptr<TerminalModeChange> echoOff = std::move(echoOff_);
  if (editor_) {
    out.flush();
    return editor_->readLine(out.takePartialLine());
  }
  echoOff.reset();
  return readStreamLine();
}

SecretString Console::readSecretLine() {
  if (inputIsTerminal_ && !echoOff_) {
    echoOff_ = std::make_unique<TerminalModeChange>(STDIN_FILENO, TerminalModeKind::kNoEcho);
  }
  if (editor_) {
    out.flush();
    return editor_->readSecretLine(out.takePartialLine());
  }
  if (!inputIsTerminal_) return readLine();
  try {
    SecretString line = readStreamLine();
    out.endLine();
    return line;
  } catch (const InputExhausted&) {
    out.endLine();
    throw;
  }
}

SecretString Console::readStreamLine() {
  SecretString line;
  std::string read;
  read.reserve(256);  // a line is not left behind in pieces by growing
  const bool ok = static_cast<bool>(std::getline(in_, read));
  line = SecretString(std::move(read));
  if (!ok) throw InputExhausted{};
  return line;
}

void Console::clearInputState() {
  in_.clear();
}

}  // namespace vellumkeep
