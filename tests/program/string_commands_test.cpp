// The string commands of group 0x12 through the command call, one script per row.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>

#include "program/commands/extra_commands.h"
#include "program/commands/number_format.h"
#include "tests/program/script_machine.h"

namespace {

using test::ScriptMachine;

std::string Text(ScriptMachine& machine, int slot) {
  return machine.context().values.string_variables[slot].data();
}

struct StringCase {
  const char* script;  // runs with s0 and v1 as its subjects
  const char* s0;      // the text s0 holds afterwards
  int32_t v1;          // the result variable afterwards (starts at 77)
};

void PrintTo(const StringCase& row, std::ostream* os) {
  *os << row.script;
}

// The same texts in the script's encoding (CP932).
constexpr const char* kAiue = "\x82\xa0\x82\xa2\x82\xa4\x82\xa6";
constexpr const char* kAiueo10 =
    "\x82\xa0\x82\xa2\x82\xa4\x82\xa6\x82\xa8\x82\xa9\x82\xab\x82\xad\x82\xaf\x82\xb1";

const StringCase kCases[] = {
    // copies: exactly len bytes, no terminator added, -1 the source's length
    {"cmd strcpy(s0, \"abcdef\", -1)\ncmd strcpy(s0, \"XY\", -1)", "XYcdef", 77},
    {"cmd strcpy(s0, \"abcdef\", -1)\ncmd strcpy(s0, \"XY\", 5)", "XY", 77},
    {"cmd strcpy(s0, \"abc\", -7)", "", 77},  // a negative length copies nothing
    {"cmd strcpy(s0, \"ab\", -1)\ncmd strcat(s0, \"cd\")\ncmd strcatf(s0, s0)", "abcdABCD", 77},
    {"cmd strcpyf(s0, f\"bg.png\", -1)", "BG.PNG", 77},
    {"cmd strcpy(s0, \"abcdef\", -1)\ncmd substr(s0, s0, 2, 3)", "cde", 77},
    {"cmd strcpy(s0, \"abcdef\", -1)\ncmd substr(s0, s0, 2, -1)", "cdef", 77},
    {"cmd strcpy(s0, \"abcdef\", -1)\ncmd substr(s0, s0, 9, 2)", "", 77},
    {"cmd strcpy(s0, \"abcdef\", -1)\ncmd substr(s0, s0, -1, 2)", "", 77},
    {"cmd cat_str_char(s0, 0x141) -> v1", "A", 0},
    {"cmd cat_str_char(5, 65) -> v1", "", -1},
    // in-place replacement: the rest does not move
    {"cmd strcpy(s0, \"abCDef\", -1)\ncmd strreplace(s0, f\"CD\", f\"X\")", "abXDef", 77},
    {"cmd strcpy(s0, \"abcdEF\", -1)\ncmd strreplace(s0, f\"EF\", f\"XYZ\")", "abcdXYZ", 77},
    {"cmd strcpy(s0, \"abc\", -1)\ncmd strreplace(s0, f\"Q\", f\"X\")", "abc", 77},
    {"cmd strcpy(s0, \"a<b>c<d>e\", -1)\ncmd strslim(s0) -> v1", "ace", 1},
    {"cmd strcpy(s0, \"a<b\", -1)\ncmd strslim(s0) -> v1", "a<b", 1},
    // strcut counts characters, cuts assuming two bytes each, never inside a character
    {"cmd strcpy(s0, \"あいうえおかきくけこ\", -1)\ncmd strcut(s0, 4) -> v1", kAiue, 10},
    {"cmd strcpy(s0, \"あいうえおかきくけこ\", -1)\ncmd strcut(s0, 10) -> v1", kAiueo10, 10},
    {"cmd strcpy(s0, \"ab\\r\\ncd\", -1)\ncmd strcut(s0, 9) -> v1", "ab\r\ncd", 5},
    {"cmd strcpy(s0, \"aあいう\", -1)\ncmd strcut(s0, 1) -> v1", "a", 4},
    {"cmd strcpy(s0, \"abcdefgh\", -1)\ncmd strcut(s0, 2) -> v1", "abcde", 8},
    // queries
    {"cmd strlen(\"abc\") -> v1", "", 3},
    {"cmd strlenf(f\"a.png\") -> v1", "", 5},
    {"cmd strfindf(f\"XABCX\", f\"abc\") -> v1", "", 1},
    {"cmd strfindf(f\"XABX\", f\"abc\") -> v1", "", 0},
    {"cmd strgetcf(f\"A123\", 1, 3) -> v1", "", 123},
    {"cmd strgetcf(f\"A123\", 0, 0) -> v1", "", 65},
    {"cmd strgetcf(f\"A123\", 0, 2) -> v1", "", 0},
    {"cmd strgetcf(f\"A123\", 2, 9) -> v1", "", 0},
    {"cmd strgetcf(f\"A123\", -5, 0) -> v1", "", 0},
    {"cmd strcpy(s0, \"abc\", -1)\ncmd get_char(s0, 1, 0) -> v1", "abc", 'b'},
    {"cmd strcpy(s0, \"abc\", -1)\ncmd get_char(s0, 3, 0) -> v1", "abc", 0},
    {"cmd strcpy(s0, \"abc\", -1)\ncmd get_char(s0, 4, 0) -> v1", "abc", 77},
    {"cmd strcpy(s0, \"\\x82\\xa0\", -1)\ncmd get_char(s0, 0, 0) -> v1", "\x82\xa0", -126},
    {"cmd strcpy(s0, \"\\x82\\xa0\", -1)\ncmd get_char(s0, 0, 1) -> v1", "\x82\xa0", 0x82A0},
    {"cmd get_str_char(\"abc\", 2) -> v1", "", 'c'},
    {"cmd get_str_char(\"abc\", 5) -> v1", "", 0},
    {"cmd get_str_char(\"abc\", 2048) -> v1", "", -1},
    {"cmd strcpy(s0, \"abcabc\", -1)\ncmd str_indexof(s0, \"c\", 3, -1) -> v1", "abcabc", 5},
    {"cmd strcpy(s0, \"abcabc\", -1)\ncmd str_indexof(s0, NONE, 3, 0) -> v1", "abcabc", 3},
    {"cmd str_indexof(\"abc\", \"q\", 0, -1) -> v1", "", -1},
    {"cmd str_indexof(\"abc\", \"a\", -1, -1) -> v1", "", -1},
    {"cmd str_indexof(\"abc\", \"a\", 1, 5) -> v1", "", -1},
    {"cmd str_indexof(0x10000020, \"a\", 0, -1) -> v1", "", -1},
    {"cmd download_text(\"x\", s0) -> v1", "", -1},
    {"cmd set_script_flag(5)\ncmd get_script_flag() -> v1", "", 1},
    // wsprint: eight words leave the stack whatever the format uses
    {"cmd wsprint(s0, \"%03d%%%n%'\", 7, 0, 0, 0, 0, 0, 0, 0)", "007%\r\n\"", 77},
    {"cmd strcpy(s1, \"a.png\", -1)\nmov v2, 0x10000001\n"
     "cmd wsprint(s0, \"[%s|%f]\", v2, v2, 0, 0, 0, 0, 0, 0)",
     "[a.png|A.PNG]", 77},
    {"cmd wsprint(s0, \"%d%d%d%d%d%d%d%d%d\", 1, 2, 3, 4, 5, 6, 7, 8)", "123456780", 77},
    {"cmd wsprint(s0, \"あ%5dい\", 42, 0, 0, 0, 0, 0, 0, 0)", "\x82\xa0   42\x82\xa2", 77},
    {"cmd wsprint(s0, \"%*d%n\", 3, 4, 0, 0, 0, 0, 0, 0)", "%*d\r\n", 77},
    {"cmd wsprint(v3, \"x\", 0, 0, 0, 0, 0, 0, 0, 0)", "", 77},
};

class StringCommandTest : public ::testing::TestWithParam<StringCase> {};

TEST_P(StringCommandTest, LeavesTheTextAndResult) {
  ScriptMachine machine(std::string("mov v1, 77\n") + GetParam().script + "\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  EXPECT_EQ(Text(machine, 0), GetParam().s0);
  EXPECT_EQ(machine.V(1), GetParam().v1);
  EXPECT_EQ(machine.context().values.value_count, 0);
}

INSTANTIATE_TEST_SUITE_P(StringCommands, StringCommandTest, ::testing::ValuesIn(kCases));

TEST(StringCommands, StringHandsOutSlotsRoundRobinAndEmptiesThem) {
  ScriptMachine machine(
      "mov v2, 0\n"
      "again:\n"
      "cmd string(0) -> v1\n"
      "add v2, 1\n"
      "mov v3, v2\nlt v3, 17\njz done, v3\njmp again\ndone:\n"
      "cmd get_active_string_add_no() -> v4\n"
      "cmd string_shift(-2) -> v5\n"
      "cmd string_shift(0) -> v6\n");
  ASSERT_TRUE(machine.loaded());
  std::strcpy(machine.context().values.string_variables[0].data(), "old");
  machine.Run();
  EXPECT_EQ(machine.V(1), 0x10000000);  // the 17th call hands out slot 0 again
  EXPECT_EQ(Text(machine, 0), "");
  EXPECT_EQ(machine.V(4), 1);
  EXPECT_EQ(machine.V(5), 0x1000000F);  // 1 - 2 wraps to 15, and the cursor stays there
  EXPECT_EQ(machine.V(6), 0);
  EXPECT_EQ(machine.context().values.string_cursor, 15);
}

// No write runs past a variable's 2,047 bytes or leaves it without its zero, and references to
// slots above 15 are refused.
TEST(StringCommands, WritesStayInsideTheVariable) {
  ScriptMachine machine(
      "cmd wsprint(s0, \"%04000d\", 1, 0, 0, 0, 0, 0, 0, 0)\n"
      "cmd wsprint(s1, \"%0999999999d\", 1, 0, 0, 0, 0, 0, 0, 0)\n"
      "cmd strcpy(s2, s0, 5000)\n"
      "cmd strcat(s2, \"tail\")\n"
      "cmd cat_str_char(s2, 65) -> v1\n"
      "cmd strcpy(s3, \"x\", -1)\n"
      "cmd strreplace(s3, f\"X\", s0)\n"
      "cmd substr(s4, s0, 0, 9999)\n"
      "cmd strcpy(0x10000010, \"abc\", -1)\n"
      "cmd strcat(0x10000011, \"abc\")\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  for (int slot = 0; slot < 5; ++slot) {
    const auto& bytes = machine.context().values.string_variables[slot];
    EXPECT_EQ(bytes.back(), 0) << slot;
  }
  EXPECT_EQ(Text(machine, 0).size(), 2046u);
  EXPECT_EQ(Text(machine, 1).size(), 2046u);
  EXPECT_EQ(Text(machine, 2).size(), 2046u);
  EXPECT_EQ(machine.V(1), -1);  // full: nothing appended
  EXPECT_EQ(machine.CountLogged("Out of Range"), 2);
}

TEST(StringCommands, RefusesDestinationsThatAreNoStringVariable) {
  ScriptMachine machine(
      "mov v1, 77\n"
      "cmd strcpy(3, \"abc\", -1)\n"
      "cmd strslim(3) -> v1\n"
      "cmd get_dialog_file_name(0x10000010)\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  EXPECT_TRUE(machine.Logged("strcpy : string型以外の型を指定しました。", 0));
  EXPECT_TRUE(machine.Logged("strslim : string型以外の型を指定しました。", 0));
  EXPECT_TRUE(machine.Logged("文字列の番号が異常です 268435472", 0));
  EXPECT_EQ(machine.V(1), 77);
}

TEST(StringCommands, DialogFileNameCopiesTheChosenPath) {
  adv::FileDialogPath() = "C:\\saves\\a.txt";
  ScriptMachine machine("cmd get_dialog_file_name(s3)\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  EXPECT_EQ(Text(machine, 3), "C:\\saves\\a.txt");
  adv::FileDialogPath().clear();
}

// The numeric conversions, against what the system formatter of the original platform gives.
TEST(NumberFormat, MatchesTheFormatterItStandsIn) {
  struct Case {
    const char* directive;
    int32_t value;
    const char* text;
  };
  const Case cases[] = {
      {"%d", -2147483647 - 1, "-2147483648"},
      {"%5d", -42, "  -42"},
      {"%-5d", 42, "42   "},
      {"%05d", -42, "-0042"},
      {"%.4d", 7, "0007"},
      {"%6.3d", -7, "  -007"},
      {"%ld", 123, "123"},
      {"%hd", 65535, "-1"},
      {"%x", 255, "ff"},
      {"%X", -1, "FFFFFFFF"},
      {"%#x", 255, "0xff"},
      {"%#X", 0, "0"},
      {"%08lX", 0xBEEF, "0000BEEF"},
      {"%u", -1, "4294967295"},
      {"%c", 0x141, "A"},
      {"%3c", 'z', "  z"},
      {"%D", 12, "12"},
      {"%*d", 1, "%*d"},  // not a directive this formatter reads: as it stands
      {"%ld items%d", 1, "%ld items%d"},
  };
  for (const Case& c : cases) {
    std::string out;
    adv::AppendNumberDirective(out, c.directive, c.value, 4095);
    EXPECT_EQ(out, c.text) << c.directive;
  }
  std::string out = "ab";
  EXPECT_TRUE(adv::AppendNumberDirective(out, "%10d", 5, 6));  // the width shrinks to the room
  EXPECT_EQ(out, "ab   5");
  EXPECT_FALSE(adv::AppendNumberDirective(out, "%d", 123, 8));
  EXPECT_EQ(out, "ab   512");
}

}  // namespace
