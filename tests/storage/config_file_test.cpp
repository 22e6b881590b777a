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

TEST(ConfigTokenTest, WordsBracketsAndQuotes) {
  struct Case {
    std::string line;
    int start;
    std::string token;
    int next;
  };
  const Case cases[] = {
      {"data_path = D:\\data\\", 0, "data_path", 9},
      {"data_path = D:\\data\\", 9, "D", 13},
      {"data_path = D:\\data\\", 13, "data", 19},
      {"data_path = D:\\data\\", 19, "", -1},
      {"abc", 0, "abc", -1},
      {"abc", 7, "", -1},
      {"[PATH]", 5, "]", -1},
      {"x \"a b\"", 1, "a b", -1},
      {"  [ PATH ]", 0, "[", 3},
      {"k = \"C:\\my data\\\" tail", 1, "C:\\my data\\", 17},
      {"k \"open end", 1, "\"open end", -1},
  };
  for (const Case& c : cases) {
    const NextToken found = nextToken(c.line, c.start);
    EXPECT_EQ(c.token, found.token) << c.line << " from " << c.start;
    EXPECT_EQ(c.next, found.next) << c.line << " from " << c.start;
  }
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
  const Parsed empty = parse(formatConfig("", {}));
  EXPECT_EQ(empty.dataPath, "");
  EXPECT_EQ(empty.names, Names{});
}

TEST(ConfigFileTest, AppendsToNamesAlreadyThere) {
  std::string dataPath = "keep/";
  Names names = {"first"};
  parseConfig("[USERMAP]\nsecond\nfirst\n", dataPath, names);
  EXPECT_EQ(dataPath, "keep/");
  EXPECT_EQ(names, (Names{"first", "second", "first"}));
}

TEST(ConfigFileTest, ParsedTexts) {
  struct Case {
    std::string text;
    std::string dataPath;
    Names names;
  };
  const Case cases[] = {
      {"[PATH]\ndata_path = \"C:\\my data\\;x\"\n", "C:\\my data\\;x", {}},
      {"[PATH]\ndata_path = D:\\data\\\n", "D", {}},
      // The key alone leaves the value to nothing: the toggle starts over on the next line.
      {"[PATH]\ndata_path\nother\n", "", {}},
      {"[PATH]\ndata_path = a\ndata_path = b\n", "b", {}},
      {"[PATH]\nDATA_PATH = a\ndata_pathx = b\n", "", {}},
      {"[PATH]\nother = x data_path = y\n", "y", {}},
      {"data_path = nosection\n", "", {}},
      {"[USERMAP]\nalice bob\n", "", {"alice", "bob"}},
      {"[USERMAP]\nbob.smith\n", "", {"bob", "smith"}},
      {"[USERMAP]\n; alice bob\n", "", {"alice", "bob"}},
      {"[USERMAP]\n\"a b.c\"\n", "", {"a b.c"}},
      {"[USERMAP]\nlast", "", {"last"}},
      {"[ USERMAP ]\nalice\n", "", {"alice"}},
      {"[USERMAP]\nalice\n[usermap]\nbob\n", "", {"alice", "bob"}},
      {"[USERMAP]\nalice\n[OTHER]\nbob\n", "", {"alice", "bob"}},
      {"[USERMAP] carol dave\nalice\n", "", {"alice"}},
      {"[PATH]\n[X Y USERMAP]\nalice\n", "", {"alice"}},
      {"[USERMAP]\nalice\n[PATH]\ndata_path = \"p/\"\n", "p/", {"alice"}},
      // An unclosed header takes the following tokens as its name; the last before "]" counts.
      {"[USERMAP]\nalice\n[\nPATH\n]\ncarol\n", "", {"alice"}},
      {"[USERMAP]\nalice\n[\nPATH\nbob ]\ncarol\n", "", {"alice", "carol"}},
      {"[PATH\nUSERMAP]\nalice\n", "", {"alice"}},
      {"[USERMAP\nalice\n", "", {}},
      {"[PATH]\r\ndata_path = \"/srv/vk/\"\r\n\r\n[USERMAP]\r\nroot\r\nalice_01\r\n",
       "/srv/vk/",
       {"root", "alice_01"}},
  };
  for (const Case& c : cases) {
    const Parsed parsed = parse(c.text);
    EXPECT_EQ(c.dataPath, parsed.dataPath) << c.text;
    EXPECT_EQ(c.names, parsed.names) << c.text;
  }
}

}  // namespace
}  // namespace vellumkeep
