#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "YEL/files/file_paths.h"
#include "YEL/graphics/sprite.h"
#include "tests/yel/file_test_support.h"
#include "tests/yel/sprite_test_support.h"

namespace {

namespace fs = std::filesystem;
using spritetest::GeFilled;
using spritetest::GeRaw;

// Opaque channels blended over black come out as 254 x 254 >> 8.
constexpr uint32_t kOpaque = 252;
uint32_t Red(uint32_t pixel) {
  return (pixel >> 16) & 0xFF;
}
uint32_t Green(uint32_t pixel) {
  return (pixel >> 8) & 0xFF;
}

class SpriteTest : public spritetest::DrawingFixture {};

TEST_F(SpriteTest, LowerKeysDrawLaterAndZJoinsThePriorityUntilItIsChanged) {
  YelSprite* red = Square(4, 0xFFFF0000, 10);
  YelSprite* green = Square(4, 0xFF00FF00, 5);
  Present();
  EXPECT_EQ(Green(Pixel(1, 1)), kOpaque);  // green has the lower key, so it is drawn last
  ASSERT_EQ(YelSpriteSetPos(red, 0, 0, -6.5f), 1);
  EXPECT_EQ(red->node->priority, 4);  // -6 + 10
  Present();
  EXPECT_EQ(Red(Pixel(1, 1)), kOpaque);
  YelSpriteSetPos(red, 0, 0, 2.7f);
  EXPECT_EQ(red->node->priority, 12);
  YelSpriteChangePriority(red, 3);
  EXPECT_EQ(red->node->priority, 3);
  YelSpriteMovePos(green, 0, 0, -9.0f);
  EXPECT_EQ(green->node->priority, -4);
  EXPECT_EQ(YelSpriteReleaseArray(render_, std::array<YelSprite*, 2>{red, green}.data(), 2), 1);
}

TEST_F(SpriteTest, HiddenAndSizeQuerySpritesDrawNothing) {
  YelSprite* hidden = Square(4, 0xFFFFFFFF, 1, 8, 8);
  YelSpriteViewCtrl(hidden, 0);
  YelSprite* query = YelSpriteInfoCreate(nullptr, 16, 16, 0);
  ASSERT_NE(query, nullptr);
  EXPECT_EQ(query->node, nullptr);
  query->visible = 1;
  Present();
  EXPECT_EQ(yel::YelSpriteDrawCallback(renderer_, query), 1);
  for (int y = 0; y < kGameHeight; ++y) {
    for (int x = 0; x < kGameWidth; ++x) ASSERT_EQ(Pixel(x, y), 0xFF000000u) << x << "," << y;
  }
  EXPECT_EQ(yel::YelSpriteDrawCallback(renderer_, nullptr), 0);
  YelMemoryFree(query);
  YelSpriteRelease(render_, hidden);
}

TEST_F(SpriteTest, NewSpritesTakeDefaultsAndTheGeHeader) {
  const std::string strip = GeRaw(32, 8, std::vector<uint32_t>(32 * 8, 0xFFFFFFFF), 5, -3, 8, 8);
  YelSprite* s =
      YelSpriteLoadMemory(render_, "strip", strip.data(), static_cast<uint32_t>(strip.size()), 7);
  ASSERT_NE(s, nullptr);
  YelSpriteInfo info;
  ASSERT_EQ(YelSpriteGetInfo(s, &info), 1);
  EXPECT_EQ(info.visible, 0);
  EXPECT_EQ(info.colour, 0xFFFFFFFFu);
  EXPECT_EQ(info.x, 5.0f);
  EXPECT_EQ(info.y, -3.0f);
  EXPECT_EQ(info.image_width, 32);
  EXPECT_EQ(info.cell_width, 8);
  EXPECT_EQ(info.scale_x, 1.0f);
  EXPECT_EQ(info.render_mode, 1);
  EXPECT_EQ(info.priority, 7);
  EXPECT_EQ(info.texture_width, 32);
  EXPECT_EQ(YelSpriteGetWidth(s), 8);
  EXPECT_EQ(YelSpriteGetHeight(s), 8);
  EXPECT_EQ(s->node->priority, 7);  // z is not in the key until the first SetPos
  YelSpriteRelease(render_, s);
}

TEST_F(SpriteTest, RectanglesAndCells) {
  YelSprite* s = YelSpriteCreate(render_, 32, 8, 0);
  ASSERT_NE(s, nullptr);
  YelRect rect;
  YelSpriteSetOffsetRect(s, 8, 8);
  struct Case {
    int32_t column, row;
    YelRect expected;
  };
  const Case cases[] = {{1, 0, {8, 0, 16, 8}},
                        {3, 0, {24, 0, 32, 8}},
                        {9, 0, {24, 0, 32, 8}},
                        {-1, 5, {24, 0, 32, 8}}};
  for (const Case& c : cases) {
    ASSERT_EQ(YelSpriteRectSetPos(s, c.column, c.row), 1);
    YelSpriteGetRect(s, &rect);
    EXPECT_EQ(std::memcmp(&rect, &c.expected, sizeof rect), 0) << c.column << "," << c.row;
  }
  YelSpriteSetOffsetRect(s, 32, 8);
  YelSpriteRectSetPos(s, 2, 0);
  YelSpriteGetRect(s, &rect);
  EXPECT_EQ(rect.left, 0);
  YelSpriteSetOffsetRect(s, 8, 8);
  YelSpriteSetRect(s, nullptr);  // the whole image, not one cell
  YelSpriteGetRect(s, &rect);
  EXPECT_EQ(rect.right, 32);
  YelSpriteRelease(render_, s);
}

TEST_F(SpriteTest, AttributesRoundTripThroughTheInfoCopy) {
  YelSprite* s = YelSpriteCreate(render_, 4, 4, 0);
  YelSpriteViewCtrl(s, 1);
  YelSpriteSetColor(s, 0x80112233);
  YelSpriteSetPos(s, 1.5f, 2.5f, 3.0f);
  YelSpriteSetOffsetPos(s, 4, 5);
  YelSpriteMoveOffsetPos(s, 1, 1);
  YelSpriteSetScale(s, 2.0f, 0.5f);
  YelSpriteSetRotateEx(s, 10, 20, 30);
  YelSpriteSetCenterOffset(s, 7, -8);
  YelSpriteSetRenderMode(s, 3);
  YelSpriteSetLayer(s, 0xABCD);
  YelSpriteSetAddressUV(s, 1);
  YelSpriteInfo info;
  ASSERT_EQ(YelSpriteGetInfo(s, &info), 1);
  const YelSpriteInfo expected_part{
      1,    0x80112233, 1.5f,  2.5f,  3.0f,  5, 6,      4,  4, 4, 4, -7, 8, 0,
      2.0f, 0.5f,       10.0f, 20.0f, 30.0f, 3, 0xABCD, {}, 0, 0, 0, 0,  0, 0};
  EXPECT_EQ(std::memcmp(&info, &expected_part, offsetof(YelSpriteInfo, file_name)), 0);
  EXPECT_EQ(info.address_mode, 1);

  YelSprite* copy = YelSpriteCreate(render_, 4, 4, 0);
  std::memset(info.file_name, 'n', sizeof info.file_name);  // no terminator given
  info.texture_width = 999;
  ASSERT_EQ(YelSpriteSetInfo(copy, &info), 1);
  YelSpriteInfo back;
  YelSpriteGetInfo(copy, &back);
  EXPECT_EQ(std::memcmp(&back, &info, offsetof(YelSpriteInfo, file_name)), 0);
  EXPECT_EQ(std::strlen(back.file_name), 259u);
  EXPECT_EQ(back.texture_width, 4);
  YelSpriteRelease(render_, s);
  YelSpriteRelease(render_, copy);
}

TEST_F(SpriteTest, NullAndBadHandlesAreRefused) {
  yel::SetLastError(0);
  EXPECT_EQ(YelSpriteSetColor(nullptr, 0), 0);
  EXPECT_EQ(yel::GetLastError(), yel::ERROR_INVALID_HANDLE);
  YelSpriteSetCenterOffset(nullptr, 1, 1);
  YelSpriteSetAddressUV(nullptr, 1);
  YelSprite* s = YelSpriteCreate(render_, 2, 2, 0);
  EXPECT_EQ(YelSpriteGetRect(s, nullptr), 0);
  EXPECT_EQ(YelSpriteGetInfo(s, nullptr), 0);
  YelSpriteInfo info;
  EXPECT_EQ(YelSpriteGetInfo(reinterpret_cast<YelSprite*>(uintptr_t{0xDDDDDDDDDDDDDDDD}), &info),
            0);
  EXPECT_EQ(YelSpriteCreate(nullptr, 2, 2, 0), nullptr);
  EXPECT_EQ(YelSpriteCreate(render_, 0, 2, 0), nullptr);  // no texture of no size
  YelSprite* array[3] = {nullptr, s, nullptr};
  EXPECT_EQ(YelSpriteReleaseArray(render_, array, 3), 1);
  EXPECT_EQ(array[1], nullptr);
  EXPECT_EQ(YelSpriteReleaseArray(render_, array, 3), 1);  // all null: nothing failed
  EXPECT_EQ(YelSpriteRelease(render_, nullptr), 0);
  EXPECT_EQ(renderer_->Slots().InUse(), 0);
}

TEST_F(SpriteTest, HitTestsAndTheForegroundSprite) {
  std::vector<uint32_t> pixels(16, 0xFFFFFFFF);
  pixels[1 * 4 + 1] = 0x00FFFFFF;  // one transparent pixel at (1, 1)
  const std::string image = GeRaw(4, 4, pixels);
  YelSprite* s =
      YelSpriteLoadMemory(render_, "", image.data(), static_cast<uint32_t>(image.size()), 5);
  YelSpriteSetPos(s, 10.7f, 10.0f, 0);
  EXPECT_EQ(YelSpriteHit(s, 11, 11, 0), 0);  // hidden
  YelSpriteViewCtrl(s, 1);
  struct Case {
    int32_t x, y, alpha_test, hit;
  };
  const Case cases[] = {{11, 11, 0, 1}, {11, 11, 1, 0}, {10, 10, 1, 1}, {13, 13, 1, 1},
                        {14, 10, 0, 0}, {10, 14, 0, 0}, {9, 10, 0, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(YelSpriteHit(s, c.x, c.y, c.alpha_test), c.hit)
        << c.x << "," << c.y << " " << c.alpha_test;
  }
  // A record without pixels is no hit for the alpha test.
  YelSprite* query = YelSpriteInfoCreate(nullptr, 50, 50, 0);
  query->visible = 1;
  EXPECT_EQ(YelSpriteHit(query, 1, 1, 0), 1);
  EXPECT_EQ(YelSpriteHit(query, 1, 1, 1), 0);
  YelMemoryFree(query);

  YelSprite* front = Square(4, 0xFFFFFFFF, 2, 12, 12);
  YelSprite* equal = Square(4, 0xFFFFFFFF, 2, 12, 12);
  EXPECT_EQ(YelSpriteGetForeground(13, 13, 1), equal);  // the later of equal priorities
  EXPECT_EQ(YelSpriteGetForeground(10, 10, 1), s);
  EXPECT_EQ(YelSpriteGetForeground(40, 40, 0), nullptr);
  YelSpriteChangePriority(s, 1);
  EXPECT_EQ(YelSpriteGetForeground(13, 13, 0), s);
  YelSprite* all[] = {s, front, equal};
  YelSpriteReleaseArray(render_, all, 3);
}

TEST_F(SpriteTest, ReleaseLetsGoOfTheTargetListAndFreesEverything) {
  const int32_t blocks = YelGetAllocCount();
  YelSprite* s = Square(4, 0xFFFFFFFF, 0);
  YelTargetRenderListAdd(s);
  EXPECT_EQ(YelSpriteRelease(render_, s), 1);
  EXPECT_TRUE(system_.target_list.empty());
  EXPECT_EQ(render_->first, nullptr);
  EXPECT_EQ(YelGetAllocCount(), blocks);
  EXPECT_EQ(renderer_->Slots().InUse(), 0);
}

TEST_F(SpriteTest, LockedPixelsAreDrawnInALaterFrameWithoutWaiting) {
  YelSprite* s = Square(4, 0xFFFFFFFF, 0);
  s->lock_flag = 1;
  Present();
  EXPECT_EQ(Pixel(0, 0), 0xFF000000u);
  s->lock_flag = 0;
  Present();
  EXPECT_NE(Pixel(0, 0), 0xFF000000u);
  YelSpriteRelease(render_, s);
}

// Loading through the file layer: a base folder of the test's own.
class SpriteLoadTest : public spritetest::DrawingFixture {
 protected:
  void SetUp() override {
    DrawingFixture::SetUp();
    folder_.Start("yel_sprites_");
    base_ = folder_.path();
  }
  void TearDown() override {
    folder_.End();
    DrawingFixture::TearDown();
  }
  filetest::TempBaseFolder folder_;
  fs::path base_;
};

TEST_F(SpriteLoadTest, LoadsFromAFolderAndFromAnArchive) {
  filetest::WriteFile(base_ / "BG.GE", GeRaw(6, 2, std::vector<uint32_t>(12, 0xFF00FF00), 3, 4));
  YelSprite* plain = YelSpriteLoad(render_, "BG.GE", 0);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(YelSpriteGetWidth(plain), 6);
  EXPECT_EQ(plain->x, 3.0f);

  filetest::WriteFile(base_ / "src" / "CG.GE", GeFilled(3, 5, 0xFFFF0000));
  ASSERT_EQ(filetest::RunPacBuilder({(base_ / "src").string(), (base_ / "P.pac").string()}), 0);
  fs::remove_all(base_ / "src");
  ASSERT_EQ(YelSystemPathSet("P"), 1);
  YelSprite* packed = YelSpriteLoad(render_, "cg.ge", 0);
  ASSERT_NE(packed, nullptr);
  EXPECT_EQ(YelSpriteGetHeight(packed), 5);
  YelSpriteViewCtrl(packed, 1);
  Present();
  EXPECT_EQ(Red(Pixel(2, 4)), kOpaque);

  YelSprite* query = YelSpriteInfoCreate("CG.GE", 0, 0, 0);
  ASSERT_NE(query, nullptr);
  EXPECT_EQ(query->image_width, 3);
  EXPECT_STREQ(query->file_name, "CG.GE");
  YelMemoryFree(query);
  YelSpriteRelease(render_, plain);
  YelSpriteRelease(render_, packed);
}

// Files whose header asks for an image of no pixels, or for more than a texture may hold: neither
// a load nor a size query takes them (a query reads the header only, by each format's offsets).
// The delta of width 0 over a good base would have had its rows' first pixels written into an
// empty buffer.
TEST_F(SpriteLoadTest, NoLoadOrSizeQueryTakesAnEmptyOrOversizedImage) {
  filetest::WriteFile(base_ / "BASE.GE", GeFilled(2, 2, 0xFF0000FF));
  // MKT3, 0 x 2 at (0, 0), 32 bits, over BASE.GE; two expanded bytes (a left filter per row) as
  // one literal token.
  std::string empty_delta = "MKT3";
  empty_delta += std::string(4, '\0') + std::string("\0\0\x02\0\x20\0", 6);
  empty_delta += std::string("BASE.GE") + std::string(34 - 7, '\0');
  empty_delta += std::string("\x02\0\0\0", 4) + std::string(4, '\0');
  empty_delta += std::string("\0\x02\x01\x01", 4);
  std::string flat_tga(18, '\0');
  flat_tga[2] = 2, flat_tga[12] = 4, flat_tga[16] = 32;  // 4 x 0
  struct Case {
    const char* name;
    std::string file;
  } cases[] = {
      {"EMPTY.MKT", empty_delta},         {"FLAT.TGA", flat_tga},
      {"EMPTY.GE", GeRaw(0, 3, {})},      {"LONG.GE", GeRaw(20000, 1, {})},
      {"HUGE.GE", GeRaw(8193, 8192, {})},  // over 8192 x 8192 pixels
  };
  const int32_t blocks = YelGetAllocCount();
  for (const Case& c : cases) {
    filetest::WriteFile(base_ / c.name, c.file);
    EXPECT_EQ(YelSpriteLoad(render_, c.name, 0), nullptr) << c.name;
    EXPECT_EQ(YelSpriteInfoCreate(c.name, 0, 0, 0), nullptr) << c.name;
  }
  EXPECT_EQ(YelGetAllocCount(), blocks);
  EXPECT_EQ(renderer_->Slots().InUse(), 0);
}

TEST_F(SpriteLoadTest, DamagedMissingAndBaselessFilesLeaveNothingBehind) {
  const int32_t blocks = YelGetAllocCount();
  const std::string whole = GeFilled(8, 8, 0xFFFFFFFF);
  filetest::WriteFile(base_ / "CUT.GE", whole.substr(0, whole.size() - 1));
  std::string delta = "MKT2";
  delta += std::string(10, '\0');  // region and bits per pixel
  delta += std::string("NOBASE.GE") + std::string(34 - 9, '\0');
  delta += std::string(8, '\0');
  filetest::WriteFile(base_ / "D.MKT", delta);
  for (const char* name : {"CUT.GE", "MISSING.GE", "D.MKT"}) {
    EXPECT_EQ(YelSpriteLoad(render_, name, 0), nullptr) << name;
  }
  // A size query reads only the header, which the cut image still has whole.
  for (const char* name : {"MISSING.GE", "D.MKT"}) {
    EXPECT_EQ(YelSpriteInfoCreate(name, 0, 0, 0), nullptr) << name;
  }
  EXPECT_EQ(YelGetAllocCount(), blocks);
  EXPECT_EQ(renderer_->Slots().InUse(), 0);
  EXPECT_EQ(render_->first, nullptr);
}

}  // namespace
