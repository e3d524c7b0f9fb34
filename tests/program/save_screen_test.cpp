// What a save screen shows of its slots, through assembled scripts on the headless platform
// library: thumbnails drawn into layers, thumbnails made of an image file, and the slot texts
// drawn in the save font.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "program/layers/sprite_loader.h"
#include "program/savedata/snapshot_image.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"
#include "tests/program/frame_loop.h"
#include "tests/program/layer_fixture.h"
#include "tests/program/temp_folder.h"

namespace {

using test::ScriptMachine;

void PutWord(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

uint32_t WordAt(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

class SaveScreen : public test::LayerScripts {
 protected:
  void SetUp() override {
    LayerScripts::SetUp();
    adv::Startup().save_folder = folder_.path();
  }
  void TearDown() override {
    adv::Startup().save_folder.clear();
    LayerScripts::TearDown();
  }

  // A slot file that holds only what thumbnail_set reads: a width x height thumbnail whose pixel
  // i is `first` + i.
  void WriteThumbnailSlot(const std::string& name, int32_t width, int32_t height, uint32_t first) {
    const uint32_t count = static_cast<uint32_t>(width * height * 4);
    std::string bytes(adv::kImageThumbnailOffset + count, '\0');
    PutWord(bytes, adv::kImageThumbnailWidthOffset, static_cast<uint32_t>(width));
    PutWord(bytes, adv::kImageThumbnailHeightOffset, static_cast<uint32_t>(height));
    PutWord(bytes, adv::kImageThumbnailBytesOffset, count);
    for (uint32_t i = 0; i < count / 4; ++i) {
      PutWord(bytes, adv::kImageThumbnailOffset + 4 * i, first + i);
    }
    folder_.Write(name, bytes);
  }
  YelSpriteInfo Info(int n) {
    YelSpriteInfo info{};
    if (sprite(n)) yel::YelSpriteGetInfo(sprite(n), &info);
    return info;
  }

  test::TempFolder folder_;
};

// A thumbnail makes a sprite of its own on an empty layer, placed at (x, y); on a layer that
// shows an image it is copied into that image at (x, y), cut at its edges. Either shows with the
// next run.
TEST_F(SaveScreen, ThumbnailSetDrawsTheSlotsThumbnailIntoTheLayer) {
  constexpr uint32_t kFirst = 0xFF102030;
  WriteThumbnailSlot("save005.dat", 4, 3, kFirst);
  struct Case {
    const char* setup;
    int32_t x, y;
    int32_t width, height;                      // of the layer's sprite
    std::vector<std::array<int32_t, 3>> shown;  // screen x, y and the thumbnail pixel there
    uint32_t outside;                           // shown at (0, 0)
  };
  const Case kCases[] = {
      {"", 10, 20, 4, 3, {{10, 20, 0}, {13, 20, 3}, {10, 22, 8}, {13, 22, 11}}, 0},
      {"cmd sp_set_ex(f\"#FF0000FF\", 40, 0, 0, 0)\n",
       318,
       -1,
       kWidth,
       kHeight,
       {{318, 0, 4}, {319, 0, 5}, {318, 1, 8}, {319, 1, 9}},
       0xFF0000FF},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.setup);
    ScriptMachine& m =
        Load(std::string(c.setup) + "cmd thumbnail_set(40, 5, " + std::to_string(c.x) + ", " +
             std::to_string(c.y) + ")\ncmd run_no_wait()\n");
    m.Run();
    FrameEnd();
    ASSERT_NE(sprite(40), nullptr);
    EXPECT_EQ(Info(40).image_width, c.width);
    EXPECT_EQ(Info(40).image_height, c.height);
    for (const auto& [x, y, pixel] : c.shown) {
      EXPECT_EQ(Shown(x, y), kFirst + static_cast<uint32_t>(pixel)) << x << ", " << y;
    }
    EXPECT_EQ(Shown(0, 0), c.outside);
  }
}

// The slot texts are drawn in the save font, and the platform's font is as it was afterwards;
// the title takes only the save font's size.
TEST_F(SaveScreen, SlotTextsAreDrawnInTheSaveFont) {
  struct Case {
    const char* call;  // with L for the layer
    bool coloured;     // drawn in the save font's colour
  };
  const Case kCases[] = {
      {"get_save_date(L, 1, 0, 0, 0)", true},
      {"get_save_time(L, 1, 0, 0, 0)", true},
      {"get_save_text(L, 1, 0, 0)", true},
      {"save_get_title(L, 1, 0, 0)", false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.call);
    const auto call = [&c](int layer) {
      std::string text = c.call;
      text.replace(text.find('L'), 1, std::to_string(layer));
      return "cmd " + text + "\n";
    };
    ScriptMachine& m = Load(
        "cmd save_set_title(\"Slot one\")\n"
        "cmd save_set_text(\"Words of the slot\")\n"
        "cmd save_set_text_rect(400, 100)\n"
        "cmd save_point(0)\n"
        "cmd save(1, 0)\n"
        "cmd save_set_font_color(0xFF0000, 0xFF0000)\n"
        "cmd save_set_font_size(16)\n" +
        call(10) + "cmd save_set_font_size(64)\n" + call(11));
    yel::YelFontSetFontSize(24);
    yel::YelFontSetColor(0xFFFFFF, 0x000000);
    m.Run();
    ASSERT_NE(sprite(10), nullptr);
    ASSERT_NE(sprite(11), nullptr);
    EXPECT_GT(Info(11).image_height, Info(10).image_height * 2);
    EXPECT_EQ(yel::YelFontGetFontSize(), 24);
    uint32_t text = 0;
    uint32_t effect = 0;
    yel::YelFontGetColor(&text, &effect);
    EXPECT_EQ(text, 0xFFFFFFu);
    EXPECT_EQ(effect, 0u);
    // Some opaque pixel of the drawn text is red in the save font's colour, white otherwise.
    bool red = false;
    int32_t width = 0;
    int32_t height = 0;
    const uint32_t* pixels = yel::YelSpriteLock(sprite(11), &width, &height);
    ASSERT_NE(pixels, nullptr);
    for (int32_t i = 0; i < width * height && !red; ++i) {
      const uint32_t p = pixels[i];
      red =
          p >> 24 > 0xC0 && (p >> 16 & 0xFF) > 0xC0 && (p >> 8 & 0xFF) < 0x40 && (p & 0xFF) < 0x40;
    }
    yel::YelSpriteUnlock(sprite(11));
    EXPECT_EQ(red, c.coloured);
  }
}

// ---- In the running platform ----

constexpr uint32_t kThumbnailColour = 0xFF20C040;
constexpr int32_t kFrameWidth = 320;
constexpr int32_t kFrameHeight = 240;

// Called in each frame of the running library with the frame's number until it returns true.
std::function<bool(int)> g_on_frame;
int g_frame = 0;

int FrameStep(void*) {
  if (g_frame < 0) return 1;  // finished; the loop is stopping
  if (g_on_frame(g_frame)) {
    g_frame = -1;
    yel::YelEnd();
  } else {
    ++g_frame;
  }
  return 1;
}

int FrameFirstFunc() {
  YelRender* render = yel::YelRenderInit();
  yel::YelRenderSetActive(render);
  return yel::YelTaskCreate(FrameStep, nullptr, 16, nullptr, 1, nullptr, "SaveScreen") ? 1 : 0;
}

// Tests in the running library (YelRun), with the hardware or the software renderer.
class SaveScreenFrames : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
#ifdef YEL_SOFTWARE_RENDERER_ONLY
    // The checked builds: the running frame loop makes the offscreen window load the system's GL
    // driver, which is unloaded before the leak check can name what it kept.
    GTEST_SKIP() << "not in the sanitizer builds";
#endif
    ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
    adv::Startup().save_folder = folder_.path();
    adv::AdvWindowWidth = kFrameWidth;
    adv::AdvWindowHeight = kFrameHeight;
  }
  void TearDown() override {
    adv::Startup().save_folder.clear();
  }

  void Run(std::function<bool(int)> on_frame) {
    g_on_frame = std::move(on_frame);
    g_frame = 0;
    test::RunHiddenFrameLoop(GetParam(), kFrameWidth, kFrameHeight, FrameFirstFunc);
    g_on_frame = nullptr;
  }

  test::ScopedEnv video_{"SDL_VIDEODRIVER", "offscreen"};
  test::ScopedEnv audio_{"SDL_AUDIODRIVER", "dummy"};
  test::TempFolder folder_;
};

// A save screen's thumbnail is in the frame each renderer draws: the script draws and shows it
// in frame 0, frame 3 reads back what the frame before it drew.
TEST_P(SaveScreenFrames, TheThumbnailIsDrawn) {
  std::string bytes(adv::kImageThumbnailOffset + 8 * 6 * 4, '\0');
  PutWord(bytes, adv::kImageThumbnailWidthOffset, 8);
  PutWord(bytes, adv::kImageThumbnailHeightOffset, 6);
  PutWord(bytes, adv::kImageThumbnailBytesOffset, 8 * 6 * 4);
  for (uint32_t i = 0; i < 8 * 6; ++i) {
    PutWord(bytes, adv::kImageThumbnailOffset + 4 * i, kThumbnailColour);
  }
  folder_.Write("save005.dat", bytes);
  ScriptMachine machine("cmd thumbnail_set(40, 5, 100, 80)\ncmd run_no_wait()\n");
  ASSERT_TRUE(machine.loaded());
  bool captured = false;
  uint32_t inside = 0;   // the frame's pixel inside the thumbnail
  uint32_t outside = 0;  // and beside it
  Run([&](int frame) {
    adv::AdvContext& c = machine.context();
    if (frame == 3) {
      YelRender* render = yel::YelRenderGetActive();
      YelSprite* capture = yel::YelSpriteCreate(render, kFrameWidth, kFrameHeight, 0);
      captured = yel::YelSpriteBackBafferCopy(capture) != 0;
      inside = yel::YelGetPixel(capture, 103, 82);
      outside = yel::YelGetPixel(capture, 90, 82);
      yel::YelSpriteRelease(render, capture);
      adv::AdvLayerTableReset(c);
      adv::RunDisplayQueue(c);
      return true;
    }
    adv::AdvGraphicSlotClearFrameParts(c);
    if (frame == 0) machine.Run();
    adv::AdvLayerUpdate(c);
    adv::AdvGraphicSlotApplyAll(c);
    return false;
  });
  ASSERT_TRUE(captured);
  for (int shift : {0, 8, 16, 24}) {
    // The software renderer's blending may lose a few steps of a channel.
    EXPECT_NEAR(static_cast<int>(inside >> shift & 0xFF),
                static_cast<int>(kThumbnailColour >> shift & 0xFF), 8)
        << std::hex << inside;
  }
  EXPECT_EQ(outside & 0xFFFFFF, 0u);
}

// load_thumbnail makes the thumbnail of the saves that follow out of an image, scaled (or
// pixelated) to the thumbnail size; an image that cannot be loaded leaves it black.
TEST_P(SaveScreenFrames, LoadThumbnailScalesTheImageIntoTheSavedThumbnail) {
  constexpr int32_t kThumbWidth = 128;
  constexpr int32_t kThumbHeight = 72;
  constexpr size_t kCount = size_t{kThumbWidth} * kThumbHeight;
  struct Case {
    const char* file;
    int32_t mosaic;
  };
  const Case kCases[] = {{"BG02", 0}, {"BG02", 1}, {"NO_SUCH_IMAGE", 0}};
  std::vector<std::vector<uint32_t>> expected;
  std::vector<std::vector<uint32_t>> saved;
  Run([&](int) {
    yel::YelSystemPathSet((std::string(SAMPLE_GAME_DIR) + "/sample").c_str());
    ScriptMachine probe("nop\n");
    YelSprite* image = adv::AdvSpriteLoad(probe.context(), "BG02", kFrameWidth, kFrameHeight, 0);
    if (!image) return true;
    YelSpriteInfo info{};
    yel::YelSpriteGetInfo(image, &info);
    const int32_t width = info.image_width;
    const int32_t height = info.image_height;
    int32_t pitch = 0;
    int32_t rows = 0;
    const uint32_t* locked = yel::YelSpriteLock(image, &pitch, &rows);
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; locked && y < height && pitch >= width && rows >= height; ++y) {
      pixels.insert(pixels.end(), locked + y * pitch, locked + y * pitch + width);
    }
    yel::YelSpriteUnlock(image);
    yel::YelSpriteRelease(yel::YelRenderGetActive(), image);
    if (pixels.empty()) return true;
    std::vector<uint32_t> scaled(kCount);
    std::vector<uint32_t> mosaic(kCount);
    yel::YelThumbnailCreateEx(scaled.data(), kThumbWidth, kThumbHeight, pixels.data(), width,
                              height);
    yel::YelThumbnailCreateMosaicEx(mosaic.data(), kThumbWidth, kThumbHeight, pixels.data(), width,
                                    height, 6);
    expected = {scaled, mosaic, std::vector<uint32_t>(kCount, 0)};
    for (const Case& c : kCases) {
      ScriptMachine m("cmd save_set_thumbnail_size(128, 72)\ncmd save_thumbnail_mosaic_set(" +
                      std::to_string(c.mosaic) + ")\ncmd load_thumbnail(f\"" + c.file +
                      "\")\ncmd save_point(0)\ncmd save(3, 0)\n");
      m.Run();
      EXPECT_EQ(m.context().save.capture, 0);  // the saves keep the image, not the screen
      const std::string file = folder_.Read("save003.dat");
      std::vector<uint32_t> thumbnail;
      if (file.size() >= adv::kImageThumbnailOffset + kCount * 4 &&
          WordAt(file, adv::kImageThumbnailBytesOffset) == kCount * 4) {
        for (size_t i = 0; i < kCount; ++i) {
          thumbnail.push_back(WordAt(file, adv::kImageThumbnailOffset + 4 * i));
        }
      }
      saved.push_back(thumbnail);
    }
    return true;
  });
  ASSERT_EQ(expected.size(), 3u) << "BG02 could not be loaded and read";
  EXPECT_NE(expected[0], expected[1]);
  EXPECT_NE(expected[0], expected[2]);
  ASSERT_EQ(saved.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_TRUE(saved[i] == expected[i]) << kCases[i].file << " mosaic " << kCases[i].mosaic;
  }
}

INSTANTIATE_TEST_SUITE_P(Renderers, SaveScreenFrames, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "Hardware" : "Software");
                         });

}  // namespace
