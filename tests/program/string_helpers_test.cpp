#include "program/data/string_helpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

using adv::kNotFound;
using std::string_literals::operator""s;

TEST(StringHelpers, TokensStopAtDelimitersButNeverInsideDoubleByteCharacters) {
  struct Case {
    std::string source;
    std::string delimiters;
    int limit;
    std::string token;
    int result;
  };
  const Case cases[] = {
      {"abc,def", ",\n", 100, "abc", 4},
      {"\x82\xA0,x", ",", 100, "\x82\xA0", 3},
      {"", ",", 100, "", 1},
      {"\x82,bc", ",", 100, "\x82,bc", 5},  // the comma is a second byte here
      {"abcdef", ",", 2, "abc", 4},         // ends once more than the limit was copied
      {"ab\x82", ",", 100, "ab\x82", 4},    // a first byte that ends the text stands alone
      {"ab\0cd"s, ",", 100, "ab", 3},       // the text ends at its zero
  };
  for (const Case& c : cases) {
    std::string token = "old";
    EXPECT_EQ(adv::StrGetToken(token, c.source, c.delimiters, c.limit), c.result) << c.source;
    EXPECT_EQ(token, c.token) << c.source;
  }
}

TEST(StringHelpers, FieldsCountSeparatorsOutsideDoubleByteCharacters) {
  struct Case {
    std::string source;
    int index;
    std::string field;  // "untouched" when the result is 0
    int result;
  };
  const Case cases[] = {
      {"a,b", 0, "a", 2},         {"a,b", 1, "b", 2},
      {"a,b", 2, "untouched", 0}, {"a,", 1, "", 1},
      {",,", 2, "", 1},           {"\x81,x,y", 1, "y", 2},
      {"ab\x81", 0, "ab\x81", 4}, {"ab\x81", 1, "untouched", 0},
      {"a,b", -1, "a", 2},
  };
  for (const Case& c : cases) {
    std::string field = "untouched";
    EXPECT_EQ(adv::StrGetField(field, c.source, c.index, ','), c.result)
        << c.source << " #" << c.index;
    EXPECT_EQ(field, c.field) << c.source << " #" << c.index;
  }
}

TEST(StringHelpers, TrimRemovesEveryByteOfTheSetWhereverItStands) {
  std::string text = " a b\r\n";
  EXPECT_EQ(adv::StrTrim(text, "\r\n \t"), 2);
  EXPECT_EQ(text, "ab");
  std::string copy;
  EXPECT_EQ(adv::StrCopyWithoutSet(copy, "a b c", " ", 4), 4);
  EXPECT_EQ(copy, "ab");
  EXPECT_EQ(adv::StrCopyWithoutChar(copy, "a-b-c-d", 4, '-'), 3);
  EXPECT_EQ(copy, "abc");
  EXPECT_EQ(adv::StrCountInSet("a b c", " ", 3), 1);
}

TEST(StringHelpers, HexadecimalRunsReadBackToTheFirstX) {
  struct Case {
    const char* text;
    uint32_t value;
    int count;
  };
  const Case cases[] = {
      {"FF", 255, 2},
      {"zz", 0, 0},
      {"1f", 31, 2},
      {"0x1f", 31, 4},
      {"x1f", 31, 3},
      {"12x34", 52, 5},
      {"", 0, 0},
      {"ffffffff", 0xFFFFFFFFu, 8},
      {"123456789", 0x23456789u, 9},  // only the last eight digits fit
      {"A0g", 0xA0, 2},
  };
  for (const Case& c : cases) {
    int count = -1;
    EXPECT_EQ(adv::ParseHex(c.text, &count), c.value) << c.text;
    EXPECT_EQ(count, c.count) << c.text;
  }
  EXPECT_EQ(adv::ParseHex("7f"), 127u);
}

TEST(StringHelpers, DecimalNumbersTakeOneSignAndWrapAt32Bits) {
  struct Case {
    const char* text;
    int32_t value;
    int count;
  };
  const Case cases[] = {
      {"-12ab", -12, 2},
      {"+", 0, 0},
      {"", 0, 0},
      {"x1", 0, 0},
      {"+7", 7, 1},
      {"--1", 0, 0},
      {"2147483647", INT_MAX, 10},
      {"2147483648", INT_MIN, 10},
  };
  for (const Case& c : cases) {
    int count = -1;
    EXPECT_EQ(adv::ParseDecimal(c.text, count), c.value) << c.text;
    EXPECT_EQ(count, c.count) << c.text;
  }
}

TEST(StringHelpers, LineLengthsIncludeTheLineEnd) {
  EXPECT_EQ(adv::LineLength("ab\r\ncd"), 4);
  EXPECT_EQ(adv::LineLength("ab\rcd"), 3);
  EXPECT_EQ(adv::LineLength("ab\ncd"), 3);
  EXPECT_EQ(adv::LineLength("ab"), 2);
  EXPECT_EQ(adv::LineLength(""), 0);
}

TEST(StringHelpers, UpperCasingPassesOverSecondBytesAndLowerCasingDoesNot) {
  std::string upper = "ab\x82\x61z\0q"s;
  adv::StrUpper(upper);
  EXPECT_EQ(upper, "AB\x82\x61Z\0q"s);  // stops at the zero
  std::string lead_at_end = "a\x82";
  adv::StrUpper(lead_at_end);
  EXPECT_EQ(lead_at_end, "A\x82");
  std::string lower = "AB\x82\x41";
  adv::StrLower(lower);
  EXPECT_EQ(lower, "ab\x82\x61");
  std::string path = "a/b/c";
  adv::StrReplaceChar(path, '/', '\\');
  EXPECT_EQ(path, "a\\b\\c");
}

TEST(StringHelpers, SearchesKeepToTheirRanges) {
  EXPECT_EQ(adv::StrFindChar("abc", 'c'), 2u);
  EXPECT_EQ(adv::StrFindChar("abc", 'z'), kNotFound);
  EXPECT_EQ(adv::StrFindCharReverse("a/b/c", '/', 100), 3u);
  EXPECT_EQ(adv::StrFindCharReverse("/abc", '/', 3), kNotFound);  // position 0 is not examined
  EXPECT_EQ(adv::StrFindExtension("file.tar.gz"), 8u);
  EXPECT_EQ(adv::StrFindExtension(".abc"), kNotFound);
  EXPECT_EQ(adv::StrFindExtension("ab."), kNotFound);
  EXPECT_EQ(adv::StrFindLastSubstring("abcabc", 6, "bc"), 4u);
  EXPECT_EQ(adv::StrFindLastSubstring("abcabc", 5, "bc"), 1u);
  EXPECT_EQ(adv::StrFindFirstOfSet("abc,d", ",", 100), 4);
  EXPECT_EQ(adv::StrFindFirstOfSet("abc", ",", 100), 3);
  EXPECT_EQ(adv::StrFindFirstOfSet("abcdef", ",", 2), 3);
  EXPECT_EQ(adv::StrFindMatchingClose("(a(b)c)d", '(', ')'), 7);
  EXPECT_EQ(adv::StrFindMatchingClose(")(", '(', ')'), -1);
  EXPECT_EQ(adv::StrFindMatchingClose("(a", '(', ')'), -1);
}

TEST(StringHelpers, CopiesBetweenMarks) {
  std::string out;
  EXPECT_EQ(adv::StrCopyUntilPair(out, "ab\r\ncd", 0x0A0D, 100), 4);
  EXPECT_EQ(out, "ab");
  EXPECT_EQ(adv::StrCopyUntilPair(out, "abc", 0x0A0D, 100), 3);
  EXPECT_EQ(adv::StrCopyUntilPair(out, "abcd", 0x0A0D, 1), 2);
  EXPECT_EQ(out, "ab");
  EXPECT_EQ(adv::StrGetBetween(out, 100, "x[abc]y]z", 9, '[', ']'), 7);
  EXPECT_EQ(out, "abc]y");
  EXPECT_EQ(adv::StrGetBetween(out, 5, "x[abc]y]z", 9, '[', ']'), 0);  // does not fit
  EXPECT_EQ(adv::StrGetBetween(out, 100, "x]a[", 4, '[', ']'), 0);     // wrong order
  EXPECT_EQ(adv::StrGetQuoted(out, "say \"hi\" ok"), 2);
  EXPECT_EQ(out, "hi");
  EXPECT_EQ(adv::StrGetQuoted(out, "say \"hi"), 0);
  std::string text = "a-b-c";
  EXPECT_EQ(adv::StrReplaceAll(text, "-", "--"), 7u);
  EXPECT_EQ(text, "a--b--c");
  EXPECT_EQ(adv::StrReplaceAll(text, "", "x"), 7u);
}

TEST(StringHelpers, QuotedAndBracketedFields) {
  const std::string text = "a,\"b,c\",(d,e),f";
  EXPECT_EQ(adv::StrCountFields(text, text.size(), ',', "(", ")"), 3);
  EXPECT_EQ(adv::StrCountFields("a,(b", 4, ',', "(", ")"), -1);
  EXPECT_EQ(adv::StrCountFields("a,b", 3, ',', "([", ")"), -1);
  std::string field;
  EXPECT_EQ(adv::StrGetFieldEx(field, text, 1, 100, ',', "(", ")"), 6);
  EXPECT_EQ(field, "\"b,c\"");
  EXPECT_EQ(adv::StrGetFieldEx(field, text, 2, 100, ',', "(", ")"), 6);
  EXPECT_EQ(field, "(d,e)");
  EXPECT_EQ(adv::StrGetFieldEx(field, text, 2, 3, ',', "(", ")"), 3);
  EXPECT_EQ(field, "(d");
  // Looking for a field passes over quoted runs only, so the comma inside brackets counts there.
  EXPECT_EQ(adv::StrGetFieldEx(field, text, 4, 100, ',', "(", ")"), 2);
  EXPECT_EQ(field, "f");
  EXPECT_EQ(adv::StrGetFieldEx(field, text, 5, 100, ',', "(", ")"), 0);
}

TEST(StringHelpers, FullWidthAndBinaryNumbers) {
  EXPECT_EQ(adv::IntToFullWidth("%d", -12), "\x81\x7C\x82\x50\x82\x51");
  EXPECT_EQ(adv::IntToFullWidth("%3d", 5), "    \x82\x54");
  EXPECT_EQ(adv::IntToFullWidth("%s", 1), "\x82\x50");  // not an integer format: taken as %d
  EXPECT_EQ(adv::IntToFullWidth("%d%d", 1), "\x82\x50");
  const std::string min = adv::IntToFullWidth("%d", INT_MIN);
  EXPECT_EQ(min.substr(0, 6), "\x81\x7C\x82\x51\x82\x50");  // -21...
  EXPECT_EQ(min.size(), 2u + 10u * 2u);
  EXPECT_EQ(adv::IntToBinaryText(5), std::string(29, '0') + "101");
  EXPECT_EQ(adv::IntToBinaryText(0x80000000u), "1" + std::string(31, '0'));
}

}  // namespace
