// Text drawing with a small hand-made font set: effects pixel by pixel, escapes, tags, line
// breaks, icons, measuring, and sets that are damaged or used at another size.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "YEL/graphics/font_state.h"
#include "tests/yel/font_test_support.h"

namespace {

using fonttest::TestGlyph;
using Pixels = std::vector<uint32_t>;

constexpr uint32_t kWhite = 0xFFFFFFFF, kBlue = 0xFF0000FF;
constexpr int32_t kSide = 12;

// Height 4, ascent 3. "A" is one full pixel on the baseline's top row; "B" a 2 x 2 block at half
// coverage; "%" and "<" faint single pixels, told apart by their advance.
std::string SmallSet() {
  const std::vector<uint8_t> one = {64, 0, 0, 0};
  const std::vector<uint8_t> faint = {16, 0, 0, 0};
  return fonttest::FontSetBytes(4, 3,
                                {{'A', TestGlyph{1, 1, 0, 3, 2, one}},
                                 {'B', TestGlyph{2, 2, 0, 3, 3, {32, 32, 0, 0, 32, 32, 0, 0}}},
                                 {'%', TestGlyph{1, 1, 0, 3, 5, faint}},
                                 {'<', TestGlyph{1, 1, 0, 3, 6, faint}}});
}

class FontDrawingTest : public fonttest::FontFixture {
 protected:
  void SetUp() override {
    FontFixture::SetUp();
    Write("SMALL.FNT", SmallSet());
    ASSERT_EQ(YelFontOrgSetLoad("SMALL.FNT"), 1);
    YelFontSetFontSize(4);
    ASSERT_EQ(YelFontSetType(4), 1);
  }
  Pixels Draw(const char* text, int32_t x = 0, int32_t y = 0, uint32_t background = 0) {
    Pixels pixels(kSide * kSide, background);
    EXPECT_EQ(YelFontDrawText(pixels.data(), text, x, y, kSide, kSide), 1);
    return pixels;
  }
  static std::set<std::pair<int, int>> Where(const Pixels& pixels, uint32_t value) {
    std::set<std::pair<int, int>> at;
    for (int i = 0; i < kSide * kSide; ++i) {
      if (pixels[i] == value) at.insert({i % kSide, i / kSide});
    }
    return at;
  }
  static std::pair<int32_t, int32_t> Measure(const char* text) {
    int32_t size[2] = {-1, -1};
    EXPECT_EQ(YelFontGetSize(text, size), 1);
    return {size[0], size[1]};
  }
};

TEST_F(FontDrawingTest, EachEffectDrawsItsPixels) {
  using Cells = std::set<std::pair<int, int>>;
  struct Case {
    int effect;
    Cells body, effect_pixels;
  } cases[] = {
      {0, {{3, 3}}, {}},
      {1, {{3, 3}}, {{3, 2}, {3, 4}, {2, 3}, {4, 3}}},
      {2, {{3, 3}}, {{4, 4}}},
      {3,
       {{4, 4}},
       {{4, 3},
        {4, 5},
        {3, 4},
        {5, 4},
        {4, 2},
        {4, 6},
        {2, 4},
        {6, 4},
        {3, 3},
        {5, 3},
        {3, 5},
        {5, 5}}},
      {5, {}, {}},
  };
  for (const Case& c : cases) {
    YelFontSetEffect(c.effect);
    const Pixels pixels = Draw("A", 2, 2);
    EXPECT_EQ(Where(pixels, kWhite), c.body) << "effect " << c.effect;
    EXPECT_EQ(Where(pixels, kBlue), c.effect_pixels) << "effect " << c.effect;
    const size_t drawn = c.body.size() + c.effect_pixels.size();
    EXPECT_EQ(Where(pixels, 0).size(), kSide * kSide - drawn) << "effect " << c.effect;
  }
  EXPECT_EQ(YelDrawTextStepX(3), 2);
  EXPECT_EQ(YelDrawTextStepX(0), 1);
  EXPECT_EQ(YelDrawTextStepX(0x10002), 1);  // taken as 16 bits
  EXPECT_EQ(YelDrawTextStepX(5), 0);
}

// The coverage alpha is ORed into the colour's own, so colours meant to be smooth have alpha 0.
TEST_F(FontDrawingTest, BodyTakesTheColourOverNothingAndBlendsOverOpaque) {
  YelFontSetColor(0x00FFFFFF, kBlue);
  Pixels clear = Draw("B");
  EXPECT_EQ(clear[1 * kSide + 1], 0x7FFFFFFFu);  // coverage 32: alpha 127
  Pixels opaque = Draw("B", 0, 0, 0xFF000000);
  // colour (255 x 127) >> 8 = 126, alpha (127 x 255 + 255 x 128) >> 8 = 254
  EXPECT_EQ(opaque[1 * kSide + 1], 0xFE7E7E7Eu);
}

TEST_F(FontDrawingTest, EscapesTagsAndBreaksPlaceTheGlyphs) {
  struct Case {
    const char* text;
    std::set<std::pair<int, int>> white;
  } cases[] = {
      {"AA", {{1, 1}, {3, 1}}},
      {"A<xx>A", {{1, 1}, {3, 1}}},  // an unknown tag adds nothing
      {"A A", {{1, 1}, {5, 1}}},     // a space is half the height
      {"A<br>A", {{1, 1}, {1, 5}}},  // the next line starts at x, one height down
      {"A\nA\rA", {{1, 1}, {1, 5}, {1, 9}}},
      {"A\\", {{1, 1}}},  // a final backslash ends the text
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Where(Draw(c.text), kWhite), c.white) << c.text;
  }
  // An escaped "%" or "<" is a glyph: faint pixels, and the pen moves by that glyph's advance.
  YelFontSetColor(0x00FFFFFF, kBlue);
  EXPECT_EQ(Where(Draw("\\%A"), kWhite), (std::set<std::pair<int, int>>{{6, 1}}));
  EXPECT_EQ(Where(Draw("\\<A"), 0xFFFFFFFF), (std::set<std::pair<int, int>>{{7, 1}}));
  EXPECT_EQ(Draw("\\%")[1 * kSide + 1], 0x3FFFFFFFu);
}

TEST_F(FontDrawingTest, TextIsCutAtEveryEdgeOfTheBuffer) {
  YelFontSetEffect(3);
  const Pixels left_top = Draw("A", -3, -3);  // the body at (-1, -1)
  EXPECT_EQ(Where(left_top, kWhite).size(), 0u);
  EXPECT_EQ(Where(left_top, kBlue), (std::set<std::pair<int, int>>{{0, 0}}));
  const Pixels right_bottom = Draw("A", kSide - 2, kSide - 2);  // the body at (12, 12)
  EXPECT_EQ(Where(right_bottom, kWhite).size(), 0u);
  EXPECT_EQ(Where(right_bottom, kBlue), (std::set<std::pair<int, int>>{{kSide - 1, kSide - 1}}));
}

TEST_F(FontDrawingTest, TheLastCellFollowsTheLastCharacter) {
  Draw("AB");
  YelFontDrawnCell cell{};
  EXPECT_EQ(YelFontHasDrawTextRect(), 1);
  EXPECT_EQ(YelFontGetDrawTextRect(&cell), 2);  // the black box of "B"
  EXPECT_EQ(cell.rect.left, 3);                 // pen 2 + 1
  EXPECT_EQ(cell.rect.right, 3 + 3);            // advance 3 is not above half the height + 1
  EXPECT_EQ(cell.rect.bottom - cell.rect.top, 4);
  Draw("A<br>A");
  YelFontGetDrawTextRect(&cell);
  EXPECT_EQ(cell.rect.top, 4);  // the second line
  Draw("<xx>");
  EXPECT_EQ(YelFontHasDrawTextRect(), 0);
}

TEST_F(FontDrawingTest, MeasuresLinesWidestFirst) {
  struct Case {
    const char* text;
    int32_t width, height;
  } cases[] = {
      {"", 3, 6},         {"A", 5, 6},       {"AB", 8, 6},    {"A B", 10, 6},
      {"AB<br>A", 8, 10}, {"A\r\nA", 5, 14}, {"<tag>", 3, 6}, {"\\%", 8, 6},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Measure(c.text), std::make_pair(c.width, c.height)) << c.text;
  }
}

TEST_F(FontDrawingTest, IconsComeFromTheSheetScaledToTheSize) {
  // Two 2 x 2 icons; at font size 4 each is enlarged to 4 x 4.
  Write("ICONS.TGA", fonttest::IconSheetBytes(4, 2, {255, 255, 0, 0, 255, 255, 0, 0}));
  EXPECT_EQ(Where(Draw("%0"), kWhite).size(), 0u);  // no sheet: nothing drawn
  ASSERT_EQ(YelExFontLoad("ICONS.TGA"), 1);
  const Pixels first = Draw("%0");
  EXPECT_EQ(first[1 * kSide + 1], kWhite);
  EXPECT_EQ(Where(Draw("%1"), kWhite).size(), 0u);           // icon 1 is empty
  EXPECT_EQ(Where(Draw("%2%99999999"), kWhite).size(), 0u);  // beyond the sheet
  EXPECT_EQ(Measure("%0"), std::make_pair(4 + 2 + 3, 6));
  EXPECT_EQ(YelExFontLoad("MISSING.TGA"), 0);
  Write("SHORT.TGA", fonttest::IconSheetBytes(4, 2, {1, 2, 3, 4, 5, 6, 7, 8}).substr(0, 30));
  EXPECT_EQ(YelExFontLoad("SHORT.TGA"), 0);
}

TEST_F(FontDrawingTest, DamagedSetsAreRefused) {
  const std::string good = SmallSet();
  std::string far_offset = good;
  far_offset[65 * 4 + 2] = 0x7F;  // "A" points far past the end
  std::string long_bitmap = good;
  // The last record ("B", 8 bytes of coverage) claims a bitmap that runs into the metrics.
  long_bitmap[good.size() - 56 - 8 - 4 + 1] = 0x7F;
  std::string no_height = good;
  no_height[good.size() - 56] = 0;
  const std::pair<const char*, std::string> damaged[] = {
      {"TINY.FNT", good.substr(0, 40)},
      {"FAR.FNT", far_offset},
      {"NOHEIGHT.FNT", no_height},
      {"LONG.FNT", long_bitmap},
  };
  for (const auto& [name, bytes] : damaged) {
    Write(name, bytes);
    EXPECT_EQ(YelFontOrgSetLoad(name), 0) << name;
  }
  EXPECT_EQ(YelFontLoad("MISSING.FNT"), 0);
  EXPECT_EQ(yel::Fonts().sets.size(), 1u);
  YelFontUnload();
  EXPECT_EQ(YelFontGetType(), 4);  // still selected, and draws nothing now
  EXPECT_EQ(Where(Draw("A"), kWhite).size(), 0u);
  YelFontSetType(0);
  EXPECT_EQ(YelFontSetType(4), 0);
}

TEST_F(FontDrawingTest, SetsAreChosenByHeightAndScaled) {
  auto sets_of = [](std::vector<int32_t> heights) {
    std::vector<yel::FontSet> sets(heights.size());
    for (size_t i = 0; i < heights.size(); ++i) sets[i].height = heights[i];
    return sets;
  };
  struct Case {
    std::vector<int32_t> heights;
    int32_t size, chosen;
  } cases[] = {
      {{16, 32}, 16, 0}, {{16, 32}, 24, 1},  {{16, 32}, 8, 0}, {{16, 32}, 40, 1},
      {{300, 16}, 8, 1}, {{300, 400}, 8, 1}, {{}, 8, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(yel::ChooseFontSet(sets_of(c.heights), c.size), c.chosen) << c.size;
  }
  // Drawn at twice its height, "A" becomes an 8 x 2 box (its padded width doubled), and its
  // advance grows to that width.
  YelFontSetFontSize(8);
  EXPECT_EQ(Measure("A"), std::make_pair(8 + 3, 8 + 2));
}

// Sizes far beyond any screen make no glyphs at all rather than gigabytes of them.
TEST_F(FontDrawingTest, HugeSizesDrawNothing) {
  Write("ICONS.TGA", fonttest::IconSheetBytes(2, 2, {255, 255, 255, 255}));
  ASSERT_EQ(YelExFontLoad("ICONS.TGA"), 1);
  for (int32_t type : {0, 4}) {
    YelFontSetType(type);
    YelFontSetFontSize(60000);
    EXPECT_EQ(Where(Draw("A%0"), 0).size(), size_t{kSide * kSide}) << type;
  }
}

}  // namespace
