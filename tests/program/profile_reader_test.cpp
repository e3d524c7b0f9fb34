#include "program/data/profile_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/program/temp_folder.h"

namespace {

using std::string_literals::operator""s;

// The value of `key` in `section` of a profile text, as ProfileGetString gives it, with "DEF" as
// the default.
std::string Get(const std::string& text, const std::string& section, const std::string& key) {
  test::TempFolder folder;
  folder.Write("p.ini", text);
  std::string out;
  adv::ProfileGetString(section, key, "DEF", out, "p.ini", test::FolderReader(folder.path()));
  return out;
}

TEST(ProfileReader, KeysMatchWholeWithoutRegardToCaseAndTheFirstMatchWins) {
  struct Case {
    std::string text;
    const char* section;
    const char* key;
    const char* value;
  };
  const Case cases[] = {
      {"[S]\r\nBGMVolume=3\r\nVolume=5\r\n", "S", "Volume", "5"},  // not a part of a key
      {"[S]\r\nBGMVolume=3\r\n", "S", "Volume", "DEF"},
      {"[S]\r\nvolume=4\r\nVolume=5\r\n", "S", "VOLUME", "4"},
      {"[S]\r\n  Volume  = 5\r\n", "S", "Volume", "5"},
      {"[s]\r\nVolume=5\r\n", "S", "Volume", "5"},  // as the writer matches sections
      {"[S]\r\nA=1\r\n[T]\r\nVolume=5\r\n", "S", "Volume", "DEF"},  // "[" ends the section
      {"[S]\r\n; Volume=1\r\n\r\nVolume=2\r\n", "S", "Volume", "2"},
      {"[S]\r\nVolume=\r\nOther=1\r\n", "S", "Volume", "DEF"},
      {"[S]\r\nVolume=  \t \r\nOther=1\r\n", "S", "Volume", "DEF"},
      {"[S]\r\nName=  a b \t\r\n", "S", "Name", "a b"},
      {"[S]\r\nName=\"a b\"\r\n", "S", "Name", "a b"},
      {"[S]\r\nAlpha\r\nBeta=2\r\n", "S", "Alpha", "DEF"},  // a line without "=" has no key
      {"[S]\r\nAlpha\r\nBeta=2\r\n", "S", "Beta", "2"},
      {"[S]\nk=v", "S", "k", "v"},                       // last line without a line end
      {"[S]", "S", "k", "DEF"},                          // header is the last line
      {"x [S]\rk=1\r", "S", "k", "1"},                   // a header inside a line, lone CRs
      {";[S]\nk=1\n[S]\nk=2\n", "S", "k", "2"},          // headers in comments do not count
      {"[S]\r\n\x81=Name=5\r\n", "S", "\x81=Name", "5"},      // "=" as a second byte is no "="
      {"[S]\r\nk=1\0\r\n[T]\r\nk=2"s, "T", "k", "DEF"},  // the text ends at a zero byte
      {"[S]\r\nOther=1\r\n", "S", "Volume", "DEF"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Get(c.text, c.section, c.key), c.value) << c.text;
  }
}

TEST(ProfileReader, ReadStringKeepsTheRawValueAndTellsAMissingSectionFromAMissingKey) {
  std::string out = "keep";
  EXPECT_EQ(adv::ProfileReadText("S", "k", out, "[S]\r\nk= v w \r\nz=1"), 1);
  EXPECT_EQ(out, "v w \r\n");
  out = "keep";
  EXPECT_EQ(adv::ProfileReadText("S", "k", out, "[S]\r\nz=1\r\n"), 1);
  EXPECT_EQ(out, "keep");
  EXPECT_EQ(adv::ProfileReadText("T", "k", out, "[S]\r\nk=1\r\n"), 0);
  EXPECT_EQ(adv::ProfileReadText("S", "k", out, "[S]\r\n[T]\r\nk=1\r\n"), 0);
  EXPECT_EQ(adv::ProfileFindSection("S", ""), 0u);
  EXPECT_EQ(adv::ProfileFindSection("S", "[S]\r\nk=1"), 5u);
  EXPECT_GE(adv::ProfileFindSection("S", "[T]\r\n"), 5u);

  test::TempFolder folder;
  EXPECT_EQ(adv::ProfileReadString("S", "k", out, "none.ini", test::FolderReader(folder.path())),
            0);
  EXPECT_EQ(adv::ProfileGetString("S", "k", "\"x y\" \r\n", out, "none.ini",
                                  test::FolderReader(folder.path())),
            3u);
  EXPECT_EQ(out, "x y");
}

TEST(ProfileReader, ProfilePathsPreferTheSaveFolderThenTheBaseFolder) {
  test::TempFolder save, base;
  EXPECT_EQ(adv::ResolveProfilePath(save.path(), base.path(), "a.ini"), "a.ini");
  base.Write("a.ini", "");
  EXPECT_EQ(adv::ResolveProfilePath(save.path(), base.path(), "a.ini"), base / "a.ini");
  save.Write("a.ini", "");
  EXPECT_EQ(adv::ResolveProfilePath(save.path(), base.path(), "a.ini"), save / "a.ini");
  base.Write("sub/b.ini", "");
  EXPECT_EQ(adv::ResolveProfilePath(save.path(), base.path(), "sub\\b.ini"), base / "sub\\b.ini");
}

}  // namespace
