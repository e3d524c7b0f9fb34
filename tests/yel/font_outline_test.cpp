// Text in the installed faces: sizes and advances of half- and full-width characters, Japanese
// looked up through CP932, font sets made by the builder, and text sprites.
#include <gtest/gtest.h>

#include <algorithm>

#include "YEL/graphics/font_state.h"
#include "YEL/graphics/sprite.h"
#include "os/encoding.h"
#include "tests/yel/font_test_support.h"
#include "tools/font_set_builder/font_set_writer.h"

namespace {

using Pixels = std::vector<uint32_t>;

class FontOutlineTest : public fonttest::FontFixture {
 protected:
  void TearDown() override {
    for (YelSprite* sprite : made_) YelSpriteRelease(render_, sprite);
    FontFixture::TearDown();
  }
  static std::pair<int32_t, int32_t> Measure(const std::string& text) {
    int32_t size[2] = {-1, -1};
    EXPECT_EQ(YelFontGetSize(text.c_str(), size), 1);
    return {size[0], size[1]};
  }
  static Pixels Draw(const std::string& text, int32_t width, int32_t height) {
    Pixels pixels(static_cast<size_t>(width) * height, 0);
    EXPECT_EQ(YelFontDrawText(pixels.data(), text.c_str(), 0, 0, width, height), 1);
    return pixels;
  }
  static Pixels Read(YelSprite* sprite) {
    int32_t w = 0, h = 0;
    const uint32_t* p = yel::TextureLockPixels(sprite->texture, &w, &h);
    Pixels out(p, p + static_cast<size_t>(w) * h);
    yel::TextureUnlockPixels(sprite->texture, false);
    return out;
  }
  YelSprite* Keep(YelSprite* sprite) {
    if (sprite) made_.push_back(sprite);
    return sprite;
  }
  std::vector<YelSprite*> made_;
};

TEST_F(FontOutlineTest, HalfAndFullWidthCharactersAdvanceByHalfAndWholeSize) {
  YelFontSetFontSize(24);
  struct Case {
    const char* utf8;
    int32_t width, height;
  } cases[] = {
      {"AB", 2 * 12 + 3, 26}, {"あい", 2 * 24 + 3, 26}, {"漢字<br>A", 2 * 24 + 3, 50},
      {"ｱ", 12 + 3, 26},   // a half-width katakana is a single byte
      {"　", 24 + 3, 26},  // the full-width space
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Measure(os::Utf8ToCp932(c.utf8)), std::make_pair(c.width, c.height)) << c.utf8;
  }
  // The bold type is emboldened by a pixel or so, which its advance takes along.
  YelFontSetType(1);
  const int32_t bold = Measure(os::Utf8ToCp932("あ")).first;
  EXPECT_TRUE(bold >= 24 + 3 && bold <= 24 + 3 + 2) << bold;
}

// The CP932 bytes find the Unicode glyph: "あ" drawn from its two bytes matches the glyph the
// face renders for U+3042.
TEST_F(FontOutlineTest, JapaneseTextDrawsTheGlyphsOfItsCharacters) {
  YelFontSetFontSize(24);
  YelFontSetColor(0x00FFFFFF, 0);
  const Pixels drawn = Draw(os::Utf8ToCp932("あ"), 32, 32);
  auto font = os::GlyphFont::Open(os::FaceKind::kGothic, 24, 12, false);
  os::GlyphImage glyph;
  ASSERT_TRUE(font && font->Render(U'\u3042', glyph));
  for (uint32_t j = 0; j < glyph.black_height; ++j) {
    for (uint32_t i = 0; i < glyph.black_width; ++i) {
      const uint8_t v = glyph.coverage[j * glyph.Pitch() + i];
      const int32_t x = 1 + glyph.origin_x + static_cast<int32_t>(i);
      const int32_t y = 1 + font->Ascent() - glyph.origin_y + static_cast<int32_t>(j);
      const uint32_t expected = v ? (uint32_t{4u * v - 1} << 24 | 0xFFFFFF) : 0;
      ASSERT_EQ(drawn[y * 32 + x], expected) << i << "," << j;
    }
  }
  const Pixels sample = Draw(os::Utf8ToCp932("日本語のテキスト、ｶﾀｶﾅ"), 400, 32);
  EXPECT_GT(std::count_if(sample.begin(), sample.end(), [](uint32_t p) { return p != 0; }), 300);
}

TEST_F(FontOutlineTest, DrawingALineAgainReusesItsRenderedGlyphs) {
  YelFontSetFontSize(20);
  const std::string text = os::Utf8ToCp932("同じ行を二度");
  const Pixels first = Draw(text, 160, 24);
  const auto& glyphs = yel::Fonts().fonts.at(uint32_t{0} << 16 | 20).glyphs;
  EXPECT_EQ(glyphs.size(), 6u);
  const uint8_t* same = glyphs.at(0x93AF).coverage.data();  // "同"
  EXPECT_EQ(Draw(text, 160, 24), first);
  EXPECT_EQ(glyphs.size(), 6u);
  EXPECT_EQ(glyphs.at(0x93AF).coverage.data(), same);
}

// A set built from the gothic face draws exactly as the face does, with every effect.
TEST_F(FontOutlineTest, ABuiltFontSetDrawsLikeItsFace) {
  std::vector<uint16_t> codes = fontset::PrintableAscii();
  ASSERT_TRUE(fontset::CodesOfText("あ漢字。", codes));
  std::vector<uint8_t> set;
  std::string error;
  ASSERT_TRUE(fontset::BuildFontSet(os::FaceKind::kGothic, 16, false, codes, set, error)) << error;
  Write("GOTHIC16.FNT", std::string(set.begin(), set.end()));
  const std::string text = os::Utf8ToCp932("Ag あ漢字。");
  YelFontSetFontSize(16);
  YelFontSetColor(0x00F0E0D0, 0x00102030);
  for (int32_t effect : {0, 1, 2, 3}) {
    YelFontSetEffect(effect);
    YelFontSetType(0);
    const Pixels face = Draw(text, 96, 24);
    const auto face_size = Measure(text);
    ASSERT_GT(std::count_if(face.begin(), face.end(), [](uint32_t p) { return p != 0; }), 100);
    ASSERT_EQ(YelFontOrgSetLoad("GOTHIC16.FNT"), 1);
    ASSERT_EQ(YelFontSetType(4), 1);
    EXPECT_EQ(Draw(text, 96, 24), face) << "effect " << effect;
    EXPECT_EQ(Measure(text), face_size);
  }
}

TEST_F(FontOutlineTest, TextSpritesTakeTheirTags) {
  EXPECT_EQ(YelSpriteCreateText(render_, "<size=20>", 0, 0xFFFFFFFF), nullptr);
  EXPECT_EQ(YelSpriteCreateText(nullptr, "A", 0, 0xFFFFFFFF), nullptr);
  YelFontSetFontSize(16);
  YelFontSetColor(0x00FFFFFF, 0);
  YelSprite* sprite = Keep(YelSpriteCreateText(render_, "<bkcolor=0xff000000 size=24>AB", 3, 7));
  ASSERT_NE(sprite, nullptr);
  EXPECT_EQ(YelFontGetFontSize(), 16);  // the tag's size was for that call only
  EXPECT_EQ(sprite->colour, 7u);
  EXPECT_EQ(sprite->visible, 0);
  EXPECT_EQ(sprite->cell_width, 2 * 12 + 3);
  EXPECT_EQ(sprite->cell_height, 24 + 2);
  const Pixels pixels = Read(sprite);
  EXPECT_EQ(pixels[0], 0xFF000000u);  // background where no glyph covers
  EXPECT_TRUE(
      std::any_of(pixels.begin(), pixels.end(), [](uint32_t p) { return (p & 0xFFFFFF) != 0; }));
  YelFontSetEffect(3);
  YelSprite* outlined = Keep(YelSpriteCreateText(render_, "AB", 0, 0));
  ASSERT_NE(outlined, nullptr);
  EXPECT_EQ(outlined->cell_width, 2 * 8 + 3 + 2);
  EXPECT_EQ(outlined->cell_height, 16 + 2 + 2);
  EXPECT_EQ(YelSpriteCreateTextEx(outlined, "<size=8>", 0, 0, 5), 0);
  EXPECT_EQ(YelSpriteCreateTextEx(outlined, "A", 2, 2, 5), 1);
  EXPECT_EQ(outlined->colour, 5u);
}

TEST_F(FontOutlineTest, SpriteCopiesScaleTheRectangle) {
  const std::string image = spritetest::GeRaw(2, 2, {1, 2, 3, 4});
  YelSprite* source = Keep(
      YelSpriteLoadMemory(render_, "src", image.data(), static_cast<uint32_t>(image.size()), 0));
  ASSERT_NE(source, nullptr);
  const YelRect whole{0, 0, 2, 2}, twice{0, 0, 4, 4}, empty{1, 1, 1, 3};
  YelSprite* same = Keep(YelSpriteCopy(render_, source, &whole, &whole, 1));
  ASSERT_NE(same, nullptr);
  EXPECT_EQ(Read(same), (Pixels{1, 2, 3, 4}));
  YelSprite* doubled = Keep(YelSpriteCopy(render_, source, &whole, &twice, 1));
  ASSERT_NE(doubled, nullptr);
  EXPECT_EQ(doubled->cell_width, 4);
  EXPECT_EQ(doubled->cell_height, 4);
  EXPECT_EQ(Read(doubled)[0], 1u);
  EXPECT_EQ(YelSpriteCopy(render_, source, &empty, &twice, 1), nullptr);
  EXPECT_EQ(YelSpriteCopy(render_, source, &whole, &empty, 1), nullptr);
  // A rectangle reaching past the source reads nothing outside it.
  const YelRect beyond{1, 1, 3, 3};
  YelSprite* corner = Keep(YelSpriteCopy(render_, source, &beyond, &beyond, 1));
  ASSERT_NE(corner, nullptr);
  EXPECT_EQ(Read(corner), (Pixels{4, 0, 0, 0}));
}

}  // namespace
