// Movies decoded into a texture slot: frames appear in order at their presentation times on a
// frame clock the test moves, the end is reported once, and damaged files are refused.
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "YEL/media/movie_decoder.h"
#include "YEL/media/movie_player.h"
#include "tests/yel/file_test_support.h"
#include "tests/yel/movie_test_support.h"
#include "tests/yel/sprite_test_support.h"

namespace {

namespace fs = std::filesystem;
using movietest::ClipRecipe;
using movietest::Kind;
using movietest::Near;

class MoviePlayerTest : public spritetest::DrawingFixture {
 protected:
  void SetUp() override {
    DrawingFixture::SetUp();
    folder_.Start("yel_movie_");
    system_.frame_time = 1000;
  }
  void TearDown() override {
    folder_.End();
    DrawingFixture::TearDown();
  }

  std::string Make(const char* name, const ClipRecipe& recipe) {
    const std::string path = (folder_.path() / name).string();
    EXPECT_TRUE(movietest::EncodeMovie(path, recipe)) << name;
    return path;
  }

  // Waits (on the player's change counter, never by sleeping) until `done` holds.
  template <typename Done>
  bool WaitFor(yel::MoviePlayer& player, Done done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    uint64_t seen = player.Changes();
    while (!done()) {
      if (std::chrono::steady_clock::now() > limit) return false;
      seen = player.WaitForChange(seen, 100);
    }
    return true;
  }

  uint32_t TexturePixel(YelTexture* texture, int x, int y) {
    int32_t width = 0, height = 0;
    uint32_t* pixels = yel::TextureLockPixels(texture, &width, &height);
    const uint32_t value = pixels ? pixels[y * width + x] : 0;
    yel::TextureUnlockPixels(texture, false);
    return value;
  }

  filetest::TempBaseFolder folder_;
};

TEST_F(MoviePlayerTest, FramesAppearInOrderAtTheirTimesAndTheEndIsReportedOnce) {
  for (Kind kind : {Kind::kMpeg1, Kind::kWmv}) {
    SCOPED_TRACE(kind == Kind::kMpeg1 ? "mpeg-1" : "wmv");
    ClipRecipe recipe;
    recipe.kind = kind;
    recipe.colours = movietest::FrameColours(6);
    Make(kind == Kind::kMpeg1 ? "clip.mpg" : "clip.wmv", recipe);
    std::string error;
    auto decoder = yel::MovieDecoder::Open(kind == Kind::kMpeg1 ? "CLIP.MPG" : "CLIP.WMV", error);
    ASSERT_NE(decoder, nullptr) << error;
    EXPECT_EQ(decoder->Width(), 64);
    EXPECT_EQ(decoder->Height(), 48);
    EXPECT_TRUE(decoder->HasAudio());
    YelTexture* texture = renderer_->TextureCreate(64, 48);
    ASSERT_NE(texture, nullptr);
    {
      yel::MoviePlayer player(std::move(decoder), texture, false);
      ASSERT_TRUE(player.Run());
      for (uint32_t frame = 0; frame < recipe.colours.size(); ++frame) {
        ASSERT_TRUE(WaitFor(player, [&] { return player.FramesShown() > frame; })) << frame;
        // Frame n is due at n x 40 ms: the clock stands there, so no later frame may show.
        EXPECT_EQ(player.FramesShown(), frame + 1);
        EXPECT_TRUE(Near(TexturePixel(texture, 10, 10), recipe.colours[frame]))
            << frame << " " << std::hex << TexturePixel(texture, 10, 10);
        EXPECT_FALSE(player.TakeCompleted());
        system_.frame_time += 40;
      }
      system_.frame_time += 1000;
      ASSERT_TRUE(WaitFor(player, [&] { return player.TakeCompleted(); }));
      EXPECT_FALSE(player.TakeCompleted()) << "reported once";
      player.Stop();
      // The last frame stays in the texture.
      EXPECT_TRUE(Near(TexturePixel(texture, 10, 10), recipe.colours.back()));
    }
    renderer_->TextureRelease(texture);
  }
}

TEST_F(MoviePlayerTest, MissingAndDamagedFilesAreRefusedWithAReason) {
  ClipRecipe recipe;
  recipe.colours = movietest::FrameColours(4);
  const std::string path = Make("good.mpg", recipe);
  std::ifstream in(path, std::ios::binary);
  const std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

  std::string error;
  EXPECT_EQ(yel::MovieDecoder::Open("NOPE.MPG", error), nullptr);
  EXPECT_EQ(error, "file not found");
  filetest::WriteFile(folder_.path() / "text.mpg", "this is not a movie at all");
  EXPECT_EQ(yel::MovieDecoder::Open("TEXT.MPG", error), nullptr);
  EXPECT_FALSE(error.empty());
  filetest::WriteFile(folder_.path() / "empty.mpg", "");
  EXPECT_EQ(yel::MovieDecoder::Open("EMPTY.MPG", error), nullptr);

  // Truncated, bit-flipped and random files: each is refused or plays to an end, never faults.
  std::mt19937 rng(23);
  YelTexture* texture = renderer_->TextureCreate(64, 48);
  int played = 0;
  for (int round = 0; round < 24; ++round) {
    std::string bytes = good;
    if (round % 3 == 0) bytes.resize(rng() % bytes.size());
    if (round % 3 == 1) {
      for (int i = 0; i < 40; ++i)
        bytes[rng() % bytes.size()] ^= static_cast<char>(1 << (rng() % 8));
    }
    if (round % 3 == 2) {
      for (size_t i = 64 + rng() % 512; i < bytes.size(); ++i) bytes[i] = static_cast<char>(rng());
    }
    filetest::WriteFile(folder_.path() / "bad.mpg", bytes);
    auto decoder = yel::MovieDecoder::Open("BAD.MPG", error);
    if (!decoder) continue;
    ++played;
    yel::MoviePlayer player(std::move(decoder), texture, false);
    ASSERT_TRUE(player.Run());
    system_.frame_time += 100000;  // every frame is due at once
    ASSERT_TRUE(WaitFor(player, [&] { return player.TakeCompleted() || player.Failed(); }));
  }
  EXPECT_GT(played, 0) << "some damaged files still open and must play without fault";
  renderer_->TextureRelease(texture);
}

}  // namespace
