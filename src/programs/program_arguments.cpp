#include "programs/program_arguments.h"

#include <algorithm>
#include <cctype>

#include "model/messages.h"
#include "model/user_account.h"
#include "platform/working_folder.h"

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

// True for the option `name` alone, whose value is the next argument, or with "=VALUE".
bool takesValue(std::string_view arg, std::string_view name) {
  return arg.substr(0, name.size()) == name &&
         (arg.size() == name.size() || arg[name.size()] == '=');
}

// Reads the value of the option `name` at args[i], given as the next argument or after "=".
// Returns false with `parsed` set to the refusal when it is missing.
bool readValue(const std::vector<std::string>& args, size_t& i, std::string_view name,
               std::string& value, ParsedArguments& parsed) {
  const std::string& arg = args[i];
  if (arg.size() == name.size()) {
    if (i + 1 == args.size()) {
      parsed = refusal(msg::kArgumentValueMissing, arg);
      return false;
    }
    value = args[++i];
  } else {
    value = arg.substr(name.size() + 1);
  }
  return true;
}

// Reads the value of --mode. Returns false with `parsed` set to the refusal when it is missing
// or unknown.
bool readMode(const std::vector<std::string>& args, size_t& i, ParsedArguments& parsed) {
  std::string value;
  if (!readValue(args, i, "--mode", value, parsed)) return false;
  if (!findNewAccountMode(value)) {
    parsed = refusal(msg::kArgumentBadMode, value);
    return false;
  }
  parsed.init.mode = value;
  return true;
}

bool isDirectoryOption(std::string_view arg) {
  return arg == "-C" || takesValue(arg, "--directory");
}

// Reads -C DIR, --directory DIR or --directory=DIR; false with the refusal when DIR is missing.
bool readDirectory(const std::vector<std::string>& args, size_t& i, ParsedArguments& parsed) {
  std::string folder;
  if (!readValue(args, i, args[i] == "-C" ? "-C" : "--directory", folder, parsed)) return false;
  parsed.directories.push_back(std::move(folder));
  return true;
}

// Reads --encoding: utf-8 (or utf8) in either case; false with the refusal for anything else.
bool readEncoding(const std::vector<std::string>& args, size_t& i, ParsedArguments& parsed) {
  std::string value;
  if (!readValue(args, i, "--encoding", value, parsed)) return false;
  std::string lower = value;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (lower != "utf-8" && lower != "utf8") {
    parsed = refusal(msg::kArgumentBadEncoding, value);
    return false;
  }
  parsed.encoding = ConsoleEncoding::kUtf8;
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
  ParsedArguments parsed;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (isUsageOption(arg)) return request(StartRequest::kUsage);
    if (isVersionOption(arg)) return request(StartRequest::kVersion);
    if (isDirectoryOption(arg)) {
      if (!readDirectory(args, i, parsed)) return parsed;
    } else if (takesValue(arg, "--encoding")) {
      if (!readEncoding(args, i, parsed)) return parsed;
    } else {
      return refusal(isOption(arg) ? msg::kArgumentUnknown : msg::kArgumentExtra, arg);
    }
  }
  return parsed;
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
    } else if (takesValue(arg, "--mode")) {
      if (!readMode(args, i, parsed)) return parsed;
    } else if (isDirectoryOption(arg)) {
      if (!readDirectory(args, i, parsed)) return parsed;
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

bool enterDirectories(Console& console, const ParsedArguments& parsed) {
  for (const std::string& folder : parsed.directories) {
    if (!enterFolder(folder)) {
      console.err.text(msg::kFolderUnreachable).data(folder).endLine();
      return false;
    }
  }
  return true;
}

std::string versionLine(std::string_view program) {
  return std::string(program) + " " + VELLUMKEEP_VERSION;
}

}  // namespace vellumkeep
