#include "display/help_view.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "model/messages.h"

namespace vellumkeep {
namespace {

TEST(HelpView, DisplayWidthCountsTwoColumnsPerWideCharacter) {
  struct Case {
    const char* text;
    size_t width;
  } cases[] = {
      {"", 0}, {"dir", 3}, {"分组", 4}, {"[分组...]", 9}, {"a分b", 4}, {"（）", 4}, {"、", 2},
  };
  for (const Case& c : cases) EXPECT_EQ(c.width, displayWidth(c.text)) << c.text;
}

TEST(HelpView, ListAlignsTheSummariesOnOneColumn) {
  std::ostringstream stream;
  ConsoleWriter out(stream, ConsoleEncoding::kUtf8);
  printCommandList(out, {findCommand("mode"), findCommand("password"), findCommand("dir")});
  // "password 分组 账号" is 18 columns wide; two blanks follow the widest.
  EXPECT_EQ(std::string(msg::kHelpHeading) + "\n" +                                       //
                "  mode" + std::string(16, ' ') + msg::kHelpMode.summary + "\n" +         //
                "  password 分组 账号  " + msg::kHelpPassword.summary + "\n" +            //
                "  dir [分组...]" + std::string(7, ' ') + msg::kHelpDir.summary + "\n" +  //
                msg::kHelpFooter + "\n",
            stream.str());
}

TEST(HelpView, ListFitsAConsoleLine) {
  std::vector<const CommandRow*> rows;
  for (const CommandRow& row : commandRows()) rows.push_back(&row);
  std::ostringstream stream;
  ConsoleWriter out(stream, ConsoleEncoding::kUtf8);
  printCommandList(out, rows);
  std::istringstream lines(stream.str());
  for (std::string line; std::getline(lines, line);) EXPECT_GE(79u, displayWidth(line)) << line;
}

TEST(HelpView, QuestionsOfTheDialogueAreListedWithoutTheirTrailingBlank) {
  std::ostringstream stream;
  ConsoleWriter out(stream, ConsoleEncoding::kUtf8);
  printCommandHelp(out, *findCommand("adddir"));
  EXPECT_EQ(std::string(msg::kHelpUsageLabel) + "adddir " + msg::kHelpAdddir.synopsis + "\n" +
                msg::kHelpAdddir.details + "\n" + msg::kHelpAskedLabel + "\n  " +
                std::string(msg::kAskGroup).substr(0, std::string(msg::kAskGroup).size() - 1) +
                "\n" + msg::kHelpRolesLabel + msg::kRoleSuperAdministrator +
                msg::kHelpRoleSeparator + msg::kRoleUser + "\n" + msg::kHelpExampleLabel +
                "adddir mail\n",
            stream.str());
}

}  // namespace
}  // namespace vellumkeep
