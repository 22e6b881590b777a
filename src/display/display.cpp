#include "display/display.h"

#include <sstream>
#include <stdexcept>
#include <vector>

#include "commands/command_table.h"
#include "display/help_view.h"
#include "model/messages.h"

namespace vellumkeep {

namespace {

constexpr size_t kUserColumnWidth = 25;
constexpr size_t kUsersPerRow = 3;

// The rows of a listing, in push order, after its LayoutCode.
struct Listing {
  long layout = -1;
  std::vector<std::string> rows;
  size_t next = 0;

  bool done() const { return next >= rows.size(); }
  const std::string& take() { return rows[next++]; }
};

// Reads a decimal number as stream extraction does; -1 when there is none.
long parseNumber(const std::string& text) {
  std::istringstream stream(text);
  long value = -1;
  stream >> value;
  return stream.fail() ? -1 : value;
}

Listing takeListing(ProgramState& state) {
  Listing listing;
  ArgumentStack& stack = state.argumentStack;
  if (!stack.empty()) {
    listing.layout = parseNumber(stack.front().text);
    for (size_t i = 1; i < stack.size(); ++i) listing.rows.push_back(std::move(stack[i].text));
  }
  stack.clear();
  return listing;
}

void printItem(ConsoleWriter& out, const std::string& text) {
  out.data("\t").data(text).endLine();
}

void printModes(ProgramState& state) {
  Listing listing = takeListing(state);
  while (!listing.done()) printItem(state.console.out, listing.take());
}

// Heading, count, and that many items; repeated while rows remain.
void printBlocks(ConsoleWriter& out, Listing& listing) {
  while (!listing.done()) {
    out.data(listing.take()).data(" :").endLine();
    long count = listing.done() ? 0 : parseNumber(listing.take());
    for (long i = 0; i < count; ++i) {
      if (listing.done()) throw std::runtime_error(msg::kDirectoryError);
      printItem(out, listing.take());
    }
  }
}

void printGroups(ProgramState& state) {
  Listing listing = takeListing(state);
  ConsoleWriter& out = state.console.out;
  if (listing.layout == kGroupsLayout) {
    out.data(state.operatorName).data(" :").endLine();
    while (!listing.done()) printItem(out, listing.take());
  } else if (listing.layout == kNamedGroupsLayout) {
    printBlocks(out, listing);
  } else {
    throw std::runtime_error(msg::kStackError);
  }
}

void printSearchHits(ProgramState& state) {
  Listing listing = takeListing(state);
  if (listing.layout != kSearchLayout) throw std::runtime_error(msg::kStackError);
  printBlocks(state.console.out, listing);
}

void printEntry(ProgramState& state) {
  Listing listing = takeListing(state);
  if (listing.layout != kEntryLayout || listing.rows.size() < 3) return;
  ConsoleWriter& out = state.console.out;
  out.text(msg::kEntryAccount).data("\t").data(listing.rows[0]).endLine();
  out.text(msg::kEntryPassword).data("\t").data(listing.rows[1]).endLine();
  for (const InfoField& field : splitInfo(listing.rows[2])) {
    out.data(field.type).data(":\t").data(field.content).endLine();
  }
}

void printUsers(ProgramState& state) {
  Listing listing = takeListing(state);
  if (listing.layout != kUsersLayout) return;
  ConsoleWriter& out = state.console.out;
  out.endLine();
  out.text(msg::kUserListHeading).endLine().endLine();
  out.data(std::string(kScreenWidth, '-')).flush();
  for (size_t i = 0; i < listing.rows.size(); ++i) {
    if (i % kUsersPerRow == 0) out.endLine();
    const std::string& name = listing.rows[i];
    out.data(name);
    if (name.size() < kUserColumnWidth) out.data(std::string(kUserColumnWidth - name.size(), ' '));
  }
  out.endLine();
  out.text(msg::kSuccess).endLine();
}

// The rows are command words: the commands the Operator may use, or the one asked about.
void printHelp(ProgramState& state) {
  Listing listing = takeListing(state);
  std::vector<const CommandRow*> rows;
  for (const std::string& word : listing.rows) {
    if (const CommandRow* row = findCommand(word)) rows.push_back(row);
  }
  if (listing.layout == kHelpLayout) {
    printCommandList(state.console.out, rows);
  } else if (listing.layout == kCommandHelpLayout && rows.size() == 1) {
    printCommandHelp(state.console.out, *rows[0]);
  }
}

// Shown once: it is stored nowhere.
void printGeneratedPassword(ProgramState& state) {
  Listing listing = takeListing(state);
  if (listing.layout != kGeneratedPasswordLayout) return;
  while (!listing.done()) state.console.out.data(listing.take()).endLine();
}

// The row is the number of seconds the copy stays on the clipboard.
void printCopied(ProgramState& state) {
  Listing listing = takeListing(state);
  if (listing.layout != kCopiedPasswordLayout || listing.done()) return;
  state.console.out.text(msg::kPasswordCopied).data(listing.take()).text(msg::kPasswordCopiedFor);
  state.console.out.endLine();
}

// The rows are pairs of a group and an account: each hit on a line, in the words that password
// and the other commands take.
void printFoundEntries(ProgramState& state) {
  Listing listing = takeListing(state);
  if (listing.layout != kFoundEntriesLayout) throw std::runtime_error(msg::kStackError);
  if (listing.rows.size() % 2 != 0) throw std::runtime_error(msg::kDirectoryError);
  ConsoleWriter& out = state.console.out;
  while (!listing.done()) {
    out.data(listing.take()).data(" ");
    out.data(listing.take()).endLine();
  }
}

// The rows are the code and the seconds it stays valid.
void printOneTimeCode(ProgramState& state) {
  Listing listing = takeListing(state);
  if (listing.layout != kOneTimeCodeLayout || listing.rows.size() != 2) return;
  ConsoleWriter& out = state.console.out;
  out.text(msg::kOneTimeCodeLabel).data("\t").data(listing.rows[0]).endLine();
  out.data(listing.rows[1]).text(msg::kOneTimeCodeExpires).endLine();
}

void showView(ProgramState& state, ResultView view) {
  switch (view) {
    case ResultView::kModes:
      printModes(state);
      break;
    case ResultView::kGroups:
      printGroups(state);
      break;
    case ResultView::kSearchHits:
      printSearchHits(state);
      break;
    case ResultView::kEntry:
      printEntry(state);
      break;
    case ResultView::kUsers:
      printUsers(state);
      break;
    case ResultView::kSuccess:
      state.console.out.text(msg::kSuccess).endLine();
      break;
    case ResultView::kHelp:
      printHelp(state);
      break;
    case ResultView::kPassword:
      printGeneratedPassword(state);
      break;
    case ResultView::kCopied:
      printCopied(state);
      break;
    case ResultView::kFoundEntries:
      printFoundEntries(state);
      break;
    case ResultView::kOneTimeCode:
      printOneTimeCode(state);
      break;
    case ResultView::kNothing:
      break;
  }
}

// One line of the login banner: `text` between two bars, `indent` columns from the first.
void printBannerLine(ConsoleWriter& out, size_t indent, const char* text) {
  const size_t padding = kScreenWidth - 2 - indent - displayWidth(text);
  out.data("|" + std::string(indent, ' ')).text(text).data(std::string(padding, ' ') + "|");
  out.endLine();
}

}  // namespace

void printLoginBanner(ConsoleWriter& out) {
  const std::string rule(kScreenWidth, '-');
  out.data(rule).endLine();
  printBannerLine(out, 27, msg::kWelcome);
  printBannerLine(out, 29, msg::kWebAddress);
  out.data(rule).endLine();
}

void clearScreenAndScrollback(ConsoleWriter& out) {
  // Home, erase the screen, erase the scrollback.
  out.data("\x1b[H\x1b[2J\x1b[3J").flush();
}

void printDamagedAccount(ConsoleWriter& err, std::string_view name) {
  std::string shown(name);
  for (char& byte : shown) {
    if (byte < ' ' || byte > '~') byte = '?';
  }
  err.text(msg::kCorruptUserData).endLine();
  err.data("  ").data(shown).endLine();
}

void showPrompt(ProgramState& state) {
  state.console.out.data("System\\").data(state.operatorName).data(">").flush();
  state.console.clearInputState();
  state.commandStream.clear();
  state.argumentStack.clear();
  state.opcodeStack.clear();
}

void showResult(ProgramState& state) {
  ConsoleWriter& out = state.console.out;
  if (const CommandRow* row = commandRow(state.currentCommandCode)) showView(state, row->view);
  out.endLine();
}

}  // namespace vellumkeep
