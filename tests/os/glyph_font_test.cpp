// Glyphs of the installed faces: the cell rule, half- and full-width advances, the bold type and
// characters the main face lacks.
#include <gtest/gtest.h>

#include <numeric>

#include "os/glyph_font.h"

namespace {

uint32_t CoverageSum(const os::GlyphImage& glyph) {
  return std::accumulate(glyph.coverage.begin(), glyph.coverage.end(), 0u);
}

TEST(GlyphFont, CellHeightAndAdvancesFollowTheSize) {
  for (os::FaceKind kind : {os::FaceKind::kGothic, os::FaceKind::kMincho}) {
    auto font = os::GlyphFont::Open(kind, 24, 12, false);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->Ascent() + font->Descent(), 24);
    os::GlyphImage digit, kana;
    ASSERT_TRUE(font->Render(U'0', digit));
    ASSERT_TRUE(font->Render(U'\u3042', kana));  // HIRAGANA LETTER A
    EXPECT_EQ(digit.advance_x, 12) << font->Family();
    EXPECT_EQ(kana.advance_x, 24) << font->Family();
    EXPECT_GT(kana.black_height, 16u);
    EXPECT_LE(kana.black_height, 24u);
    EXPECT_EQ(kana.coverage.size(), size_t{kana.Pitch()} * kana.black_height);
    EXPECT_EQ(kana.Pitch() % 4, 0u);
    for (uint8_t v : kana.coverage) ASSERT_LE(v, 64);
    EXPECT_GT(CoverageSum(kana), 0u);
  }
  auto gothic = os::GlyphFont::Open(os::FaceKind::kGothic, 24, 12, false);
  auto mincho = os::GlyphFont::Open(os::FaceKind::kMincho, 24, 12, false);
  EXPECT_NE(gothic->Family(), mincho->Family());
  EXPECT_EQ(os::GlyphFont::Open(os::FaceKind::kGothic, 0, 0, false), nullptr);
}

TEST(GlyphFont, BoldIsHeavierAndASpaceHasNoCoverage) {
  auto regular = os::GlyphFont::Open(os::FaceKind::kMincho, 24, 12, false);
  auto bold = os::GlyphFont::Open(os::FaceKind::kMincho, 24, 12, true);
  ASSERT_TRUE(regular && bold);
  os::GlyphImage a, b, space;
  ASSERT_TRUE(regular->Render(U'\u6F22', a));
  ASSERT_TRUE(bold->Render(U'\u6F22', b));
  EXPECT_GT(CoverageSum(b), CoverageSum(a));
  ASSERT_TRUE(regular->Render(U' ', space));
  EXPECT_EQ(space.black_width, 1u);
  EXPECT_EQ(CoverageSum(space), 0u);
}

TEST(GlyphFont, CharactersTheFaceLacksComeFromAnotherFace) {
  auto font = os::GlyphFont::Open(os::FaceKind::kGothic, 24, 12, false);
  ASSERT_NE(font, nullptr);
  char32_t missing = 0;
  for (char32_t c : {U'\u2603', U'\u265E', U'\u2694', U'\u0E01', U'\u05D0'}) {
    if (!font->HasGlyph(c)) {
      missing = c;
      break;
    }
  }
  if (missing == 0) GTEST_SKIP() << font->Family() << " has every candidate";
  os::GlyphImage glyph;
  ASSERT_TRUE(font->Render(missing, glyph));
  EXPECT_GT(CoverageSum(glyph), 0u);
  EXPECT_GT(glyph.advance_x, 0);
  EXPECT_FALSE(font->Render(U'\U0010FFFD', glyph));  // a private-use character nobody has
}

}  // namespace
