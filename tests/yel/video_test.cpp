// Full-screen video: which names play, the picture over the game area, the end and the skip
// keys reported to the window's queue and handled there, and the fade-out.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "YEL/input/input_state.h"
#include "YEL/media/sound_system.h"
#include "YEL/media/video.h"
#include "YEL/window/private_messages.h"
#include "tests/yel/file_test_support.h"
#include "tests/yel/movie_test_support.h"
#include "tests/yel/sprite_test_support.h"

namespace {

using movietest::ClipRecipe;
using movietest::Kind;
using movietest::Near;

class VideoTest : public spritetest::DrawingFixture {
 protected:
  void SetUp() override {
    DrawingFixture::SetUp();
    folder_.Start("yel_video_");
    system_.frame_time = 1000;
    system_.param.debug = 1;
    system_.error_log = std::tmpfile();
    system_.param.game_width = kGameWidth;
    system_.param.game_height = kGameHeight;
    system_.ui_queue = std::make_shared<os::MessageQueue>();
    YelEffectEnable(0);
    recipe_.colours = movietest::FrameColours(4);
    recipe_.width = 32;  // drawn scaled up to the 64 x 48 game area
    recipe_.height = 32;
    ASSERT_TRUE(movietest::EncodeMovie((folder_.path() / "clip.mpg").string(), recipe_));
  }
  void TearDown() override {
    if (system_.movie.load()) {  // a failed test leaves no player behind
      YelInputSetKeyPush(yel::kKeyEsc);
      yel::VideoStep(system_);
      HandleNotice();
    }
    YelEffectEnable(1);
    folder_.End();
    std::fclose(system_.error_log);
    system_.error_log = nullptr;
    DrawingFixture::TearDown();
  }

  // Waits (on the queue, never by sleeping) for the video's notice and lets the window's
  // handler take it, as the UI thread does; false when none came.
  bool HandleNotice() {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    os::Message m;
    for (;;) {
      while (system_.ui_queue->Peek(m)) {
        if (yel::AsWindowMessage(m) == yel::WindowMessage::WM_YEL_GRAPHNOTIFY) {
          yel::VideoHandleEvents(system_);
          while (system_.ui_queue->Peek(m)) {
          }  // the cursor's return, posted by the stop
          return true;
        }
      }
      if (std::chrono::steady_clock::now() > limit) return false;
      system_.ui_queue->Wait(100);
    }
  }
  // Steps frames until the game area's centre shows `rgb` (the decode thread writes the
  // picture on its own time).
  bool StepUntilShown(uint32_t rgb) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < limit) {
      yel::VideoStep(system_);
      if (Near(Pixel(32, 24), rgb)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));  // the decoder's turn
    }
    return false;
  }
  std::string Log() { return filetest::ReadLog(system_.error_log); }

  filetest::TempBaseFolder folder_;
  ClipRecipe recipe_;
};

TEST_F(VideoTest, OnlyMpegAndWithTheFlagWmvNamesPlay) {
  ClipRecipe wmv = recipe_;
  wmv.kind = Kind::kWmv;
  ASSERT_TRUE(movietest::EncodeMovie((folder_.path() / "clip.wmv").string(), wmv));
  struct Case {
    const char* name;
    int32_t wmv_flag;
    int expected;
  } cases[] = {{"CLIP.AVI", 1, 0},    {"CLIP", 1, 0},     {"CLIP.WMV", 0, 0},
               {"MISSING.MPG", 1, 0}, {"clip.MpG", 0, 1}, {"CLIP.WMV", 1, 1}};
  for (const Case& c : cases) {
    system_.param.video_flag = c.wmv_flag;
    EXPECT_EQ(YelVideoPlay(c.name, 0), c.expected) << c.name;
    EXPECT_EQ(IsMovie(), c.expected) << c.name;
    if (c.expected) {
      YelInputSetKeyPush(yel::kKeyEsc);
      yel::VideoStep(system_);
      ASSERT_TRUE(HandleNotice());
      EXPECT_EQ(IsMovie(), 0);
    }
  }
  EXPECT_NE(Log().find("MISSING.MPG : file not found"), std::string::npos) << Log();
}

TEST_F(VideoTest, PlaysOverTheGameAreaToItsEnd) {
  ASSERT_EQ(YelVideoPlay("CLIP.MPG", 0), 1);
  ASSERT_TRUE(StepUntilShown(recipe_.colours[0]));
  // Scaled to the whole game area, corners included.
  EXPECT_TRUE(Near(Pixel(0, 0), recipe_.colours[0]));
  EXPECT_TRUE(Near(Pixel(63, 47), recipe_.colours[0]));
  EXPECT_TRUE(Near(Pixel(63, 0), recipe_.colours[0]));
  EXPECT_TRUE(Near(Pixel(0, 47), recipe_.colours[0]));
  system_.frame_time += 100000;  // every picture is due, then the end
  ASSERT_TRUE(HandleNotice());
  EXPECT_EQ(IsMovie(), 0);
}

// A call that fails over a running video changes nothing: the old video keeps its player, its
// skip mode and the movie flag, and plays on to its end. One that succeeds replaces it.
TEST_F(VideoTest, AFailedPlayLeavesTheRunningVideoAsItWas) {
  ASSERT_EQ(YelVideoPlay("CLIP.MPG", 0), 1);
  ASSERT_TRUE(StepUntilShown(recipe_.colours[0]));
  for (const char* name : {"CLIP.AVI", "MISSING.MPG"}) {
    EXPECT_EQ(YelVideoPlay(name, 1), 0) << name;
    EXPECT_EQ(IsMovie(), 1) << name;
  }
  YelInputSetKeyPush(yel::kKeySpace);  // a skip key only in skip mode 1
  yel::VideoStep(system_);
  YelInputClear();
  EXPECT_FALSE(system_.ui_queue->HasPosted());
  system_.frame_time += 100000;
  ASSERT_TRUE(HandleNotice()) << "the old video reached its end";
  EXPECT_EQ(IsMovie(), 0);

  ASSERT_EQ(YelVideoPlay("CLIP.MPG", 0), 1);
  ASSERT_EQ(YelVideoPlay("CLIP.MPG", 1), 1);
  YelInputSetKeyPush(yel::kKeySpace);
  yel::VideoStep(system_);
  YelInputClear();
  ASSERT_TRUE(HandleNotice()) << "the new video's skip mode";
  EXPECT_EQ(IsMovie(), 0);
}

TEST_F(VideoTest, SkipKeysFollowTheSkipMode) {
  struct Case {
    int32_t skip_mode;
    uint32_t held;
    uint32_t pushed;
    bool skips;
  } cases[] = {
      {0, 0, yel::kKeySpace | yel::kKeyMouseLeft | yel::kKeyEnter, false},
      {0, 0, yel::kKeyEsc, true},
      {0, 0, yel::kKeyMouseRight, true},
      {1, 0, yel::kKeySpace, true},
      {1, 0, yel::kKeyMouseLeft, true},
      {1, yel::kKeyAlt | yel::kKeyEnter, yel::kKeyEnter, false},  // the window-mode key
  };
  for (const Case& c : cases) {
    ASSERT_EQ(YelVideoPlay("CLIP.MPG", c.skip_mode), 1);
    YelInputSetKeyOn(c.held);
    YelInputSetKeyPush(c.pushed);
    yel::VideoStep(system_);
    YelInputClear();
    EXPECT_EQ(system_.ui_queue->HasPosted(), c.skips) << c.skip_mode << " " << c.pushed;
    if (c.skips) {
      ASSERT_TRUE(HandleNotice());
      EXPECT_EQ(IsMovie(), 0);
      EXPECT_EQ(YelInputGetKeyPush(), 0u) << "the skip key is used up";
    } else {
      EXPECT_EQ(IsMovie(), 1);
      YelInputSetKeyPush(yel::kKeyEsc);
      yel::VideoStep(system_);
      ASSERT_TRUE(HandleNotice());
    }
  }
}

TEST_F(VideoTest, WithScreenEffectsASkipFadesOutOverASecond) {
  YelEffectEnable(1);
  ASSERT_EQ(YelVideoPlay("CLIP.MPG", 0), 1);
  ASSERT_TRUE(StepUntilShown(recipe_.colours[0]));
  YelInputSetKeyPush(yel::kKeyEsc);
  yel::VideoStep(system_);
  YelInputClear();
  EXPECT_FALSE(system_.ui_queue->HasPosted()) << "the fade runs first";
  // Half the fade: whichever picture is up by now (each has a full channel) at half strength.
  system_.frame_time += 500;
  yel::VideoStep(system_);
  const uint32_t pixel = Pixel(32, 24);
  const uint32_t strongest = std::max({pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF});
  EXPECT_GT(strongest, 90u) << std::hex << pixel;
  EXPECT_LT(strongest, 170u) << std::hex << pixel;
  EXPECT_EQ(IsMovie(), 1);
  system_.frame_time += 600;
  yel::VideoStep(system_);
  ASSERT_TRUE(HandleNotice());
  EXPECT_EQ(IsMovie(), 0);
}

double Loudness(const std::vector<int16_t>& samples) {
  double sum = 0;
  for (int16_t s : samples) sum += static_cast<double>(s) * s;
  return samples.empty() ? 0 : std::sqrt(sum / samples.size());
}

// The fade scales the loudness, not the decibels: halfway the sound is half as loud (-6 dB).
TEST_F(VideoTest, TheFadeOutLowersTheSoundWithThePicture) {
  ClipRecipe longer = recipe_;
  longer.colours.assign(25, 0xFF0000);
  longer.colours[20] = 0x00FF00;  // the picture at 800 ms
  ASSERT_TRUE(movietest::EncodeMovie((folder_.path() / "long.mpg").string(), longer));
  ASSERT_TRUE(yel::SoundStart(os::OpenNullAudioDevice));
  YelSoundSetVolume(10000, 3);  // the video follows the type-3 volume by default
  YelEffectEnable(1);
  ASSERT_EQ(YelVideoPlay("LONG.MPG", 0), 1);
  ASSERT_TRUE(StepUntilShown(longer.colours[0]));
  // Most of the sound is decoded once the pictures up to 800 ms are.
  system_.frame_time += 800;
  ASSERT_TRUE(StepUntilShown(longer.colours[20]));
  yel::SoundSystem* sound = yel::Sound();
  std::vector<int16_t> mix(2 * 2000);
  sound->mixer.Mix(mix.data(), 2000);  // past the coder's quiet start
  mix.assign(2 * 2000, 0);
  sound->mixer.Mix(mix.data(), 2000);
  const double full = Loudness(mix);
  EXPECT_GT(full, 3000.0);
  YelInputSetKeyPush(yel::kKeyEsc);
  yel::VideoStep(system_);
  YelInputClear();
  system_.frame_time += 500;
  yel::VideoStep(system_);
  mix.assign(2 * 2000, 0);
  sound->mixer.Mix(mix.data(), 2000);
  EXPECT_NEAR(Loudness(mix) / full, 0.5, 0.1);
  system_.frame_time += 600;
  yel::VideoStep(system_);
  ASSERT_TRUE(HandleNotice());
  EXPECT_EQ(IsMovie(), 0);
  yel::SoundStop();
}

TEST_F(VideoTest, ADeviceChangeRestartsAtTheKeptPosition) {
  ASSERT_EQ(YelVideoPlay("CLIP.MPG", 0), 1);
  ASSERT_TRUE(StepUntilShown(recipe_.colours[0]));
  system_.frame_time += 80;
  ASSERT_TRUE(StepUntilShown(recipe_.colours[2]));
  yel::VideoStep(system_);  // keeps the position of the third picture
  yel::VideoSuspend(system_);
  EXPECT_EQ(IsMovie(), 1) << "the flag is kept through the change";
  yel::VideoResume(system_);
  EXPECT_EQ(IsMovie(), 1);
  // The clock stands still: the restarted video shows the kept picture, not the first one.
  ASSERT_TRUE(StepUntilShown(recipe_.colours[2]));
  EXPECT_FALSE(Near(Pixel(32, 24), recipe_.colours[0]));
  system_.frame_time += 100000;
  ASSERT_TRUE(HandleNotice());
  EXPECT_EQ(IsMovie(), 0);
}

TEST_F(VideoTest, ARestartThatCannotOpenTheFileLeavesTheVideoStopped) {
  ASSERT_EQ(YelVideoPlay("CLIP.MPG", 0), 1);
  ASSERT_TRUE(StepUntilShown(recipe_.colours[0]));
  std::filesystem::remove(folder_.path() / "clip.mpg");
  yel::VideoSuspend(system_);
  yel::VideoResume(system_);  // every try to open it again fails
  EXPECT_EQ(IsMovie(), 0);
  EXPECT_NE(Log().find("Video : Load"), std::string::npos) << Log();
  yel::VideoStep(system_);  // nothing left to step
}

}  // namespace
