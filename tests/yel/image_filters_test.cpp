// The sprite filters, the stretch and single-pixel access on small images.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <tuple>
#include <vector>

#include "YEL/graphics/pixel_routines.h"
#include "YEL/graphics/sprite.h"
#include "YEL/graphics/sprite_pixels.h"
#include "YEL/render/render.h"
#include "tests/yel/sprite_test_support.h"

namespace {

using Pixels = std::vector<uint32_t>;
constexpr uint32_t kBlack = 0xFF000000, kWhite = 0xFFFFFFFF;

class ImageFilterTest : public spritetest::DrawingFixture {
 protected:
  void TearDown() override {
    for (YelSprite* sprite : made_) YelSpriteRelease(render_, sprite);
    DrawingFixture::TearDown();
  }
  YelSprite* Make(int32_t width, int32_t height, const Pixels& pixels) {
    const std::string image = spritetest::GeRaw(width, height, pixels);
    YelSprite* sprite = YelSpriteLoadMemory(render_, "filter", image.data(),
                                            static_cast<uint32_t>(image.size()), 0);
    EXPECT_NE(sprite, nullptr);
    if (sprite) made_.push_back(sprite);
    return sprite;
  }
  YelSprite* Filled(int32_t width, int32_t height, uint32_t colour) {
    return Make(width, height, Pixels(static_cast<size_t>(width) * height, colour));
  }
  // A black square with one white pixel in the middle.
  YelSprite* Dot(int32_t side) {
    Pixels pixels(static_cast<size_t>(side) * side, kBlack);
    pixels[static_cast<size_t>(side / 2) * side + side / 2] = kWhite;
    return Make(side, side, pixels);
  }
  static Pixels Read(YelSprite* sprite) {
    int32_t w = 0, h = 0;
    const uint32_t* p = yel::TextureLockPixels(sprite->texture, &w, &h);
    Pixels out(p, p + static_cast<size_t>(w) * h);
    yel::TextureUnlockPixels(sprite->texture, false);
    return out;
  }
  std::vector<YelSprite*> made_;
};

TEST_F(ImageFilterTest, BoxBlurOfRadiusOneSpreadsADotIntoANinthOnThreeByThree) {
  YelSprite* source = Dot(5);
  YelSprite* target = Filled(5, 5, 0);
  ASSERT_EQ(YelBoxBlurFilter(target, source, 1, 1, 1), 1);
  const Pixels out = Read(target);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x) {
      const bool inside = std::abs(x - 2) <= 1 && std::abs(y - 2) <= 1;
      EXPECT_EQ(out[y * 5 + x], inside ? 0xFF1C1C1Cu : kBlack) << x << "," << y;
    }
  }
}

TEST_F(ImageFilterTest, BoxBlurOfRadiusZeroOrNoPassesLeavesTheImage) {
  YelSprite* source = Make(3, 2, {1, 0x80FF0000, 3, 0xFF00FF00, 5, 0x12345678});
  for (auto [rx, ry, passes] : {std::tuple{0, 0, 3}, {2, 2, 0}, {-4, 0, 1}}) {
    YelSprite* target = Filled(3, 2, 0xDEADBEEF);
    ASSERT_EQ(YelBoxBlurFilter(target, source, rx, ry, passes), 1);
    EXPECT_EQ(Read(target), Read(source)) << rx << " " << ry << " " << passes;
  }
}

TEST_F(ImageFilterTest, FiltersRefuseMismatchedCellsAndNullSprites) {
  YelSprite* small = Filled(4, 4, kWhite);
  YelSprite* large = Filled(6, 4, 0x11223344);
  const Pixels before = Read(large);
  EXPECT_EQ(YelBoxBlurFilter(large, small, 1, 1, 1), 0);
  EXPECT_EQ(YelGaussianBlurFilter(large, small, 2), 0);
  EXPECT_EQ(YelMotionBlurFilter(large, small, 2, 0.0, 1), 0);
  EXPECT_EQ(YelAlphaCopyFilter(large, small, 255), 0);
  EXPECT_EQ(Read(large), before);
  EXPECT_EQ(YelBoxBlurFilter(nullptr, small, 1, 1, 1), 0);
  EXPECT_EQ(YelAlphaCopyFilter(small, nullptr, 255), 0);
  EXPECT_EQ(YelGaussianBlurFilter(small, small, 8), 0);
  EXPECT_EQ(StretchImage(nullptr, small, 0), 0);
}

TEST_F(ImageFilterTest, MotionBlurAtAngleZeroStaysInTheRow) {
  YelSprite* source = Dot(7);
  YelSprite* target = Filled(7, 7, 0);
  ASSERT_EQ(YelMotionBlurFilter(target, source, 2, 0.0, 1), 1);
  const Pixels out = Read(target);
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 7; ++x) {
      const uint32_t colour = out[y * 7 + x] & 0xFFFFFF;
      const bool reached = y == 3 && x >= 2 && x <= 5;
      if (!reached) {
        EXPECT_EQ(colour, 0u) << x << "," << y;
      }
    }
  }
  // Four samples from x - 2 to x + 1: the dot reaches the pixels left of it by one and right of
  // it by two, a quarter of its weight each time.
  for (int x : {2, 3, 4, 5}) EXPECT_EQ(out[3 * 7 + x], 0xFF3F3F3Fu) << x;
  // Samples outside the image are transparent: three of four inside give alpha 765 / 4.
  EXPECT_EQ(out[3 * 7 + 6], 0xBF000000u);
}

TEST_F(ImageFilterTest, AlphaCopyTintsByTheSourceColourWord) {
  // One pixel per kind: transparent, opaque, half transparent.
  YelSprite* source = Make(3, 1, {0x00FFFFFF, 0xFF804020, 0x80FFFFFF});
  YelSprite* target = Filled(3, 1, 0x12345678);
  YelSpriteSetColor(source, 0xFFFF8000);  // tint: red full, green half, blue none
  ASSERT_EQ(YelAlphaCopyFilter(target, source, 255), 1);
  const Pixels out = Read(target);
  EXPECT_EQ(out[0], 0u);
  // red (0x80 x 255 + 255) / 256 = 0x80, green (0x40 x 128 + 255) / 256 = 0x20, blue 0
  EXPECT_EQ(out[1], 0xFF802000u);
  // then times alpha 0x80: (0x80 x 0xFF + 255) / 256 = 0x80, (0x80 x 0x80 + 255) / 256 = 0x40
  EXPECT_EQ(out[2], 0x80804000u);
  ASSERT_EQ(YelAlphaCopyFilter(target, source, 0), 1);
  EXPECT_EQ(Read(target), Pixels(3, 0u));
}

// A texture wider than the cell: rows are read and written at the texture's row length.
TEST_F(ImageFilterTest, CellAreasFollowTheTexturesRowLength) {
  YelSprite* source = Make(4, 2, {kWhite, kWhite, 1, 1, 0xFF0000FF, 0xFF0000FF, 1, 1});
  YelSprite* target = Filled(4, 2, 7);
  for (YelSprite* s : {source, target}) ASSERT_EQ(YelSpriteSetOffsetRect(s, 2, 2), 1);
  ASSERT_EQ(YelAlphaCopyFilter(target, source, 255), 1);
  EXPECT_EQ(Read(target), (Pixels{kWhite, kWhite, 7, 7, 0xFF0000FF, 0xFF0000FF, 7, 7}));
  // Two samples, the pixel and its left neighbour; the one left of the image is transparent.
  ASSERT_EQ(YelMotionBlurFilter(target, source, 1, 0.0, 1), 1);
  EXPECT_EQ(Read(target), (Pixels{0x7FFFFFFF, kWhite, 7, 7, 0x7F0000FF, 0xFF0000FF, 7, 7}));
}

TEST_F(ImageFilterTest, StretchDoublesByModeAndCopiesEqualSizes) {
  YelSprite* source = Make(2, 1, {0xFF000000, 0xFF0000FE});
  YelSprite* nearest = Filled(4, 2, 0);
  ASSERT_EQ(StretchImage(nearest, source, 0), 1);
  EXPECT_EQ(Read(nearest), (Pixels{0xFF000000, 0xFF000000, 0xFF0000FE, 0xFF0000FE, 0xFF000000,
                                   0xFF000000, 0xFF0000FE, 0xFF0000FE}));
  YelSprite* smooth = Filled(4, 2, 0);
  ASSERT_EQ(StretchImage(smooth, source, 2), 1);
  EXPECT_EQ(Read(smooth)[1], 0xFF00007Fu);  // half way between the two
  YelSprite* same = Filled(2, 1, 0);
  ASSERT_EQ(StretchImage(same, source, 7), 1);
  EXPECT_EQ(Read(same), Read(source));
}

TEST_F(ImageFilterTest, SinglePixelsOnlyInsideTheCell) {
  YelSprite* sprite = Filled(4, 3, kBlack);
  YelSetPixel(sprite, 3, 2, 0x01020304);
  EXPECT_EQ(YelGetPixel(sprite, 3, 2), 0x01020304u);
  for (auto [x, y] : {std::pair{4, 0}, {0, 3}, {-1, 0}, {0, -1}}) {
    YelSetPixel(sprite, x, y, kWhite);
    EXPECT_EQ(YelGetPixel(sprite, x, y), 0u) << x << "," << y;
  }
  EXPECT_EQ(YelGetPixel(nullptr, 0, 0), 0u);
  const Pixels pixels = Read(sprite);
  EXPECT_EQ(std::count(pixels.begin(), pixels.end(), kWhite), 0);
}

// The release the filters compute under: on the work thread the render lock is free inside it
// and held again after it; on any other thread it stays held.
TEST_F(ImageFilterTest, TheWorkThreadLeavesTheRenderLockWhileAFilterComputes) {
  std::mutex m;
  std::condition_variable cv;
  bool released = false, looked = false;
  std::thread work([&] {
    yel::Process().work_thread_id = std::this_thread::get_id();
    YelRenderLockEnter();
    {
      yel::WorkThreadLockRelease release;
      std::unique_lock lock(m);
      released = true;
      cv.notify_all();
      cv.wait(lock, [&] { return looked; });
    }
    EXPECT_EQ(YelRenderLockIsBusy(), 0);  // this thread holds it again: the lock is re-entrant
    YelRenderLockLeave();
  });
  {
    std::unique_lock lock(m);
    cv.wait(lock, [&] { return released; });
  }
  EXPECT_TRUE(render_->lock.try_lock());  // the work thread is parked inside the release
  render_->lock.unlock();
  {
    std::lock_guard lock(m);
    looked = true;
  }
  cv.notify_all();
  work.join();
  yel::Process().work_thread_id = std::thread::id();

  // Not the work thread: the lock stays with this thread.
  YelRenderLockEnter();
  {
    yel::WorkThreadLockRelease release;
    std::thread other([&] { EXPECT_EQ(YelRenderLockIsBusy(), 1); });
    other.join();
  }
  YelRenderLockLeave();
}

}  // namespace
