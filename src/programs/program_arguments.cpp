#include "programs/program_arguments.h"

#include "model/messages.h"
#include "model/user_account.h"

namespace vellumkeep {

namespace {

bool isUsageOption(std::string_view arg) {
  return arg == "-h" || arg == "--help";
}
bool isVersionOption(std::string_view arg) {
  return arg == "-V" || arg == "--version";
}

ParsedArguments request(StartRequest kind) {
  ParsedArguments parsed;
  parsed.request = kind;
  return parsed;
}

ParsedArguments refusal(const char* problem, std::string offending) {
  ParsedArguments parsed = request(StartRequest::kRefused);
  parsed.problem = problem;
  parsed.offending = std::move(offending);
  return parsed;
}

bool isOption(std::string_view arg) {
  return arg.size() > 1 && arg[0] == '-';
}

// Reads the value of --mode, given as the next argument or after "=". Returns false with
// `parsed` set to the refusal when it is missing or unknown.
bool readMode(const std::vector<std::string>& args, size_t& i, ParsedArguments& parsed) {
  const std::string& arg = args[i];
  std::string value;
  if (arg == "--mode") {
    if (i + 1 == args.size()) {
      parsed = refusal(msg::kArgumentValueMissing, arg);
      return false;
    }
    value = args[++i];
  } else {
    value = arg.substr(std::string_view("--mode=").size());
  }
  if (!findNewAccountMode(value)) {
    parsed = refusal(msg::kArgumentBadMode, value);
    return false;
  }
  parsed.init.mode = value;
  return true;
}

// The data folder; an empty one would be the file system's root.
bool readFolder(const std::string& arg, ParsedArguments& parsed) {
  if (arg.empty()) {
    parsed = refusal(msg::kArgumentEmptyFolder, arg);
    return false;
  }
  if (!parsed.init.folder.empty()) {
    parsed = refusal(msg::kArgumentExtra, arg);
    return false;
  }
  parsed.init.folder = arg;
  return true;
}

}  // namespace

std::vector<std::string> argumentsAfterName(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

ParsedArguments parseProgramArguments(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (isUsageOption(arg)) return request(StartRequest::kUsage);
    if (isVersionOption(arg)) return request(StartRequest::kVersion);
    return refusal(isOption(arg) ? msg::kArgumentUnknown : msg::kArgumentExtra, arg);
  }
  return request(StartRequest::kRun);
}

ParsedArguments parseInitArguments(const std::vector<std::string>& args) {
  ParsedArguments parsed;
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || !isOption(arg)) {
      if (!readFolder(arg, parsed)) return parsed;
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (isUsageOption(arg)) {
      return request(StartRequest::kUsage);
    } else if (isVersionOption(arg)) {
      return request(StartRequest::kVersion);
    } else if (arg == "--recover") {
      parsed.init.recover = true;
    } else if (arg == "--mode" || arg.rfind("--mode=", 0) == 0) {
      if (!readMode(args, i, parsed)) return parsed;
    } else {
      return refusal(msg::kArgumentUnknown, arg);
    }
  }
  if (parsed.init.recover && !parsed.init.mode.empty()) {
    return refusal(msg::kArgumentConflict, "--recover --mode");
  }
  return parsed;
}

int answerStartRequest(Console& console, const ParsedArguments& parsed, const ProgramTexts& texts) {
  switch (parsed.request) {
    case StartRequest::kUsage:
      console.out.text(texts.usage).endLine().text(texts.help).endLine();
      return kExitSuccess;
    case StartRequest::kVersion:
      console.out.data(versionLine(texts.name)).endLine();
      return kExitSuccess;
    case StartRequest::kRefused:
      console.err.text(parsed.problem).data(parsed.offending).endLine();
      console.err.text(texts.usage).endLine();
      return kExitUsage;
    case StartRequest::kRun:
      break;  // nothing to answer: the program starts
  }
  return kExitSuccess;
}

std::string versionLine(std::string_view program) {
  return std::string(program) + " " + VELLUMKEEP_VERSION;
}

}  // namespace vellumkeep
