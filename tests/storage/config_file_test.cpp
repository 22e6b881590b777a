#include "storage/config_file.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vellumkeep {
namespace {

using Names = std::vector<std::string>;

struct Parsed {
  std::string dataPath;
  Names names;
};

Parsed parse(std::string_view text) {
  Parsed parsed;
  parseConfig(text, parsed.dataPath, parsed.names);
  return parsed;
}

TEST(ConfigTokenTest, SplitsWordsAtOtherCharacters) {
  const std::string line = "data_path = D:\\data\\";
  EXPECT_EQ(nextToken(line, 0).token, "data_path");
  EXPECT_EQ(nextToken(line, 0).next, 9);
  const NextToken value = nextToken(line, 9);
  EXPECT_EQ(value.token, "D");
  EXPECT_EQ(value.next, 13);
  const NextToken rest = nextToken(line, 13);
  EXPECT_EQ(rest.token, "data");
  EXPECT_EQ(rest.next, 19);
  EXPECT_EQ(nextToken(line, 19).token, "");
  EXPECT_EQ(nextToken(line, 19).next, -1);
}

TEST(ConfigTokenTest, LastTokenOfTheLineGivesMinusOne) {
  EXPECT_EQ(nextToken("abc", 0).next, -1);
  EXPECT_EQ(nextToken("[PATH]", 5).token, "]");
  EXPECT_EQ(nextToken("[PATH]", 5).next, -1);
  EXPECT_EQ(nextToken("x \"a b\"", 1).token, "a b");
  EXPECT_EQ(nextToken("x \"a b\"", 1).next, -1);
  EXPECT_EQ(nextToken("abc", 7).next, -1);
}

TEST(ConfigTokenTest, BracketsAndQuotes) {
  const NextToken open = nextToken("  [ PATH ]", 0);
  EXPECT_EQ(open.token, "[");
  EXPECT_EQ(open.next, 3);
  const NextToken quoted = nextToken("k = \"C:\\my data\\\" tail", 1);
  EXPECT_EQ(quoted.token, "C:\\my data\\");
  EXPECT_EQ(quoted.next, 17);
  const NextToken unclosed = nextToken("k \"open end", 1);
  EXPECT_EQ(unclosed.token, "\"open end");
  EXPECT_EQ(unclosed.next, -1);
}

TEST(ConfigFileTest, OwnOutputReadsBack) {
  const Names names = {"root", "alice_01", "bob.smith", "x~y!z#", "a$b%c^", "m&n*(o)-p=q+r/s@t"};
  const std::string text = formatConfig("/var/lib/vk data/", names);
  EXPECT_EQ(text,
            "[PATH]\ndata_path = \"/var/lib/vk data/\"\n\n[USERMAP]\nroot\nalice_01\n"
            "\"bob.smith\"\n\"x~y!z#\"\n\"a$b%c^\"\n\"m&n*(o)-p=q+r/s@t\"\n");
  const Parsed parsed = parse(text);
  EXPECT_EQ(parsed.dataPath, "/var/lib/vk data/");
  EXPECT_EQ(parsed.names, names);
}

TEST(ConfigFileTest, EmptyConfigurationReadsBackEmpty) {
  const Parsed parsed = parse(formatConfig("", {}));
  EXPECT_EQ(parsed.dataPath, "");
  EXPECT_TRUE(parsed.names.empty());
}

TEST(ConfigFileTest, AppendsToNamesAlreadyThere) {
  std::string dataPath = "keep/";
  Names names = {"first"};
  parseConfig("[USERMAP]\nsecond\nfirst\n", dataPath, names);
  EXPECT_EQ(dataPath, "keep/");
  EXPECT_EQ(names, (Names{"first", "second", "first"}));
}

TEST(ConfigFileTest, DataPathValues) {
  EXPECT_EQ(parse("[PATH]\ndata_path = \"C:\\my data\\;x\"\n").dataPath, "C:\\my data\\;x");
  EXPECT_EQ(parse("[PATH]\ndata_path = D:\\data\\\n").dataPath, "D");
  // The key alone leaves the value to nothing: the toggle starts over on the next line.
  EXPECT_EQ(parse("[PATH]\ndata_path\nother\n").dataPath, "");
  EXPECT_EQ(parse("[PATH]\ndata_path = a\ndata_path = b\n").dataPath, "b");
  EXPECT_EQ(parse("[PATH]\nDATA_PATH = a\ndata_pathx = b\n").dataPath, "");
  EXPECT_EQ(parse("[PATH]\nother = x data_path = y\n").dataPath, "y");
  EXPECT_EQ(parse("data_path = nosection\n").dataPath, "");
}

TEST(ConfigFileTest, UserMapTokens) {
  EXPECT_EQ(parse("[USERMAP]\nalice bob\n").names, (Names{"alice", "bob"}));
  EXPECT_EQ(parse("[USERMAP]\nbob.smith\n").names, (Names{"bob", "smith"}));
  EXPECT_EQ(parse("[USERMAP]\n; alice bob\n").names, (Names{"alice", "bob"}));
  EXPECT_EQ(parse("[USERMAP]\n\"a b.c\"\n").names, (Names{"a b.c"}));
  EXPECT_EQ(parse("[USERMAP]\nlast").names, (Names{"last"}));
}

TEST(ConfigFileTest, Headers) {
  EXPECT_EQ(parse("[ USERMAP ]\nalice\n").names, (Names{"alice"}));
  EXPECT_EQ(parse("[USERMAP]\nalice\n[usermap]\nbob\n").names, (Names{"alice", "bob"}));
  EXPECT_EQ(parse("[USERMAP]\nalice\n[OTHER]\nbob\n").names, (Names{"alice", "bob"}));
  EXPECT_EQ(parse("[USERMAP] carol dave\nalice\n").names, (Names{"alice"}));
  EXPECT_EQ(parse("[PATH]\n[X Y USERMAP]\nalice\n").names, (Names{"alice"}));
  // Switching back from USERMAP to PATH.
  const Parsed parsed = parse("[USERMAP]\nalice\n[PATH]\ndata_path = \"p/\"\n");
  EXPECT_EQ(parsed.names, (Names{"alice"}));
  EXPECT_EQ(parsed.dataPath, "p/");
}

TEST(ConfigFileTest, UnclosedHeaderTakesFollowingTokensAsSectionName) {
  EXPECT_EQ(parse("[USERMAP]\nalice\n[\nPATH\n]\ncarol\n").names, (Names{"alice"}));
  // The last name before "]" counts: "bob" is no section, so USERMAP stays in force.
  EXPECT_EQ(parse("[USERMAP]\nalice\n[\nPATH\nbob ]\ncarol\n").names, (Names{"alice", "carol"}));
  EXPECT_EQ(parse("[PATH\nUSERMAP]\nalice\n").names, (Names{"alice"}));
  EXPECT_EQ(parse("[USERMAP\nalice\n").names, Names{});
}

TEST(ConfigFileTest, CrLfLineEnds) {
  const Parsed parsed =
      parse("[PATH]\r\ndata_path = \"/srv/vk/\"\r\n\r\n[USERMAP]\r\nroot\r\nalice_01\r\n");
  EXPECT_EQ(parsed.dataPath, "/srv/vk/");
  EXPECT_EQ(parsed.names, (Names{"root", "alice_01"}));
}

}  // namespace
}  // namespace vellumkeep
