// The ".ani" assembler: the bytes it writes, the trailer the engine reads, the inputs it refuses
// and the listing that assembles back to the same file.
#include "tools/ani_assembler/ani_assembler.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "program/data/ani_file.h"

namespace {

// The example of tools/README.md: the code block after "Example (the tests assemble it):".
std::string GuideExample() {
  std::ifstream in(ANI_GUIDE);
  const std::string guide((std::istreambuf_iterator<char>(in)), {});
  const size_t mark = guide.find("Example (the tests assemble it):");
  const size_t open = guide.find("```\n", mark);
  const size_t close = guide.find("```", open + 4);
  if (mark == std::string::npos || open == std::string::npos || close == std::string::npos) {
    return {};
  }
  return guide.substr(open + 4, close - open - 4);
}

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
  return std::vector<uint8_t>(values.begin(), values.end());
}

TEST(AniAssembler, WritesCodeLabelsAndTheTrailer) {
  const aniasm::AssembleResult result = aniasm::Assemble(
      "start:\n"
      "  wait 0x10\n"
      "two@2:\n"
      "  child 1, start\n"
      "  jump two\n"
      "  .byte 9\n"
      ".start two\n");
  ASSERT_TRUE(result.ok) << result.ErrorText();
  const std::vector<uint8_t> expected = Bytes({
      1,  0x10, 0, 0, 0,              // wait 16
      11, 1,    0, 0, 0, 0, 0, 0, 0,  // child 1 at label 0
      10, 2,    0, 0, 0,              // jump label 2
      9,                              // a byte that ends the script
      5,  0,    0, 0,                 // label 2 at offset 5
      0,  0,    0, 0,                 // label 1: unused
      0,  0,    0, 0,                 // label 0 at offset 0
      0,  0,    0, 0,                 // the unused word
      5,  0,    0, 0,                 // start: label two
  });
  EXPECT_EQ(result.file, expected);
  EXPECT_EQ(adv::AniStartOffset(result.file), 5u);
  EXPECT_EQ(adv::AniLabelOffset(result.file, 2), 5u);
  EXPECT_EQ(adv::AniLabelOffset(result.file, 0), 0u);
}

TEST(AniAssembler, TheExampleListsBackToTheSameFile) {
  const std::string example = GuideExample();
  ASSERT_FALSE(example.empty()) << ANI_GUIDE;
  const aniasm::AssembleResult result = aniasm::Assemble(example);
  ASSERT_TRUE(result.ok) << result.ErrorText();
  std::string error;
  const std::string listing = aniasm::Disassemble(result.file, &error);
  ASSERT_FALSE(listing.empty()) << error;
  const aniasm::AssembleResult again = aniasm::Assemble(listing);
  ASSERT_TRUE(again.ok) << again.ErrorText() << listing;
  EXPECT_EQ(again.file, result.file) << listing;
  EXPECT_NE(listing.find("jump label1"), std::string::npos) << listing;
}

TEST(AniAssembler, RefusesWhatTheFormatCannotHold) {
  struct Case {
    const char* source;
    const char* error;
  };
  const Case cases[] = {
      {"jump nowhere", "t.txt:1: label 'nowhere' is not defined"},
      {"a:\na:\n", "t.txt:2: label 'a' defined twice"},
      {"\nmove 1, 2", "t.txt:2: 'move' takes 4 operand(s), not 2"},
      {"keep 1", "t.txt:1: 'keep' takes 0 operand(s), not 1"},
      {"a:\nchild 8, a", "t.txt:2: child number 8 is not 0-7"},
      {"wait 4294967296", "t.txt:1: '4294967296' is no 32-bit value"},
      {"wait -2147483649", "t.txt:1: '-2147483649' is no 32-bit value"},
      {"fly 1", "t.txt:1: unknown instruction 'fly'"},
      {".start main", "t.txt:1: start label 'main' is not defined"},
      {".byte 256", "t.txt:1: '.byte' takes a value of 0-255"},
      {"a@1:\nb@1:\n", "label number 1 given twice"},
  };
  for (const Case& c : cases) {
    const aniasm::AssembleResult result = aniasm::Assemble(c.source, "t.txt");
    EXPECT_FALSE(result.ok) << c.source;
    EXPECT_NE(result.ErrorText().find(c.error), std::string::npos) << c.source << "\n"
                                                                   << result.ErrorText();
  }
  EXPECT_TRUE(aniasm::Assemble("wait 4294967295\nwait -2147483648\n").ok);
}

TEST(AniFile, TrailerReadsStayInsideTheFile) {
  EXPECT_FALSE(adv::AniStartOffset(Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11})));
  const std::vector<uint8_t> smallest(12, 0);
  EXPECT_EQ(adv::AniStartOffset(smallest), 0u);
  EXPECT_EQ(adv::AniLabelOffset(smallest, 0), 0u);
  EXPECT_FALSE(adv::AniLabelOffset(smallest, 1));
  EXPECT_FALSE(adv::AniLabelOffset(smallest, 0xFFFFFFFF));
  std::string error;
  EXPECT_TRUE(aniasm::Disassemble(Bytes({1, 2, 3}), &error).empty());
  EXPECT_FALSE(error.empty());
}

}  // namespace
