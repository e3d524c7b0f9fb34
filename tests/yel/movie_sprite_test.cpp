// Movie sprites through the exports: the pictures reach the sprite in order, the end gives
// state 6 with the last picture kept, a loop restarts at its loop point, a movie inside a ".pac"
// archive plays like a plain file, and the sound goes through the mixer at the set volume.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "YEL/graphics/sprite.h"
#include "YEL/media/movie.h"
#include "YEL/media/sound_system.h"
#include "YEL/media/video.h"
#include "YEL/render/render.h"
#include "tests/yel/file_test_support.h"
#include "tests/yel/movie_test_support.h"
#include "tests/yel/sprite_test_support.h"

namespace {

using movietest::ClipRecipe;
using movietest::Near;

class MovieSpriteTest : public spritetest::DrawingFixture {
 protected:
  void SetUp() override {
    DrawingFixture::SetUp();
    folder_.Start("yel_msprite_");
    system_.frame_time = 1000;
    system_.param.debug = 1;
    system_.error_log = std::tmpfile();
    recipe_.colours = movietest::FrameColours(6);
  }
  void TearDown() override {
    folder_.End();
    std::fclose(system_.error_log);
    system_.error_log = nullptr;
    DrawingFixture::TearDown();
  }

  void Make(const std::filesystem::path& path, const ClipRecipe& recipe) {
    std::filesystem::create_directories(path.parent_path());
    ASSERT_TRUE(movietest::EncodeMovie(path.string(), recipe));
  }
  YelSprite* Load(const char* name) {
    YelSprite* sprite = YelMSpriteLoad(render_, name, 10);
    if (sprite) YelSpriteViewCtrl(sprite, 1);
    return sprite;
  }
  static yel::MoviePlayer& Player(YelSprite* sprite) {
    return *static_cast<YelMovie*>(sprite->movie)->player;
  }
  // Waits on the player's change counter (never by sleeping) until `done` holds.
  template <typename Done>
  bool WaitFor(YelSprite* sprite, Done done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    uint64_t seen = Player(sprite).Changes();
    while (!done()) {
      if (std::chrono::steady_clock::now() > limit) return false;
      seen = Player(sprite).WaitForChange(seen, 100);
    }
    return true;
  }
  bool FirstFrame(YelSprite* sprite) {
    return WaitFor(sprite, [&] { return Player(sprite).FramesShown() == 1; });
  }
  // Moves the clock to the next frame's time and waits until the sprite has it.
  bool NextFrame(YelSprite* sprite) {
    const uint32_t shown = Player(sprite).FramesShown();
    system_.frame_time += 40;
    return WaitFor(sprite, [&] { return Player(sprite).FramesShown() > shown; });
  }
  std::string Log() { return filetest::ReadLog(system_.error_log); }

  filetest::TempBaseFolder folder_;
  ClipRecipe recipe_;
};

TEST_F(MovieSpriteTest, PicturesReachTheSpriteInOrderAndTheEndGivesStateSix) {
  Make(folder_.path() / "clip.mpg", recipe_);
  YelSprite* sprite = Load("CLIP.MPG");
  ASSERT_NE(sprite, nullptr);
  EXPECT_EQ(YelSpriteGetWidth(sprite), 64);
  EXPECT_EQ(YelSpriteGetHeight(sprite), 48);
  EXPECT_EQ(YelMSpriteCheck(sprite), 1);
  EXPECT_EQ(YelMSpriteGetState(sprite), 0u);
  ASSERT_EQ(YelMSpritePlay(sprite, 0), 1);
  EXPECT_EQ(YelMSpriteGetState(sprite), 1u);
  EXPECT_EQ(YelMSpriteIsLoop(sprite), 0);
  ASSERT_TRUE(FirstFrame(sprite));
  for (size_t frame = 0; frame < recipe_.colours.size(); ++frame) {
    Present();
    EXPECT_TRUE(Near(Pixel(20, 20), recipe_.colours[frame])) << frame << std::hex << Pixel(20, 20);
    EXPECT_EQ(YelMSpriteGetState(sprite), 1u);
    if (frame + 1 < recipe_.colours.size()) {
      ASSERT_TRUE(NextFrame(sprite)) << frame;
    }
  }
  system_.frame_time += 40;  // the last picture's length has passed
  // The draw takes the end of the run.
  ASSERT_TRUE(WaitFor(sprite, [&] {
    Present();
    return YelMSpriteGetState(sprite) == 6u;
  }));
  EXPECT_EQ(YelMSpriteGetState(sprite), 6u);
  Present();
  EXPECT_TRUE(Near(Pixel(20, 20), recipe_.colours.back())) << "the last picture stays";
  EXPECT_EQ(YelMSpriteStop(sprite), 1);
  EXPECT_EQ(YelMSpriteGetState(sprite), 6u) << "a stopped movie's stop changes nothing";
  EXPECT_EQ(YelSpriteRelease(render_, sprite), 1);
}

TEST_F(MovieSpriteTest, ALoopRestartsAtItsLoopPointAndStaysPlaying) {
  Make(folder_.path() / "clip.mpg", recipe_);
  YelSprite* sprite = Load("CLIP.MPG");
  ASSERT_NE(sprite, nullptr);
  EXPECT_EQ(YelMSpriteSetLoopPoint(sprite, 80, 0), 1);
  ASSERT_EQ(YelMSpritePlay(sprite, 1), 1);
  EXPECT_EQ(YelMSpriteIsLoop(sprite), 1);
  ASSERT_TRUE(FirstFrame(sprite));
  for (size_t frame = 1; frame < recipe_.colours.size(); ++frame) ASSERT_TRUE(NextFrame(sprite));
  const uint32_t before = Player(sprite).FramesShown();
  system_.frame_time += 40;
  // The draw sees the end and runs the movie again from 80 ms: the third picture.
  ASSERT_TRUE(WaitFor(sprite, [&] {
    Present();
    return Player(sprite).FramesShown() > before;
  }));
  EXPECT_EQ(YelMSpriteGetState(sprite), 1u);
  Present();
  EXPECT_TRUE(Near(Pixel(20, 20), recipe_.colours[2])) << std::hex << Pixel(20, 20);
  EXPECT_EQ(YelMSpriteStop(sprite), 1);
  EXPECT_EQ(YelMSpriteGetState(sprite), 2u);
  EXPECT_EQ(YelSpriteRelease(render_, sprite), 1);
}

TEST_F(MovieSpriteTest, AMovieInsideAnArchivePlaysLikeAPlainFile) {
  Make(folder_.path() / "src" / "packed.mpg", recipe_);
  filetest::WriteFile(folder_.path() / "src" / "before.bin", std::string(777, 'x'));
  ASSERT_EQ(filetest::RunPacBuilder(
                {(folder_.path() / "src").string(), (folder_.path() / "P.pac").string()}),
            0);
  std::filesystem::remove_all(folder_.path() / "src");
  ASSERT_EQ(YelSystemPathSet("P"), 1);
  YelSprite* sprite = Load("PACKED.MPG");
  ASSERT_NE(sprite, nullptr) << Log();
  ASSERT_EQ(YelMSpritePlay(sprite, 0), 1);
  ASSERT_TRUE(FirstFrame(sprite));
  for (size_t frame = 1; frame < recipe_.colours.size(); ++frame) ASSERT_TRUE(NextFrame(sprite));
  Present();
  EXPECT_TRUE(Near(Pixel(20, 20), recipe_.colours.back()));
  // The end of the library stops a movie a game left playing.
  ASSERT_TRUE(Player(sprite).Running());
  yel::VideoRelease(system_);
  EXPECT_FALSE(Player(sprite).Running());
  EXPECT_EQ(YelSpriteRelease(render_, sprite), 1);
}

TEST_F(MovieSpriteTest, RefusalsAndNullHandles) {
  EXPECT_EQ(YelMSpriteLoad(nullptr, "CLIP.MPG", 0), nullptr);
  EXPECT_EQ(YelMSpriteLoad(render_, "MISSING.MPG", 0), nullptr);
  EXPECT_NE(Log().find("Movie : MISSING.MPG : file not found"), std::string::npos) << Log();
  filetest::WriteFile(folder_.path() / "junk.mpg", std::string(5000, '\x47'));
  EXPECT_EQ(YelMSpriteLoad(render_, "JUNK.MPG", 0), nullptr);

  yel::SetLastError(0);
  for (auto call :
       {+[] { return YelMSpritePlay(nullptr, 0); }, +[] { return YelMSpriteStop(nullptr); },
        +[] { return YelMSpritePause(nullptr); }, +[] { return YelMSpriteSetLoop(nullptr, 1); },
        +[] { return YelMSpriteSetLoopPoint(nullptr, 1, 2); },
        +[] { return static_cast<int>(YelMSpriteGetState(nullptr)); },
        +[] { return YelMSpriteIsLoop(nullptr); }, +[] { return YelMSpriteCheck(nullptr); },
        +[] { return YelMSpriteLock(nullptr); }, +[] { return YelMSpriteUnlock(nullptr); },
        +[] { return YelMSpriteSetVolume(nullptr, 50); }}) {
    EXPECT_EQ(call(), 0);
    EXPECT_EQ(yel::GetLastError(), yel::ERROR_INVALID_HANDLE);
    yel::SetLastError(0);
  }

  // An ordinary sprite is not a movie; a size record of a movie has its picture size.
  YelSprite* square = Square(8, 0xFF123456, 1);
  EXPECT_EQ(YelMSpriteCheck(square), 0);
  EXPECT_EQ(YelMSpritePlay(square, 0), 0);
  YelSpriteRelease(render_, square);
  ClipRecipe wide = recipe_;
  wide.width = 96;
  Make(folder_.path() / "wide.mpg", wide);
  YelSprite* info = YelMSpriteInfoCreate("WIDE.MPG", 1, 1, 3);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(YelSpriteGetWidth(info), 96);
  EXPECT_EQ(YelSpriteGetHeight(info), 48);
  YelMemoryFree(info);
  EXPECT_EQ(YelMSpriteInfoCreate("MISSING.MPG", 1, 1, 3), nullptr);
}

double Loudness(const std::vector<int16_t>& samples) {
  double sum = 0;
  for (int16_t s : samples) sum += static_cast<double>(s) * s;
  return samples.empty() ? 0 : std::sqrt(sum / samples.size());
}

TEST_F(MovieSpriteTest, SoundPlaysThroughTheMixerAtTheSetVolume) {
  ASSERT_TRUE(yel::SoundStart(os::OpenNullAudioDevice));
  YelSoundSetVolume(10000, 4);  // the sound type of movie sprites
  ClipRecipe silent = recipe_;
  silent.sound = false;
  Make(folder_.path() / "silent.mpg", silent);
  Make(folder_.path() / "tone.mpg", recipe_);
  YelSprite* quiet = Load("SILENT.MPG");
  ASSERT_NE(quiet, nullptr);
  EXPECT_EQ(YelMSpriteSetVolume(quiet, 50), 0) << "a movie without sound has no volume";
  EXPECT_EQ(YelMSpriteSetVolumeEx(quiet, 50), 0);
  YelSpriteRelease(render_, quiet);

  YelSprite* sprite = Load("TONE.MPG");
  ASSERT_NE(sprite, nullptr);
  ASSERT_EQ(YelMSpritePlay(sprite, 0), 1);
  ASSERT_TRUE(FirstFrame(sprite));
  // Without a device pulling the mix the frame clock times the movie; the test pulls the mix.
  // By the last picture the whole sound has been decoded and queued.
  for (size_t frame = 1; frame < recipe_.colours.size(); ++frame) ASSERT_TRUE(NextFrame(sprite));
  yel::SoundSystem* sound = yel::Sound();
  ASSERT_TRUE(Player(sprite).HasSound());
  std::vector<int16_t> mix(2 * 4410);
  sound->mixer.Mix(mix.data(), 4410);
  EXPECT_GT(Loudness(mix), 3000.0) << "the tone plays";
  EXPECT_EQ(YelMSpriteSetVolume(sprite, 0), 1);
  sound->mixer.Mix(mix.data(), 2205);
  mix.resize(2 * 2205);
  EXPECT_EQ(Loudness(mix), 0.0) << "volume 0 is silence";
  YelSpriteRelease(render_, sprite);
  yel::SoundStop();
}

}  // namespace
