// Frame animations, buttons, number sprites and thumbnails on the software renderer, with a frame
// clock and input words the test sets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/yel/sprite_test_support.h"

namespace {

using spritetest::GeFilled;
using spritetest::GeRaw;

class SpriteServicesTest : public spritetest::DrawingFixture {
 protected:
  void TearDown() override {
    for (YelSprite* sprite : made_) YelSpriteRelease(render_, sprite);
    DrawingFixture::TearDown();
  }
  // A hidden sprite of a strip of cells, `cells` across and `rows` down, each `size` square.
  YelSprite* Strip(int32_t cells, int32_t rows, int32_t size, int32_t priority = 1) {
    const std::string image =
        GeRaw(cells * size, rows * size,
              std::vector<uint32_t>(cells * size * rows * size, 0xFFFFFFFF), 0, 0, size, size);
    YelSprite* sprite = YelSpriteLoadMemory(render_, "strip", image.data(),
                                            static_cast<uint32_t>(image.size()), priority);
    made_.push_back(sprite);
    return sprite;
  }
  void Frame(uint32_t time) {
    system_.frame_time = time;
    Walk();
  }
  static YelRect Rect(YelSprite* sprite) {
    YelRect rect{};
    YelSpriteGetRect(sprite, &rect);
    return rect;
  }
  void Mouse(int32_t x, int32_t y, uint32_t push, uint32_t on) {
    system_.input.mouse_x = x;
    system_.input.mouse_y = y;
    system_.input.keys.push = push;
    system_.input.keys.on = on;
  }
  static constexpr uint32_t kLeft = 1u << 23;
  std::vector<YelSprite*> made_;  // released at the end of the test
};

TEST_F(SpriteServicesTest, CellAnimationsStepOnceAnIntervalAndTellTheirWrap) {
  YelSprite* sprite = Strip(4, 1, 8);
  YelTask* animation = YelAnimation(sprite, 1, 100);
  ASSERT_NE(animation, nullptr);
  EXPECT_EQ(YelAnimationGetTime(animation), 100);
  Frame(0);  // the start step counts the cells
  std::vector<int32_t> lefts;
  for (uint32_t t = 100; t <= 500; t += 100) {
    Frame(t);
    lefts.push_back(Rect(sprite).left);
    if (t == 300) {
      EXPECT_EQ(YelAnimationLoopIs(animation), 0);
    }
  }
  EXPECT_EQ(lefts, (std::vector<int32_t>{8, 16, 24, 0, 8}));
  EXPECT_EQ(YelAnimationLoopIs(animation), 1);
  EXPECT_EQ(YelAnimationLoopIs(animation), 0);
  Frame(550);  // not yet an interval since the last cell
  EXPECT_EQ(Rect(sprite).left, 8);
  // After a reset the strip still wraps.
  YelAnimationReset(animation);
  for (uint32_t t = 700; t <= 1000; t += 100) Frame(t);
  EXPECT_EQ(Rect(sprite).left, 0);
  EXPECT_EQ(YelAnimationLoopIs(animation), 1);
  YelAnimationStop(animation);
  Frame(1200);
  EXPECT_EQ(Rect(sprite).left, 0);
  EXPECT_EQ(YelAnimationRelease(animation), 1);
  EXPECT_EQ(YelAnimationGetTime(nullptr), -1);
  EXPECT_EQ(YelAnimation(nullptr, 1, 100), nullptr);
}

TEST_F(SpriteServicesTest, FrameTablesLoopOrStopOnTheirLastEntry) {
  YelSprite* sprite = Strip(4, 1, 8);
  YelAnimationFrame frames[3] = {
      {{0, 0, 8, 8}, 100, 1}, {{8, 0, 16, 8}, 50, 2}, {{16, 0, 24, 8}, 100, 0}};
  YelTask* animation = YelAnimationEx(sprite, frames);
  ASSERT_NE(animation, nullptr);
  EXPECT_EQ(Rect(sprite).left, 0);
  Frame(0);
  std::vector<int32_t> points;
  for (uint32_t t : {100u, 150u, 250u, 300u}) {
    Frame(t);
    points.push_back(YelAnimationGetAnimationPoint(animation));
  }
  EXPECT_EQ(points, (std::vector<int32_t>{1, 2, 0, 0}));
  frames[2].next = -1;
  YelAnimationResetEx(animation, frames);
  for (uint32_t t : {400u, 450u, 550u, 900u}) Frame(t);
  EXPECT_EQ(YelAnimationGetAnimationPoint(animation), -1);
  EXPECT_EQ(Rect(sprite).left, 16);  // the last rectangle stays
}

TEST_F(SpriteServicesTest, TheTopmostItemReactsAndADisabledOneHidesTheOthers) {
  YelButton* button = YelButtonCreateEx(0, 0);
  YelSprite* back = Strip(1, 3, 8, 5);
  YelSprite* front = Strip(1, 3, 8, 2);
  for (YelSprite* s : {back, front}) {
    YelSpriteSetPos(s, 10, 10, 0);
    YelSpriteViewCtrl(s, 1);
    YelButtonEntry(button, s);
  }
  EXPECT_EQ(YelButtonGetHitSprite(button, 12, 12), front);
  EXPECT_EQ(YelButtonGetHitSprite(button, -1, 12), nullptr);
  YelButtonCtrl(button, front, 0);
  EXPECT_EQ(YelButtonGetHitSprite(button, 12, 12), nullptr);
  EXPECT_EQ(YelButtonHitTest(button, 12, 12), 0);
  YelButtonCtrl(button, front, 1);

  // Mode 0: hovering shows row 1, the push frame decides, holding on does not decide again.
  YelButtonReaction reaction{};
  Mouse(12, 12, 0, 0);
  EXPECT_EQ(YelButtonGetReaction(button, &reaction), nullptr);
  EXPECT_EQ(reaction.hovered, front);
  EXPECT_EQ(Rect(front).top, 8);
  EXPECT_EQ(Rect(back).top, 0);
  Mouse(12, 12, kLeft, 0);
  EXPECT_EQ(YelButtonGetReaction(button, &reaction), nullptr);
  EXPECT_EQ(reaction.processing, front);
  EXPECT_EQ(Rect(front).top, 16);
  EXPECT_EQ(YelButtonIsProcessing(button), 1);
  Mouse(12, 12, 0, kLeft);
  EXPECT_EQ(YelButtonGetReaction(button, &reaction), front);  // no sound to wait for
  EXPECT_EQ(YelButtonGetReaction(button, &reaction), nullptr);
  EXPECT_EQ(reaction.processing, nullptr);

  EXPECT_EQ(YelButtonReset(button, front), 1);
  EXPECT_EQ(YelButtonGetHitSprite(button, 12, 12), nullptr);
  EXPECT_EQ(YelButtonReset(button, nullptr), 0);
  EXPECT_EQ(YelButtonRelease(button), 1);
}

TEST_F(SpriteServicesTest, PressAndReleaseDecidesOnlyWhereThePressEnds) {
  YelButtonMode(1);
  YelButton* button = YelButtonCreateEx(0, 0);
  YelSprite* a = Strip(1, 3, 8, 1);
  YelSprite* b = Strip(1, 3, 8, 1);
  YelSpriteSetPos(a, 0, 0, 0);
  YelSpriteSetPos(b, 20, 0, 0);
  for (YelSprite* s : {a, b}) {
    YelSpriteViewCtrl(s, 1);
    YelButtonEntry(button, s);
  }
  // Pressed on a, released outside every item: nothing.
  Mouse(2, 2, kLeft, 0);
  YelButtonGetReaction(button, nullptr);
  Mouse(40, 40, 0, kLeft);
  YelButtonGetReaction(button, nullptr);
  Mouse(40, 40, 0, 0);
  EXPECT_EQ(YelButtonGetReaction(button, nullptr), nullptr);
  EXPECT_EQ(YelButtonIsProcessing(button), 0);
  // Pressed on a, held onto b, released there: b.
  Mouse(2, 2, kLeft, 0);
  YelButtonGetReaction(button, nullptr);
  Mouse(22, 2, 0, kLeft);
  YelButtonGetReaction(button, nullptr);
  Mouse(22, 2, 0, 0);
  YelButtonReaction reaction{};
  YelButtonGetReaction(button, &reaction);
  EXPECT_EQ(reaction.processing, b);
  EXPECT_EQ(YelButtonGetReaction(button, nullptr), b);
  YelButtonRelease(button);
  YelButtonMode(0);
}

TEST_F(SpriteServicesTest, NumbersShowTheirPlacesAndNeverMoreThanTheArray) {
  // Cells 0-13 across, each 4 wide.
  YelSprite* places[4] = {};
  const std::string image = GeFilled(56, 4, 0xFFFFFFFF);
  for (YelSprite*& place : places) {
    place = YelSpriteLoadMemory(render_, "digits", image.data(),
                                static_cast<uint32_t>(image.size()), 1);
    YelSpriteSetOffsetRect(place, 4, 4);
  }
  auto cells = [&](int32_t count) {
    std::vector<int32_t> shown;
    for (int32_t i = 0; i < count; ++i) {
      shown.push_back(YelSpriteViewIs(places[i]) ? Rect(places[i]).left / 4 : -1);
    }
    return shown;
  };
  EXPECT_EQ(YelNumberDraw(places, -45, 4, 1), 3);
  EXPECT_EQ(cells(4), (std::vector<int32_t>{5, 4, 11, -1}));
  EXPECT_EQ(YelNumberDraw(places, 45, 4, 2), 4);
  EXPECT_EQ(cells(4), (std::vector<int32_t>{5, 4, 0, 0}));
  EXPECT_EQ(YelNumberDraw(places, 123456, 4, 1), 4);  // the array holds four places
  EXPECT_EQ(cells(4), (std::vector<int32_t>{6, 5, 4, 10}));
  EXPECT_EQ(YelNumberDraw(places, 7, 2, 2 | 4), 2);
  EXPECT_EQ(cells(2), (std::vector<int32_t>{7, 12}));
  YelNumberSet(places, 10, 5, 3);
  YelSpriteInfo info{};
  YelSpriteGetInfo(places[0], &info);
  EXPECT_EQ(info.x, 18.0f);
  YelSpriteGetInfo(places[2], &info);
  EXPECT_EQ(info.x, 10.0f);
  EXPECT_EQ(YelNumberGetPlace(0), 1);
  EXPECT_EQ(YelNumberGetPlace(-10), 2);
  EXPECT_EQ(YelNumberGetPlace(-2147483647 - 1), 10);
  YelSpriteReleaseArray(render_, places, 4);
}

TEST_F(SpriteServicesTest, ThumbnailsScaleTheLastFrame) {
  system_.running = 1;
  system_.param.game_width = kGameWidth;
  system_.param.game_height = kGameHeight;
  YelSprite* red = Square(32, 0xFFFF0000, 1, 0, 0);  // the top-left quarter
  Present();
  std::vector<uint32_t> thumb(16 * 12, 0);
  ASSERT_EQ(YelThumbnailCreate(thumb.data(), 0, 16, 12), 1);
  EXPECT_EQ(thumb[0], Pixel(0, 0));
  EXPECT_EQ(thumb[5 * 16 + 7], Pixel(28, 20));
  EXPECT_NE(thumb[0], Pixel(63, 47));
  EXPECT_EQ(thumb[11 * 16 + 15], Pixel(63, 47));
  std::vector<uint32_t> mosaic(16 * 12, 0);
  ASSERT_EQ(YelThumbnailCreateMosaic(mosaic.data(), 0, 16, 12, 1), 1);
  EXPECT_EQ(mosaic, thumb);
  EXPECT_EQ(YelThumbnailCreateMosaic(mosaic.data(), 0, 16, 12, 0), 1);  // block 0 as 1
  // A 2x2 image pixelated in blocks of 4 target pixels keeps its four colours.
  const uint32_t source[4] = {1, 2, 3, 4};
  std::vector<uint32_t> big(8 * 8, 0);
  ASSERT_EQ(YelThumbnailCreateMosaicEx(big.data(), 8, 8, source, 2, 2, 4), 1);
  EXPECT_EQ(big[0], 1u);
  EXPECT_EQ(big[7], 2u);
  EXPECT_EQ(big[63], 4u);
  system_.running = 0;
  EXPECT_EQ(YelThumbnailCreate(thumb.data(), 0, 16, 12), 0);
  YelSpriteRelease(render_, red);
}

}  // namespace
