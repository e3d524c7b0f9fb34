// Texts on layers, the faces shown with the message window and frame animations bound to a
// layer, driven by assembled scripts with the platform library started headless.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "os/picture_codecs.h"
#include "program/layers/frame_animation.h"
#include "program/layers/layer_text_items.h"
#include "program/layers/sprite_loader.h"
#include "program/text/text_window.h"
#include "tests/program/layer_fixture.h"
#include "tests/program/temp_folder.h"
#include "tools/ani_assembler/ani_assembler.h"

namespace {

using test::ScriptMachine;

constexpr int32_t kFaceWidth = 200;
constexpr int32_t kFaceHeight = 300;
constexpr uint32_t kFaceColour = 0xFF336699;

class LayerTexts : public test::LayerScripts {
 protected:
  void SetUp() override {
    LayerScripts::SetUp();
    std::vector<uint32_t> pixels(size_t{kFaceWidth} * kFaceHeight, kFaceColour);
    std::vector<uint8_t> png;
    ASSERT_TRUE(os::PngEncode(pixels.data(), kFaceWidth, kFaceHeight, kFaceWidth, png));
    folder_.Write("FACE.png", std::string(png.begin(), png.end()));
    const aniasm::AssembleResult ani = aniasm::Assemble(
        "top:\n"
        "  move 100, 0, 0, 1000\n"
        "  wait 1000\n"
        "  jump top\n");
    ASSERT_TRUE(ani.ok) << ani.ErrorText();
    folder_.Write("SLIDE.ani", std::string(ani.file.begin(), ani.file.end()));
    yel::YelSystemPathInit();
    yel::YelSystemPathSet(folder_.path().c_str());
  }
  void TearDown() override {
    Drop();
    adv::Animations().ReleaseAll(nullptr);
    yel::YelSystemPathUninit();
    LayerScripts::TearDown();
  }

  YelSpriteInfo Info(int n) {
    YelSpriteInfo info{};
    yel::YelSpriteGetInfo(sprite(n), &info);
    return info;
  }
  const adv::DisplayOp* QueuedOp(int index) {
    return reinterpret_cast<const adv::DisplayOp*>(
        yel::YelListGetData(context().display_queue, adv::kListDisplayOp, index));
  }
  int32_t Queued() { return test::ReturnRecordCount(context(), adv::kListDisplayOp); }
  void ShowWindow(int32_t visible) {
    adv::AdvTextWindowShow(context(), context().text_window, visible);
  }
  // Pixels of the layer's sprite that are not fully transparent.
  int32_t Painted(int n) {
    int32_t width = 0, height = 0, count = 0;
    const uint32_t* pixels = yel::YelSpriteLock(sprite(n), &width, &height);
    if (!pixels) return -1;
    for (int32_t i = 0; i < width * height; ++i) count += (pixels[i] >> 24) != 0;
    yel::YelSpriteUnlock(sprite(n));
    return count;
  }

  test::TempFolder folder_;
};

// The face stands with its bottom centre on the anchors (400, 600), moved by (dx, dy), one
// priority step behind an ordinary sprite of its layer; the commit shows it only with the window.
TEST_F(LayerTexts, FaceSetStandsOnTheAnchorsBehindItsLayer) {
  ScriptMachine& m = Load(
      "cmd face_init(0, 20, 400, 600, 1)\n"
      "cmd face_set(f\"FACE\", 0, 5, 7)\n"
      "cmd run_no_wait()\n"
      "cmd wait_frame()\n"
      "cmd sp_set(f\"#FFFF0000\", 20, 10, 0)\n");
  m.Run();
  FrameEnd();
  EXPECT_TRUE(m.Logged("face_init  0, 20, 400, 600, 1", adv::kLogTrace));
  EXPECT_TRUE(m.Logged("face_set  FACE, 0, 5, 7", adv::kLogTrace));
  ASSERT_NE(sprite(20), nullptr);
  EXPECT_EQ(slot(20).position[0], 400 - kFaceWidth / 2 + 5);
  EXPECT_EQ(slot(20).position[1], 600 - kFaceHeight + 7);
  EXPECT_EQ(Info(20).x, 305.0f);
  EXPECT_EQ(Info(20).y, 307.0f);
  const int32_t face_priority = Info(20).priority;
  EXPECT_EQ(yel::YelSpriteViewIs(sprite(20)), 0);  // the message window is hidden
  ShowWindow(1);
  EXPECT_EQ(yel::YelSpriteViewIs(sprite(20)), 1);
  ShowWindow(0);
  EXPECT_EQ(yel::YelSpriteViewIs(sprite(20)), 0);
  m.Run();  // an ordinary image on the same layer
  EXPECT_EQ(face_priority, Info(20).priority + 134);
}

TEST_F(LayerTexts, AFaceSetWhileTheWindowShowsIsShownByTheCommit) {
  ScriptMachine& m = Load(
      "cmd face_init(3, 40, -1, 600, 0)\n"
      "cmd face_set(f\"FACE\", 3, 1, 2)\n"
      "cmd wait_frame()\n"
      "cmd run_no_wait()\n"
      "cmd wait_frame()\n"
      "cmd face_cls(3)\n");
  ShowWindow(1);
  m.Run();
  ASSERT_NE(sprite(40), nullptr);
  // Without both anchors the image stays where its file puts it (0, 0), moved by (dx, dy).
  EXPECT_EQ(slot(40).position[0], 1);
  EXPECT_EQ(slot(40).position[1], 2);
  EXPECT_EQ(Info(40).priority, 4999 - 40);
  EXPECT_EQ(yel::YelSpriteViewIs(sprite(40)), 0);
  m.Run();
  EXPECT_EQ(yel::YelSpriteViewIs(sprite(40)), 1);
  m.Run();
  EXPECT_EQ(layer(40).slot, nullptr);  // face_cls cleared the layer at once
  EXPECT_TRUE(m.Logged("face_cls  3", adv::kLogTrace));
}

// Face numbers outside 0-7, a free face entry and layers outside 0-127 are refused with the range
// text and result 0, touching no layer.
TEST_F(LayerTexts, FacesAndAnimationsOutOfRangeAreRefused) {
  struct Case {
    const char* command;
    const char* logged;
  } cases[] = {
      {"face_init(8, 20, 0, 0, 0)", "8"},
      {"face_init(-1, 20, 0, 0, 0)", "-1"},
      {"face_init(0, 128, 0, 0, 0)", "128"},
      {"face_set(f\"FACE\", 8, 0, 0)", "8"},
      {"face_set(f\"FACE\", 2, 0, 0)", "-1"},  // never set up
      {"face_cls(-3)", "-3"},
      {"face_cls(2)", "-1"},
      {"sp_set_anime(128, f\"SLIDE\", 0)", "128"},
      {"sp_set_anime(-1, f\"SLIDE\", 0)", "-1"},
      {"sp_anime_clear(200)", "200"},
      {"draw_text(-2, \"A\", 0, 0, 0)", "-2"},
  };
  for (const Case& c : cases) {
    ScriptMachine& m = Load(std::string("cmd ") + c.command + "\n");
    m.Run();
    EXPECT_TRUE(m.Logged(std::string(test::kLayerRangeText) + c.logged, adv::kLogError))
        << c.command;
    EXPECT_EQ(m.CountLogged("内部エラー"), 1) << c.command;
    for (int n = 0; n < adv::kLayerCount; ++n) EXPECT_EQ(layer(n).slot, nullptr) << c.command;
    EXPECT_EQ(Queued(), 0) << c.command;
  }
  ScriptMachine& m = Load("cmd sp_set_anime_ex(-5, f\"SLIDE\", 0, 1, 2, 3, 4, 5, 6, 7, 8)\n");
  m.Run();
  EXPECT_TRUE(m.Logged("illegal layer : sp_set_anime_ex -5", adv::kLogError));
  EXPECT_EQ(context().values.value_count, 0);  // all eleven arguments were popped
}

// A face layer whose previous image a transition holds loses only its slot; a failed or empty
// face_set then leaves the layer empty, never pointing at the freed slot.
TEST_F(LayerTexts, AFailedFaceSetLeavesTheLayerEmpty) {
  for (const char* file : {"f\"NOTHING\"", "NONE"}) {
    ScriptMachine& m = Load(std::string("cmd face_init(1, 9, 100, 100, 0)\n"
                                        "cmd face_set(f\"FACE\", 1, 0, 0)\n"
                                        "cmd run_no_wait()\n"
                                        "cmd sp_copy_image(9)\n"
                                        "cmd face_set(") +
                            file + ", 1, 0, 0)\n");
    m.Run();
    EXPECT_EQ(layer(9).slot, nullptr) << file;
    EXPECT_EQ(layer(9).keep_previous, 1u) << file;
    ShowWindow(1);  // the window's view of its faces finds no slot to touch
    FrameEnd();
    adv::RunDisplayQueue(context());
  }
}

// An empty layer gets a text sprite of its own at (x, y, z); a second sp_text draws into it and
// keeps a second item. Each item carries the font it was drawn in; a paint over the layer empties
// them.
TEST_F(LayerTexts, SpTextTwiceMakesASpriteThenDrawsIntoIt) {
  ScriptMachine& m = Load(
      "cmd sp_text(5, \"AB\", 10, 20, 3)\n"
      "cmd wait_frame()\n"
      "cmd sp_text(5, \"CDEF\", 0, 0, 0)\n"
      "cmd run_no_wait()\n"
      "cmd wait_frame()\n"
      "cmd sp_paint(5, f\"#FF000000\", 0, 0, 0, 0)\n");
  yel::YelFontSetFontSize(18);
  yel::YelFontSetColor(0xFFFFFFFF, 0xFF000000);
  m.Run();
  ASSERT_NE(sprite(5), nullptr);
  EXPECT_TRUE(m.Logged("sp_text  5, AB, 10, 20, 3", adv::kLogTrace));
  EXPECT_EQ(slot(5).position, (std::array<int32_t, 3>{10, 20, 3}));
  EXPECT_EQ(slot(5).image_word, 0x10000000u);
  EXPECT_STREQ(slot(5).name.data(), "#00000000");
  EXPECT_EQ(Info(5).priority, 4999 - 5);
  ASSERT_EQ(Queued(), 1);
  EXPECT_EQ(QueuedOp(0)->code, 0x30016u);
  EXPECT_EQ(QueuedOp(0)->words[0], 5);
  ASSERT_EQ(layer(5).text_items.size(), 1u);
  const adv::LayerTextItem& first = layer(5).text_items[0];
  EXPECT_EQ(first.text, "AB");
  EXPECT_EQ(first.font_size, 18u);
  EXPECT_EQ(first.colours, (std::array<uint32_t, 2>{0xFFFFFFFF, 0xFF000000}));
  EXPECT_EQ(first.x, 10);
  const YelSprite* made = sprite(5);
  const int32_t painted = Painted(5);
  EXPECT_GT(painted, 0);
  yel::YelFontSetFontSize(12);
  m.Run();
  EXPECT_EQ(sprite(5), made);
  ASSERT_EQ(layer(5).text_items.size(), 2u);
  EXPECT_EQ(layer(5).text_items[1].text, "CDEF");
  EXPECT_EQ(layer(5).text_items[1].font_size, 12u);
  EXPECT_EQ(yel::YelSpriteViewIs(sprite(5)), 1);
  m.Run();
  EXPECT_TRUE(layer(5).text_items.empty()) << "painted over";
  m.Run();
  // The items go with the layer.
  adv::AdvLayerRelease(context(), layer(5));
  EXPECT_TRUE(layer(5).text_items.empty());
}

// Into an image's slot sp_text only draws; an image number without a sprite is an error. While a
// scene skip rebuilds the scene a layer keeps the item without drawing it.
TEST_F(LayerTexts, SpTextOnImagesAndWhileSkipping) {
  ScriptMachine& m = Load(
      "cmd sp_create(6, f\"#00000000\", 0, 0, 64, 32)\n"
      "cmd wait_frame()\n"
      "cmd sp_text(0x1000007, \"AB\", 0, 0, 0)\n"
      "cmd sp_text(0x1000008, \"AB\", 0, 0, 0)\n"
      "cmd sp_text(6, \"AB\", 0, 0, 0)\n");
  m.Run();
  adv::GraphicSlot* system = adv::AdvGraphicSlotAlloc(adv::kSlotBankSystem, 7);
  ASSERT_NE(system, nullptr);
  system->sprite = adv::AdvSpriteLoadUnlocked(context(), "#00000000", 64, 32, 0);
  context().skip.scene_skip = 1;
  m.Run();
  context().skip.scene_skip = 0;
  // Only the image without a sprite failed.
  EXPECT_EQ(m.CountLogged("sp_text create error[AB]"), 1);
  EXPECT_EQ(m.CountLogged("内部エラー"), 1);
  EXPECT_EQ(layer(6).text_items.size(), 1u);
  EXPECT_EQ(Painted(6), 0);
  int32_t width = 0, height = 0, painted = 0;
  const uint32_t* pixels = yel::YelSpriteLock(system->sprite, &width, &height);
  for (int32_t i = 0; i < width * height; ++i) painted += pixels[i] != 0;
  yel::YelSpriteUnlock(system->sprite);
  EXPECT_GT(painted, 0);
  adv::AdvGraphicSlotFreeNow(system);
  // The kept item draws when the layer's pixels are made again, in its own font.
  yel::YelFontSetFontSize(30);
  adv::AdvLayerTextRender(layer(6));
  EXPECT_GT(Painted(6), 0);
  EXPECT_EQ(yel::YelFontGetFontSize(), 30);
  adv::LayerRecord empty;
  empty.text_items.push_back(layer(6).text_items[0]);
  m.ClearLog();
  adv::AdvLayerTextRender(empty);
  EXPECT_TRUE(m.Logged("error hSprite or lpImage = nullptr", adv::kLogError));
}

// The size word: height in the high half, width in the low half, each as the font measures the
// text (the installed faces measure 11 pixels a half-width character at size 22, plus 3; the
// line is 22 high, plus 2).
TEST_F(LayerTexts, SpTextGetSizePacksHeightAndWidth) {
  ScriptMachine& m = Load(
      "cmd sp_text_get_size(\"ABCDEFGHIJ\") -> v1\n"
      "cmd sp_text_get_size(\"あいうえお\") -> v2\n");
  yel::YelFontSetFontSize(22);
  m.Run();
  for (const auto& [variable, text] :
       {std::pair{1, "ABCDEFGHIJ"}, std::pair{2, "\x82\xa0\x82\xa2\x82\xa4\x82\xa6\x82\xa8"}}) {
    int32_t size[2] = {0, 0};
    yel::YelFontGetSize(text, size);
    EXPECT_EQ(m.V(variable), size[1] << 16 | size[0]) << text;
  }
  EXPECT_EQ(m.V(1), 0x00180071);
  EXPECT_TRUE(
      m.Logged("sp_text_get_size  ABCDEFGHIJ, (w=113 [00000071], h=24 [00000018]) / "
               "ret=&H00180071",
               adv::kLogTrace));
}

// draw_text lays the text out in the layer's sprite with the window's settings and leaves the
// sprite's rectangle as it was; a layer without an image is passed over.
TEST_F(LayerTexts, DrawTextDrawsIntoTheLayerAndKeepsItsRectangle) {
  ScriptMachine& m = Load(
      "cmd sp_create(3, f\"#00000000\", 0, 0, 200, 100)\n"
      "cmd wait_frame()\n"
      "cmd draw_text(3, \"ABC\", 4, 6, 99)\n"
      "cmd draw_text(4, \"ABC\", 4, 6, 99)\n");
  context().text_window.font_size = 20;
  context().text_window.colours = {0xFFFFFFFF, 0xFF000000};
  m.Run();
  const YelRect shown{0, 0, 50, 40};
  yel::YelSpriteSetRect(sprite(3), &shown);
  m.Run();
  EXPECT_GT(Painted(3), 0);
  YelRect rect{};
  yel::YelSpriteGetRect(sprite(3), &rect);
  EXPECT_EQ(rect.right, 50);
  EXPECT_EQ(rect.bottom, 40);
  EXPECT_TRUE(m.Logged("draw_text  3, ABC, ", adv::kLogTrace));
  EXPECT_TRUE(m.Logged(", 99", adv::kLogTrace));
  EXPECT_FALSE(m.Logged("draw_text  4", adv::kLogTrace));
  EXPECT_EQ(m.CountLogged("内部エラー"), 0);
  EXPECT_EQ(yel::YelFontGetFontSize(), 20);
}

// Without text_init the window has no font size: draw_text uses the platform's current font
// instead of setting it to size 0.
TEST_F(LayerTexts, DrawTextBeforeTheWindowKeepsTheFont) {
  ScriptMachine& m = Load(
      "cmd sp_create(3, f\"#00000000\", 0, 0, 200, 100)\n"
      "cmd draw_text(3, \"ABC\", 0, 0, 0)\n");
  yel::YelFontSetFontSize(22);
  m.Run();
  EXPECT_GT(Painted(3), 0);
  EXPECT_EQ(yel::YelFontGetFontSize(), 22);
}

// sp_set_anime with start later: loaded at once, started by the commit; without, started now.
// A new animation replaces the layer's old one; sp_anime_clear ends it.
TEST_F(LayerTexts, SpSetAnimeStartsAtTheCommitOrAtOnce) {
  ScriptMachine& m = Load(
      "cmd sp_create(3, f\"#FFFF0000\", 0, 0, 40, 20)\n"
      "cmd sp_set_anime(3, f\"SLIDE\", 1)\n"
      "cmd wait_frame()\n"
      "cmd run_no_wait()\n"
      "cmd wait_frame()\n"
      "cmd sp_set_anime_ex(3, f\"SLIDE\", 0, 1, 2, 3, 4, 5, 6, 7, 8)\n"
      "cmd wait_frame()\n"
      "cmd sp_anime_clear(3)\n"
      "cmd sp_set_anime(4, f\"SLIDE\", 0)\n");
  m.Run();
  const uint32_t first = slot(3).animation_id;
  ASSERT_NE(first, 0u);
  EXPECT_EQ(adv::AdvAnimGetStatus(first), adv::kAnimLoaded);
  EXPECT_TRUE(m.Logged("sp_set_anime  3, SLIDE, 1", adv::kLogTrace));
  ASSERT_EQ(Queued(), 2);
  EXPECT_EQ(QueuedOp(1)->code, 0xF0000001u);
  EXPECT_EQ(QueuedOp(1)->words[0], static_cast<int32_t>(first));
  m.Run();
  EXPECT_EQ(adv::AdvAnimGetStatus(first), adv::kAnimWaiting);  // running its first wait
  m.Run();
  const uint32_t second = slot(3).animation_id;
  ASSERT_NE(second, 0u);
  EXPECT_EQ(adv::AdvAnimGetStatus(second), adv::kAnimWaiting);
  EXPECT_TRUE(m.Logged("sp_set_anime_ex  3, SLIDE, 0, ...", adv::kLogTrace));
  EXPECT_EQ(Queued(), 0);
  m.Run();
  EXPECT_EQ(slot(3).animation_id, 0u);
  EXPECT_EQ(adv::AdvAnimGetStatus(second), 0u);
  EXPECT_TRUE(m.Logged("sp_anime_clear 3", adv::kLogTrace));
  EXPECT_TRUE(m.Logged("not image : sp_set_anime 4", adv::kLogError));
}

// The save-slot drawing commands' texts: into the layer's sprite, or a new sprite in front of the
// layers at (x, y).
TEST_F(LayerTexts, SaveSlotTextsDrawIntoTheLayerOrANewSprite) {
  Load("nop\n");
  ASSERT_TRUE(adv::AdvLayerDrawText(context(), 6, "AB", 4, 5));
  ASSERT_NE(sprite(6), nullptr);
  EXPECT_EQ(slot(6).position[0], 4);
  EXPECT_EQ(slot(6).position[1], 5);
  EXPECT_EQ(Info(6).priority, 4866);
  const YelSprite* made = sprite(6);
  EXPECT_TRUE(adv::AdvLayerDrawText(context(), 6, "CD", 0, 0));
  EXPECT_EQ(sprite(6), made);
  EXPECT_TRUE(layer(6).text_items.empty());
  EXPECT_FALSE(adv::AdvLayerDrawText(context(), 128, "AB", 0, 0));
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The sample game's name plate and face: the plate keeps the two texts written on it, and the
// face, put up while the message window is hidden, shows when the window does.
TEST_F(LayerTexts, TheSampleGamesPlateAndFace) {
  const std::string main_script = SAMPLE_SCRIPT;
  const std::string folder = main_script.substr(0, main_script.rfind('/') + 1);
  yel::YelSystemPathSet((std::string(SAMPLE_GAME_DIR) + "/sample").c_str());
  adv::AdvWindowWidth = 1280;
  adv::AdvWindowHeight = 720;
  ScriptMachine& m = Load(ReadText(folder + "common.asm") + "gosub guide_face\ncmd wait_frame()\n" +
                          ReadText(folder + "guide_face.asm"));
  m.Run();
  EXPECT_EQ(m.CountLogged("内部エラー"), 0);
  ASSERT_NE(sprite(30), nullptr);
  ASSERT_NE(sprite(31), nullptr);
  EXPECT_EQ(layer(30).text_items.size(), 2u);
  EXPECT_GT(Painted(30), 0);
  EXPECT_EQ(yel::YelSpriteViewIs(sprite(30)), 1);
  EXPECT_EQ(yel::YelSpriteViewIs(sprite(31)), 0);
  ShowWindow(1);
  EXPECT_EQ(yel::YelSpriteViewIs(sprite(31)), 1);
  // The face stands left of the window's text (x 160), on the bottom of the screen.
  const YelSpriteInfo face = Info(31);
  EXPECT_LE(face.x + face.image_width, 160.0f);
  EXPECT_LE(face.y + face.image_height, 720.0f);
}

// A filter option reaches the sprite only outside a scene or history skip; the layer records the
// filter either way, for the rebuilt scene.
TEST_F(LayerTexts, FilterOptionsWaitWhileTheSceneIsRebuilt) {
  ScriptMachine& m = Load(
      "cmd sp_create(3, f\"#FF2040C0\", 0, 0, 8, 8)\n"
      "cmd wait_frame()\n"
      "cmd set_filter(3, 2)\n");
  m.Run();
  context().skip.history_skip = 1;
  m.Run();
  adv::AdvLayerSetOption(context(), sprite(3), 2);
  context().skip.history_skip = 0;
  EXPECT_EQ(yel::YelGetPixel(sprite(3), 1, 1), 0xFF2040C0u);
  EXPECT_EQ(layer(3).flags & adv::kLayerFilterBits, 1u << 2);
  adv::AdvLayerSetOption(context(), sprite(3), 2);
  EXPECT_NE(yel::YelGetPixel(sprite(3), 1, 1), 0xFF2040C0u);  // grey
}

}  // namespace
