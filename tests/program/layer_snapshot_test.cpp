// The layers' block of the snapshot: small scenes built by scripts are saved and restored in
// process, and what comes back is compared with what was saved (fields, pixels, running
// effects); damaged blocks are refused with the scene left as it was. Last, the sample game's
// scene with a composed layer, a text layer and a face shows the same frame after a restore.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "program/layers/action_manager.h"
#include "program/layers/frame_animation.h"
#include "program/layers/layer_compositions.h"
#include "program/layers/layer_snapshot.h"
#include "program/layers/screen_effects.h"
#include "program/savedata/snapshot_image.h"
#include "program/savedata/snapshot_services.h"
#include "program/script/script_run.h"
#include "program/script/skip_state.h"
#include "program/script/value_stores.h"
#include "program/sound/voice_load_worker.h"
#include "program/text/text_services.h"
#include "program/text/text_window.h"
#include "tests/program/layer_fixture.h"
#include "tests/program/sample_source.h"
#include "tests/program/temp_folder.h"
#include "tests/yel/movie_test_support.h"
#include "tools/ani_assembler/ani_assembler.h"

namespace {

using test::IgnoreArguments;
using test::SampleSource;

using test::ScriptMachine;

// Block layout offsets of one kept layer, from its image word.
constexpr size_t kFacesSize = 8 * 16;
constexpr size_t kInfoAt = 4;
constexpr size_t kAnimationAt = kInfoAt + 368 + 148 + 132;
constexpr size_t kFlagsAt = kAnimationAt + 4;
constexpr size_t kShakeAmplitudeAt = kFlagsAt + 4 + 4 + 4;
constexpr size_t kCompositionsAt = kShakeAmplitudeAt + 4 + 4 + 4 + 4;
constexpr size_t kTextsAt = kCompositionsAt + 640;
static_assert(kTextsAt == 1324);

class LayerSnapshots : public test::LayerScripts {
 protected:
  void SetUp() override {
    LayerScripts::SetUp();
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

  ScriptMachine& Scene(const std::string& source) {
    ScriptMachine& m = Load(source);
    m.Run();
    adv::RunDisplayQueue(context());
    FrameEnd();
    return m;
  }
  std::string Image() {
    std::vector<uint8_t> buffer(adv::kSnapshotBufferSize);
    uint32_t length = 0;
    EXPECT_TRUE(adv::EncodeSnapshot(context(), buffer.data(), adv::kSnapshotBufferSize, &length));
    return std::string(reinterpret_cast<const char*>(buffer.data()), length);
  }
  // The layers' block alone, as the snapshot writes it.
  std::string Block() {
    std::vector<uint8_t> buffer(adv::kSnapshotBufferSize);
    adv::SnapshotWriter out(buffer.data(), adv::kSnapshotBufferSize, 0);
    adv::AdvGraphicSave(context(), out);
    return std::string(reinterpret_cast<const char*>(buffer.data()), out.cursor());
  }
  adv::SavedLayers Decode(const std::string& block) {
    adv::SnapshotReader in(block);
    adv::SavedLayers saved;
    EXPECT_TRUE(adv::AdvGraphicRead(in, saved)) << in.error();
    return saved;
  }
  // Where the layers' block begins in an image of the current state.
  size_t BlockOffset() {
    std::vector<uint8_t> buffer(adv::kSnapshotBufferSize);
    adv::SnapshotWriter out(buffer.data(), adv::kSnapshotBufferSize, 0);
    for (const adv::SnapshotBlock& block : adv::SnapshotBlocks()) {
      if (std::string(block.name) == "layers") break;
      block.write(context(), out);
    }
    return out.cursor();
  }
  bool Restore(const std::string& image) { return adv::RestoreSnapshot(context(), image); }
  YelSpriteInfo Info(int n) {
    YelSpriteInfo info{};
    yel::YelSpriteGetInfo(sprite(n), &info);
    return info;
  }

  test::TempFolder folder_;
};

// File 0 of "File.dat" ("#FF102030" sorts first) is kept under its name; layer 70 is past the
// kept layers.
TEST_F(LayerSnapshots, OnlyLayersUpTo63AreKept) {
  Scene(
      "cmd sp_create(3, f\"#FF102030\", 0, 0, 8, 8)\n"
      "cmd sp_create(63, f\"#FF405060\", 0, 0, 8, 8)\n"
      "cmd sp_create(70, f\"#FF708090\", 0, 0, 8, 8)\n");
  ASSERT_EQ(slot(3).image_word, 0u);
  ASSERT_TRUE(Restore(Image()));
  ASSERT_NE(sprite(3), nullptr);
  EXPECT_EQ(yel::YelGetPixel(sprite(3), 1, 1), 0xFF102030u);
  EXPECT_EQ(yel::YelGetPixel(sprite(63), 1, 1), 0xFF405060u);
  EXPECT_EQ(layer(70).slot, nullptr);
  for (int n : {0, 1, 2, 4, 62, 64, 127}) EXPECT_EQ(layer(n).slot, nullptr) << n;
}

// Every field of the block is written again unchanged after a restore: the sprite info, the
// slot's groups and record, the layer's flags, value, shake, compositions and texts.
TEST_F(LayerSnapshots, EveryKeptFieldComesBackAsSaved) {
  Scene(
      "cmd sp_create(10, f\"#FFFF0000\", 0, 0, 16, 16)\n"
      "cmd sp_create(3, f\"#FF0000FF\", 0, 0, 16, 16)\n"
      "cmd sp_bitblt(3, 0, 0, 8, 8, 10, 0, 0, 2)\n"
      "cmd sp_set_pos_ex(3, 7, 9, 0)\n"
      "cmd sp_set_alpha(3, 200)\n"
      "cmd sp_set_rotate(3, 0, 0, 30)\n"
      "cmd sp_set_value(3, 1234)\n"
      "cmd sp_set_shake(3, 2, 6, 600000)\n"
      "cmd set_filter(3, 2)\n"
      "cmd sp_text(3, \"AB\", 1, 2, 0)\n"
      "cmd sp_set_child(3, 10, 4, 4, 5)\n"
      "cmd face_init(2, 20, 100, 200, 1)\n");
  const std::string before = Block();
  const adv::SavedLayers saved = Decode(before);
  ASSERT_EQ(saved.layers.size(), 2u);
  const adv::SavedLayer& three = saved.layers[0];
  EXPECT_EQ(three.index, 3);
  EXPECT_EQ(three.script_value, 1234);
  EXPECT_EQ(three.flags, adv::kLayerComposition | adv::kLayerShake | 1u << 2);
  EXPECT_EQ(three.shake_amplitude, 6);
  EXPECT_EQ(three.compositions[2].kind, uint32_t{adv::kCompositionCopyLayer});
  EXPECT_EQ(three.compositions[2].target, 10u);
  EXPECT_EQ(three.compositions[5].kind, adv::kCompositionChildLink);
  ASSERT_EQ(three.text_items.size(), 1u);
  EXPECT_EQ(three.text_items[0].text, "AB");
  EXPECT_EQ(three.slot.position[0], 7);
  EXPECT_EQ(three.slot.colour >> 24, 200u);
  EXPECT_EQ(saved.faces[2].layer, 20);

  ASSERT_TRUE(Restore(Image()));
  EXPECT_EQ(Block(), before);
  EXPECT_EQ(layer(3).text_items.size(), 1u);
}

// A layer that a transition is clearing is kept empty and comes back empty.
TEST_F(LayerSnapshots, ALayerBeingClearedByATransitionComesBackEmpty) {
  yel::YelEffectEnable(1);
  Scene(
      "cmd sp_create(4, f\"#FF102030\", 0, 0, 8, 8)\n"
      "cmd sp_create(5, f\"#FF405060\", 0, 0, 8, 8)\n"
      "cmd run(0, 0, 0)\n"
      "cmd sp_cls_transition(4, 1, 500)\n");
  machine_->Run();
  ASSERT_EQ(layer(4).transition_state, adv::kTransitionClearAtEnd);
  const adv::SavedLayers saved = Decode(Block());
  ASSERT_EQ(saved.layers.size(), 1u);
  EXPECT_EQ(saved.layers[0].index, 5);
  ASSERT_TRUE(Restore(Image()));
  EXPECT_EQ(layer(4).slot, nullptr);
  EXPECT_NE(sprite(5), nullptr);
}

// The image named by a string variable comes back under the name it was shown with.
TEST_F(LayerSnapshots, AStringVariableImageKeepsItsSavedName) {
  Scene(
      "cmd strcpy(s0, \"#FF00FF00\", -1)\n"
      "cmd sp_create(5, s0, 0, 0, 8, 8)\n"
      "cmd strcpy(s0, \"#FFFF00FF\", -1)\n");
  ASSERT_TRUE(Restore(Image()));
  ASSERT_NE(sprite(5), nullptr);
  EXPECT_STREQ(slot(5).name.data(), "#FF00FF00");
  EXPECT_EQ(yel::YelGetPixel(sprite(5), 2, 2), 0xFF00FF00u);
}

// An endless shake starts again at the restore; a timed one that has run out ends at the next
// frame.
TEST_F(LayerSnapshots, AnEndlessShakeRestartsATimedOneThatRanOutEnds) {
  yel::YelEffectEnable(1);
  Scene(
      "cmd sp_create(3, f\"#FF102030\", 0, 0, 8, 8)\n"
      "cmd sp_create(4, f\"#FF405060\", 0, 0, 8, 8)\n"
      "cmd sp_set_shake(3, 0, 4, -1)\n"
      "cmd sp_set_shake(4, 0, 4, 100)\n");
  ASSERT_NE(layer(4).flags & adv::kLayerShake, 0u);
  yel::YelUpdateTime();
  const uint32_t now = yel::YeltimeGetTime();
  layer(3).shake_start = now - 100000;
  layer(4).shake_start = now - 1000;
  ASSERT_TRUE(Restore(Image()));
  EXPECT_NE(layer(3).flags & adv::kLayerShake, 0u);
  EXPECT_GE(layer(3).shake_start, now);
  EXPECT_EQ(layer(4).shake_start, now - 1000);
  FrameEnd();
  EXPECT_NE(layer(3).flags & adv::kLayerShake, 0u);
  EXPECT_EQ(layer(4).flags & adv::kLayerShake, 0u);
}

// A text longer than 260 bytes is kept with length 0 (logged) and is gone after the restore; the
// layer's other texts stay.
TEST_F(LayerSnapshots, ATextOver260BytesIsGoneAfterTheRestore) {
  ScriptMachine& m = Scene(
      "cmd sp_create(3, f\"#FF102030\", 0, 0, 64, 16)\n"
      "cmd sp_text(3, \"AB\", 1, 2, 0)\n");
  adv::LayerTextItem long_item = layer(3).text_items[0];
  long_item.text.assign(300, 'x');
  layer(3).text_items.push_back(long_item);
  layer(3).text_items.push_back(layer(3).text_items[0]);
  const std::string image = Image();
  EXPECT_TRUE(m.Logged("error write layerEx over string count=1", adv::kLogError));
  ASSERT_TRUE(Restore(image));
  ASSERT_EQ(layer(3).text_items.size(), 2u);
  for (const adv::LayerTextItem& item : layer(3).text_items) EXPECT_EQ(item.text, "AB");
}

// Operations that read a higher layer (a copy from layer 10 into layer 3, a blur from layer 5
// into layer 2) find its image at the restore, with what was done to it before they read it (a
// copy from layer 10, a text): the pixels are those before the restore.
TEST_F(LayerSnapshots, OperationsReadingHigherLayersGiveTheSamePixels) {
  Scene(
      "cmd sp_create(10, f\"#FFFF0000\", 0, 0, 16, 16)\n"
      "cmd sp_create(3, f\"#FF0000FF\", 0, 0, 16, 16)\n"
      "cmd sp_bitblt(3, 2, 2, 8, 8, 10, 0, 0, 2)\n"
      "cmd sp_create(5, f\"#FF00FF00\", 0, 0, 32, 32)\n"
      "cmd sp_bitblt(5, 4, 4, 6, 6, 10, 0, 0, 0)\n"
      "cmd sp_text(5, \"AB\", 12, 12, 0)\n"
      "cmd sp_create(2, f\"#FF000000\", 0, 0, 32, 32)\n"
      "cmd sp_gaussblur(2, 5, 2, 0)\n");
  const std::vector<uint32_t> copied = Pixels(3), blurred = Pixels(2);
  ASSERT_EQ(copied[3 * 16 + 3], 0xFFFF0000u);
  ASSERT_NE(blurred[32 * 6 + 6], 0xFF00FF00u) << "the copied square shows blurred";
  ASSERT_TRUE(Restore(Image()));
  EXPECT_EQ(Pixels(3), copied);
  EXPECT_EQ(Pixels(2), blurred);
}

// Filters are set again, a movie plays again and a frame animation runs again.
TEST_F(LayerSnapshots, FiltersMoviesAndAnimationsRunAgain) {
  movietest::ClipRecipe recipe;
  recipe.colours = movietest::FrameColours(50);
  ASSERT_TRUE(movietest::EncodeMovie(folder_ / "CLIP.mpg", recipe));
  Scene(
      "cmd sp_create(3, f\"#FF204080\", 0, 0, 8, 8)\n"
      "cmd set_filter(3, 4)\n"
      "cmd msp_set(f\"CLIP\", 6, 0, 0, 0, 1, 0, 0) -> v1\n"
      "cmd sp_create(7, f\"#FF102030\", 0, 0, 8, 8)\n"
      "cmd sp_set_anime(7, f\"SLIDE\", 0)\n");
  const std::vector<uint32_t> filtered = Pixels(3);
  ASSERT_NE(filtered[0], 0xFF204080u);
  ASSERT_NE(slot(7).animation_id, 0u);
  ASSERT_TRUE(Restore(Image()));
  EXPECT_EQ(Pixels(3), filtered);
  ASSERT_NE(sprite(6), nullptr);
  EXPECT_TRUE(yel::YelMSpriteCheck(sprite(6)));
  EXPECT_EQ(yel::YelMSpriteGetState(sprite(6)) & 1, 1u) << "playing";
  EXPECT_NE(layer(6).flags & adv::kLayerMovie, 0u);
  ASSERT_NE(slot(7).animation_id, 0u);
  const uint32_t status = adv::AdvAnimGetStatus(slot(7).animation_id);
  EXPECT_TRUE(status == adv::kAnimRunning || status == adv::kAnimWaiting) << status;
}

// The faces come back hidden: the message window shows them.
TEST_F(LayerSnapshots, FacesStartHidden) {
  Scene(
      "cmd face_init(0, 31, 100, 200, 0)\n"
      "cmd face_set(f\"#FF336699\", 0, 0, 0)\n"
      "cmd sp_create(3, f\"#FF102030\", 0, 0, 8, 8)\n"
      "cmd run(0, 0, 0)\n");
  adv::AdvFaceSetView(context(), 1);
  yel::YelSpriteViewCtrl(sprite(3), 1);
  ASSERT_TRUE(Info(31).visible);
  ASSERT_TRUE(Restore(Image()));
  EXPECT_EQ(context().layers.faces[0].layer, 31);
  ASSERT_NE(sprite(31), nullptr);
  EXPECT_FALSE(Info(31).visible);
  EXPECT_TRUE(Info(3).visible);
  adv::AdvFaceSetView(context(), 1);
  EXPECT_TRUE(Info(31).visible);
}

// A scene of three layers whose layer 3 holds a copy from layer 10, a text and a running shake.
constexpr char kDamageScene[] =
    "cmd sp_create(10, f\"#FFFF0000\", 0, 0, 16, 16)\n"
    "cmd strcpy(s1, \"#FF0000FF\", -1)\n"
    "cmd sp_create(3, s1, 0, 0, 16, 16)\n"
    "cmd sp_bitblt(3, 0, 0, 8, 8, 10, 0, 0, 2)\n"
    "cmd sp_text(3, \"AB\", 1, 2, 0)\n"
    "cmd sp_set_shake(3, 0, 4, -1)\n"
    "cmd face_init(1, 3, 0, 0, 0)\n";

void PutWord(std::string& image, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) image[at + i] = static_cast<char>(value >> (8 * i));
}

// A block with a value no save writes, or one cut short, is refused and the scene stays.
TEST_F(LayerSnapshots, DamagedBlocksAreRefusedAndChangeNothing) {
  ScriptMachine& m = Scene(kDamageScene);
  const std::string image = Image();
  const size_t faces = BlockOffset();
  const size_t three = faces + kFacesSize + 3 * 4;
  const size_t texts = three + kTextsAt;
  const size_t name = texts + 4 + 36 + 2;
  ASSERT_EQ(static_cast<uint8_t>(image[three + 3]), 0x10) << "layer 3 is named";
  struct Case {
    const char* what;
    std::function<void(std::string&)> damage;
  };
  const Case cases[] = {
      {"face on layer 200", [&](std::string& i) { PutWord(i, faces + 16, 200); }},
      {"composition kind 0x20",
       [&](std::string& i) { PutWord(i, three + kCompositionsAt + 160, 0x20); }},
      {"copy from layer 300",
       [&](std::string& i) { PutWord(i, three + kCompositionsAt + 164, 300); }},
      {"child link to layer -5",
       [&](std::string& i) {
         PutWord(i, three + kCompositionsAt + 80, adv::kCompositionChildLink);
         PutWord(i, three + kCompositionsAt + 84, static_cast<uint32_t>(-5));
       }},
      {"shake of amplitude 0", [&](std::string& i) { PutWord(i, three + kShakeAmplitudeAt, 0); }},
      {"text of 261 bytes", [&](std::string& i) { PutWord(i, texts + 4 + 32, 261); }},
      {"text count 0x7FFFFFFF", [&](std::string& i) { PutWord(i, texts, 0x7FFFFFFF); }},
      {"name without its end", [&](std::string& i) { i.replace(name, 32, 32, 'A'); }},
      {"image width 0x7FFFFFFF",
       [&](std::string& i) { PutWord(i, three + kInfoAt + 28, 0x7FFFFFFF); }},
      {"cut inside layer 3", [&](std::string& i) { i.resize(three + 700); }},
      {"cut inside its texts", [&](std::string& i) { i.resize(texts + 10); }},
  };
  YelSprite* const shown = sprite(3);
  for (const Case& c : cases) {
    std::string damaged = image;
    c.damage(damaged);
    m.ClearLog();
    EXPECT_FALSE(Restore(damaged)) << c.what;
    EXPECT_EQ(sprite(3), shown) << c.what;
    EXPECT_EQ(layer(3).text_items.size(), 1u) << c.what;
    EXPECT_EQ(context().layers.faces[1].layer, 3) << c.what;
    EXPECT_EQ(m.CountLogged("load error : layers"), 1) << c.what;
  }
  ASSERT_TRUE(Restore(image));
  EXPECT_EQ(slot(3).name[0], '#');
}

// A recorded copy, blend, mask or delete whose rectangle no command would record (a corner that,
// moved in with the other, lies beyond the largest image) is refused by the block's reader: the
// replay on load is never handed it, and the scene stays.
TEST_F(LayerSnapshots, RecordedRectanglesNoScriptCouldMakeAreRefused) {
  ScriptMachine& m = Scene(kDamageScene);
  const std::string image = Image();
  const size_t entry = BlockOffset() + kFacesSize + 3 * 4 + kCompositionsAt + 2 * 80;
  ASSERT_EQ(static_cast<uint8_t>(image[entry]), adv::kCompositionCopyLayer) << "entry 2 copies";
  constexpr int32_t kFar = 1 << 30;
  struct Case {
    const char* what;
    uint32_t kind;
    int32_t x, y, sx, sy, w, h;
  } cases[] = {
      {"copy from far right", adv::kCompositionCopyLayer, -kFar, 0, kFar, 0, INT32_MAX, 8},
      {"copy from far down", adv::kCompositionCopyLayer, 0, -kFar, 0, kFar, 8, INT32_MAX},
      {"copy to far right", adv::kCompositionCopyLayer, kFar, 0, -kFar, 0, INT32_MAX, 8},
      {"copy past the largest image", adv::kCompositionCopyLayer, 16384, 0, 0, 0, 8, 8},
      {"channel copy from far right", adv::kCompositionChannelCopy, -kFar, 0, kFar, 0, INT32_MAX,
       8},
      {"blend from far right", adv::kCompositionMixFile, -kFar, 0, kFar, 0, INT32_MAX, 8},
      {"file copy from far right", adv::kCompositionCopyFile, -kFar, 0, kFar, 0, INT32_MAX, 8},
      {"mask from far right", adv::kCompositionMask, -kFar, 0, kFar, 0, INT32_MAX, 8},
      {"delete past the largest image", adv::kCompositionDeleteNoAlpha, 0, 20000, 0, 0, 8, 8},
  };
  YelSprite* const shown = sprite(3);
  for (const Case& c : cases) {
    std::string damaged = image;
    PutWord(damaged, entry, c.kind);
    const int32_t words[] = {c.x, c.y, c.sx, c.sy, c.w, c.h};
    for (size_t k = 0; k < 6; ++k) {
      PutWord(damaged, entry + 8 + 4 * k, static_cast<uint32_t>(words[k]));
    }
    m.ClearLog();
    EXPECT_FALSE(Restore(damaged)) << c.what;
    EXPECT_EQ(sprite(3), shown) << c.what;
    EXPECT_EQ(m.CountLogged("load error : layers"), 1) << c.what;
  }
  ASSERT_TRUE(Restore(image));
}

// Random bytes of the block changed, or the image cut anywhere in it: every restore is refused
// cleanly or rebuilds a scene (the sanitizer builds watch for faults).
TEST_F(LayerSnapshots, RandomDamageNeverFaults) {
  Scene(kDamageScene);
  const std::string image = Image();
  const size_t begin = BlockOffset();
  const size_t end = begin + Block().size();
  std::mt19937 random(35);
  for (int round = 0; round < 300; ++round) {
    std::string damaged = image;
    if (round % 4 == 0) {
      damaged.resize(begin + random() % (end - begin));
    } else {
      for (int n = 0; n < 3; ++n) {
        damaged[begin + random() % (end - begin)] = static_cast<char>(random());
      }
    }
    if (Restore(damaged)) {
      FrameEnd();
      ASSERT_TRUE(Restore(image));
    }
    ASSERT_NE(sprite(3), nullptr) << round;
  }
}

// ---- The sample game ----------------------------------------------------------------------

constexpr int32_t kSampleWidth = 1280;
constexpr int32_t kSampleHeight = 720;

// The frame the layers make: every shown layer sprite drawn at its place, back to front, its
// pixels blended by their alpha and the sprite's colour alpha.
std::vector<uint32_t> LayerFrame(adv::AdvContext& context) {
  struct Drawn {
    YelSprite* sprite;
    YelSpriteInfo info;
  };
  std::vector<Drawn> drawn;
  for (const adv::LayerRecord& record : context.layers.layers) {
    if (!record.slot || !record.slot->sprite) continue;
    Drawn d{record.slot->sprite, {}};
    yel::YelSpriteGetInfo(d.sprite, &d.info);
    if (d.info.visible) drawn.push_back(d);
  }
  // Lower priorities lie in front: drawn last.
  std::stable_sort(drawn.begin(), drawn.end(), [](const Drawn& a, const Drawn& b) {
    return a.info.priority > b.info.priority;
  });
  std::vector<uint32_t> frame(size_t(kSampleWidth) * kSampleHeight, 0xFF000000);
  for (const Drawn& d : drawn) {
    int32_t width = 0, height = 0;
    const uint32_t* pixels = yel::YelSpriteLock(d.sprite, &width, &height);
    if (!pixels) continue;
    const int32_t left = static_cast<int32_t>(d.info.x), top = static_cast<int32_t>(d.info.y);
    const uint32_t alpha = d.info.colour >> 24;
    for (int32_t y = 0; y < std::min(height, d.info.image_height); ++y) {
      for (int32_t x = 0; x < std::min(width, d.info.image_width); ++x) {
        const int32_t fx = left + x, fy = top + y;
        if (fx < 0 || fy < 0 || fx >= kSampleWidth || fy >= kSampleHeight) continue;
        const uint32_t p = pixels[size_t(y) * width + x];
        const uint32_t a = (p >> 24) * alpha / 255;
        uint32_t& t = frame[size_t(fy) * kSampleWidth + fx];
        uint32_t out = 0xFF000000;
        for (int shift = 0; shift < 24; shift += 8) {
          const uint32_t s = p >> shift & 0xFF, b = t >> shift & 0xFF;
          out |= (s * a + b * (255 - a)) / 255 << shift;
        }
        t = out;
      }
    }
    yel::YelSpriteUnlock(d.sprite);
  }
  return frame;
}

// The sample is played up to its masked picture, shown with the name plate (a text layer) and
// the guide's face; the frame after a save and a restore is the frame before it, once the message
// window shows the face again.
TEST_F(LayerSnapshots, TheSampleSceneShowsTheSameFrameAfterARestore) {
  constexpr int kMaskedLayer = 20, kPlateLayer = 30, kFaceLayer = 31;
  Drop();
  yel::YelSystemPathSet(SAMPLE_PACK_DIR);
  adv::AdvWindowWidth = kSampleWidth;
  adv::AdvWindowHeight = kSampleHeight;
  machine_ = std::make_unique<ScriptMachine>(SampleSource());
  ASSERT_TRUE(machine_->loaded());
  machine_->SetCommand(0x0A0000, IgnoreArguments<2>);  // save
  machine_->SetCommand(0x0A0001, IgnoreArguments<1>);  // load
  machine_->SetCommand(0x0A0009, IgnoreArguments<1>);  // is_save
  machine_->SetCommand(0x0A000B, IgnoreArguments<1>);  // save_point
  adv::AdvContext& c = context();
  uint32_t now = 1000;
  bool reached = false;
  for (int frame = 0; frame < 3000 && !yel::IsSystemEnd() && !reached; ++frame, now += 16) {
    if (adv::ScreenEffectsStep(c, yel::YeltimeGetTime() + (now - 1000))) continue;
    yel::YelInputClear();
    // An effect the script waits for is cut short by a click.
    if (c.sound.se_wait_channel != 0) yel::YelInputSetKeyPush(0x800000);
    machine_->Run();
    if (adv::AdvHasAsyncFunction()) {
      std::thread(adv::ThreadBaseWorkerProc, reinterpret_cast<uintptr_t>(&adv::VoiceLoadJob()))
          .join();
      adv::AdvCallAsyncFunction();
    }
    adv::ActionsStep(c, yel::YeltimeGetTime() + (now - 1000));
    adv::TextWindow& window = c.text_window;
    if (window.line_kind & adv::kLineRevealing) {
      adv::AdvTextWaitStep(c, 0, window.wait_start + window.wait_time + 1);
      adv::AdvTextWaitStep(c, adv::SKIP_BIT_ADVANCE, now);
    }
    reached = sprite(kMaskedLayer) && layer(kMaskedLayer).flags & adv::kLayerComposition &&
              Info(kMaskedLayer).visible;
  }
  ASSERT_TRUE(reached) << "the masked picture did not show";
  ASSERT_FALSE(layer(kPlateLayer).text_items.empty());
  ASSERT_NE(sprite(kFaceLayer), nullptr);
  ASSERT_TRUE(Info(kFaceLayer).visible);
  const std::vector<uint32_t> before = LayerFrame(c);
  // The plate's text and the face are part of the frame compared.
  const std::vector<uint32_t> plate = Pixels(kPlateLayer);
  ASSERT_GT(
      std::count_if(plate.begin(), plate.end(), [&](uint32_t p) { return p != plate.front(); }), 0);

  ASSERT_TRUE(Restore(Image()));
  EXPECT_FALSE(Info(kFaceLayer).visible) << "faces start hidden";
  adv::AdvFaceSetView(c, 1);  // as the message window does when it shows
  const std::vector<uint32_t> after = LayerFrame(c);
  size_t differing = 0;
  for (size_t i = 0; i < before.size(); ++i) differing += before[i] != after[i];
  EXPECT_EQ(differing, 0u) << "of " << before.size() << " pixels";
  yel::YelInputClear();
}

}  // namespace
