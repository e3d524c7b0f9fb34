// Layer compositions: operations done on a layer's image and recorded in its composition
// entries, replayed onto a reloaded image; TGA masks read through the file layer; child layers
// that follow their parent; and the stretch command of group 0x12. Scripts run through the
// interpreter with the platform library started headless.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "program/layers/layer_compositions.h"
#include "tests/program/layer_fixture.h"
#include "tests/program/temp_folder.h"

namespace {

using test::ScriptMachine;

// Two 8 x 8 images: layer 3 black, layer 4 white.
constexpr char kTwoImages[] =
    "cmd sp_create(3, f\"#FF000000\", 0, 0, 8, 8)\n"
    "cmd sp_create(4, f\"#FFFFFFFF\", 0, 0, 8, 8)\n";

// A grey TGA of w x h, every value `grey`.
std::string GreyTga(int w, int h, uint8_t grey) {
  std::string b(18, '\0');
  b[2] = 3;
  b[12] = static_cast<char>(w), b[14] = static_cast<char>(h);
  b[16] = 8;
  return b + std::string(static_cast<size_t>(w) * h, static_cast<char>(grey));
}

class Compositions : public test::LayerScripts {
 protected:
  uint32_t Pixel(int layer, int x, int y) { return yel::YelGetPixel(sprite(layer), x, y); }
  // The layer's image loaded again as a fresh black plane, as a restore reloads it.
  void Reload(int n) {
    adv::RunDisplayQueue(context());  // nothing queued may still name the sprite that goes
    YelSprite* fresh = yel::YelSpriteCreate(render_, 8, 8, 100);
    yel::YelSpritePaint(fresh, nullptr, 0xFF000000);
    yel::YelSpriteRelease(render_, slot(n).sprite);
    slot(n).sprite = fresh;
  }
  // Runs the script with a folder of mask files in the search path.
  void WithMasks(const std::string& script) {
    masks_.Write("HALF.tga", GreyTga(4, 4, 0x80));
    yel::YelSystemPathSet(masks_.path().c_str());
    Load(script);
    machine_->Run();
  }
  test::TempFolder masks_;
};

TEST_F(Compositions, BitbltOnceIsNotReplayedARecordedOneIs) {
  ScriptMachine& m = Load(std::string(kTwoImages) +
                          "cmd sp_bitblt(3, 0, 0, 2, 2, 4, 0, 0, -1)\n"
                          "cmd sp_bitblt(3, 4, 4, 2, 2, 4, 0, 0, 2)\n");
  m.Run();
  EXPECT_EQ(Pixel(3, 0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(3, 5, 5), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(3, 6, 6), 0xFF000000u);
  EXPECT_TRUE(m.Logged("sp_bitblt 3, 0, 0, 2, 2, 4, 0, 0, -1", adv::kLogTrace));
  const adv::CompositionEntry& entry = layer(3).compositions[2];
  EXPECT_EQ(entry.kind, 2u);
  EXPECT_EQ(entry.target, 4u);
  EXPECT_EQ(entry.parameters[0], 4);
  EXPECT_EQ(entry.parameters[4], 2);
  EXPECT_NE(layer(3).flags & adv::kLayerComposition, 0u);
  for (int k : {0, 1, 3, 4, 5, 6, 7}) EXPECT_EQ(layer(3).compositions[k].kind, 0u) << k;

  Reload(3);
  adv::AdvLayerReplayCompositions(context(), layer(3));
  EXPECT_EQ(Pixel(3, 0, 0), 0xFF000000u);  // the one-off copy is gone
  EXPECT_EQ(Pixel(3, 4, 4), 0xFFFFFFFFu);  // entry 2 copied again
}

TEST_F(Compositions, ReplayFollowsEntryOrder) {
  // A blend of an opaque red file image, then the white layer 4's blue into layer 3's blue: in
  // the other order the blend would cover the blue.
  ScriptMachine& m = Load(std::string(kTwoImages) +
                          "cmd sp_mix_file_to_sprite(3, 0, 0, 8, 8, f\"#FFFF0000\", 0, 0, 0)\n"
                          "cmd sp_channel_copy(3, 0, 0, 8, 8, 0, 4, 0, 0, 0, 1)\n");
  m.Run();
  EXPECT_EQ(Pixel(3, 1, 1), 0xFFFF00FFu);
  Reload(3);
  adv::AdvLayerReplayCompositions(context(), layer(3));
  EXPECT_EQ(Pixel(3, 1, 1), 0xFFFF00FFu);
  EXPECT_EQ(layer(3).compositions[0].kind, 1u);
  EXPECT_EQ(layer(3).compositions[1].parameters[6], 0);
}

TEST_F(Compositions, FastForwardingRecordsWithoutPixels) {
  ScriptMachine& m = Load(std::string(kTwoImages) + "cmd wait_frame()\n" +
                          "cmd sp_bitblt(3, 0, 0, 8, 8, 4, 0, 0, 2)\n"
                          "cmd sp_bitblt(3, 0, 0, 8, 8, 4, 0, 0, -1)\n"
                          "cmd sp_alpha_copy(3, 4, 255, 3)\n"
                          "cmd sp_set_mask(3, 0, 0, 8, 8, f\"HALF\", 0, 0, 4)\n");
  m.Run();
  context().skip.scene_skip = 1;
  m.Run();
  context().skip.scene_skip = 0;
  EXPECT_EQ(Pixel(3, 1, 1), 0xFF000000u);
  EXPECT_EQ(layer(3).compositions[2].kind, 2u);
  EXPECT_EQ(layer(3).compositions[3].kind, 12u);
  EXPECT_EQ(layer(3).compositions[4].kind, 4u);
  EXPECT_FALSE(m.Logged("内部エラー", adv::kLogError));  // the mask was not even looked for
}

TEST_F(Compositions, MaskMissingGivesZeroAndKeepsTheEntry) {
  WithMasks(std::string(kTwoImages) + "cmd sp_set_mask(4, 0, 0, 8, 8, f\"NOMASK\", 0, 0, 1)\n");
  EXPECT_TRUE(machine_->Logged("内部エラー", adv::kLogError));
  EXPECT_EQ(layer(4).compositions[1].kind, 4u);
  EXPECT_EQ(Pixel(4, 0, 0), 0xFFFFFFFFu);
}

TEST_F(Compositions, AMaskSmallerThanTheRectangleIsCutToIt) {
  // The 4 x 4 mask of half values, asked for 8 x 8 from its (1, 1): 3 x 3 pixels change.
  WithMasks(std::string(kTwoImages) + "cmd sp_set_mask(4, 2, 2, 8, 8, f\"HALF\", 1, 1, 1)\n");
  EXPECT_FALSE(machine_->Logged("内部エラー", adv::kLogError));
  EXPECT_EQ(Pixel(4, 2, 2) >> 24, 0x7Fu);
  EXPECT_EQ(Pixel(4, 4, 4) >> 24, 0x7Fu);
  EXPECT_EQ(Pixel(4, 5, 5) >> 24, 0xFFu);  // past the mask
  EXPECT_EQ(Pixel(4, 1, 1) >> 24, 0xFFu);
  EXPECT_EQ(Pixel(4, 2, 2) & 0xFFFFFF, 0xFFFFFFu);
  // A negative mask offset moves the rectangle along: (0, 0) of the mask lands on (3, 3).
  Load(std::string(kTwoImages) + "cmd sp_set_mask(4, 2, 2, 8, 8, f\"HALF\", -1, -1, 1)\n");
  machine_->Run();
  EXPECT_EQ(Pixel(4, 2, 2) >> 24, 0xFFu);
  EXPECT_EQ(Pixel(4, 3, 3) >> 24, 0x7Fu);
  EXPECT_EQ(Pixel(4, 6, 6) >> 24, 0x7Fu);
  EXPECT_EQ(Pixel(4, 7, 7) >> 24, 0xFFu);
}

// The sample game's picture and its oval mask, read from the game's archive.
TEST_F(Compositions, TheSampleMaskCutsAnOvalOfThePicture) {
  yel::YelSystemPathSet((std::string(SAMPLE_GAME_DIR) + "/sample").c_str());
  ScriptMachine& m = Load(
      "cmd sp_set_ex(f\"EVENT01\", 20, 0, 0, 0)\n"
      "cmd sp_set_mask(20, 0, 0, 640, 360, f\"MASK01\", 0, 0, 0)\n");
  m.Run();
  ASSERT_NE(sprite(20), nullptr);
  EXPECT_FALSE(m.Logged("内部エラー", adv::kLogError));
  EXPECT_EQ(Pixel(20, 0, 0) >> 24, 0u);
  EXPECT_EQ(Pixel(20, 639, 359) >> 24, 0u);
  EXPECT_EQ(Pixel(20, 320, 180) >> 24, 0xFEu);  // 255 x 255 / 256
}

TEST_F(Compositions, AlphaCopyClampsItsValue) {
  struct Case {
    int value;
    uint32_t pixel;
  } cases[] = {{300, 0xFFFFFFFF}, {-5, 0}};
  for (const Case& c : cases) {
    Load(std::string(kTwoImages) + "cmd sp_alpha_copy(3, 4, " + std::to_string(c.value) + ", 0)\n");
    machine_->Run();
    EXPECT_EQ(Pixel(3, 3, 3), c.pixel) << c.value;
    EXPECT_EQ(layer(3).compositions[0].parameters[1], c.value);  // recorded as given
    EXPECT_TRUE(
        machine_->Logged("sp_alpha_copy  3, 4, " + std::to_string(c.value), adv::kLogTrace));
  }
}

TEST_F(Compositions, MotionBlurAngleIsAQuarterTurnPerThousand) {
  const double pi = static_cast<double>(3.1415927f);
  EXPECT_DOUBLE_EQ(adv::AdvMotionBlurAngle(-1024), 3072 * pi / 2048);
  EXPECT_DOUBLE_EQ(adv::AdvMotionBlurAngle(4096 + 1024), 1024 * pi / 2048);
  ScriptMachine& m = Load(std::string(kTwoImages) + "cmd sp_motionblur(3, 4, 2, -1024, 1, 5)\n");
  m.Run();
  const adv::CompositionEntry& entry = layer(3).compositions[5];
  EXPECT_EQ(entry.kind, 13u);
  EXPECT_EQ(entry.parameters[0], 3);
  EXPECT_EQ(entry.parameters[2], -1024);
  EXPECT_TRUE(m.Logged("sp_motionblur  3, 4, 2, -1024, 1", adv::kLogTrace));
}

TEST_F(Compositions, AFilterThatFailsTracesItsErrLineAndGivesOne) {
  // Strength 9 is outside the Gaussian blur's 0-7.
  ScriptMachine& m = Load(std::string(kTwoImages) + "cmd sp_gaussblur(3, 4, 9, 0)\n");
  m.Run();
  EXPECT_TRUE(m.Logged("sp_boxblur  err 3, 4, 9", adv::kLogTrace));
  EXPECT_FALSE(m.Logged("内部エラー", adv::kLogError));
  EXPECT_EQ(layer(3).compositions[0].kind, 10u);
}

TEST_F(Compositions, ChildFollowsItsParentUntilUnlinked) {
  ScriptMachine& m = Load(std::string(kTwoImages) +
                          "cmd sp_create(5, f\"#FFFFFFFF\", 0, 0, 8, 8)\n"
                          "cmd sp_set_pos_ex(3, 100, 50, 0)\n"
                          "cmd sp_set_child(3, 5, 10, 20, 0)\n"
                          "cmd wait_frame()\n"
                          "cmd sp_set_pos_ex(3, 40, 30, 0)\n"
                          "cmd wait_frame()\n"
                          "cmd sp_set_child(3, -1, 0, 0, 0)\n");
  m.Run();
  FrameEnd();
  EXPECT_EQ(layer(3).compositions[0].kind, adv::kCompositionChildLink);
  EXPECT_EQ(adv::AdvGraphicSlotSums(slot(5)).position[0], 110);
  EXPECT_EQ(adv::AdvGraphicSlotSums(slot(5)).position[1], 70);
  Frame();
  EXPECT_EQ(adv::AdvGraphicSlotSums(slot(5)).position[0], 50);
  EXPECT_EQ(adv::AdvGraphicSlotSums(slot(5)).position[1], 50);
  EXPECT_TRUE(m.Logged("sp_set_child 3, 5, 10, 20, 0", adv::kLogTrace));
  Frame();
  EXPECT_EQ(layer(3).compositions[0].kind, 0u);
  EXPECT_EQ(layer(3).compositions[0].target, 0xFFFFFFFFu);
  EXPECT_EQ(layer(3).flags & adv::kLayerComposition, 0u);
  EXPECT_FALSE(adv::AdvLayerIsChildSlot(context(), &slot(5)));
}

TEST_F(Compositions, UnlinkingKeepsTheFlagWhileAnotherEntryIsUsed) {
  ScriptMachine& m = Load(std::string(kTwoImages) +
                          "cmd sp_set_child(3, 4, 0, 0, 0)\n"
                          "cmd sp_delete_no_alpha(3, 0, 0, 8, 8, 1)\n"
                          "cmd sp_set_child(3, -1, 0, 0, 0)\n");
  m.Run();
  EXPECT_NE(layer(3).flags & adv::kLayerComposition, 0u);
  EXPECT_EQ(layer(3).compositions[1].kind, 7u);
}

TEST_F(Compositions, StretchCommandRecordsInEntryZero) {
  ScriptMachine& m = Load(
      "cmd sp_create(3, f\"#FF000000\", 0, 0, 8, 4)\n"
      "cmd sp_create(4, f\"#FFFFFFFF\", 0, 0, 2, 2)\n"
      "cmd 0x12002E(3, 4, 0)\n"
      "cmd 0x12002E(3, 9, 0)\n");  // layer 9 holds no image: nothing
  m.Run();
  EXPECT_EQ(Pixel(3, 7, 3), 0xFFFFFFFFu);
  const adv::CompositionEntry& entry = layer(3).compositions[0];
  EXPECT_EQ(entry.kind, 8u);
  EXPECT_EQ(entry.target, 4u);
  EXPECT_EQ(entry.parameters[0], 3);
  EXPECT_EQ(entry.parameters[1], 0);
  EXPECT_FALSE(m.Logged("内部エラー", adv::kLogError));
}

TEST_F(Compositions, OutOfRangeNumbersAreRefusedAndRecordNothing) {
  struct Case {
    const char* call;
    int number;
  } cases[] = {
      {"sp_bitblt(128, 0, 0, 1, 1, 4, 0, 0, 0)", 128},
      {"sp_bitblt(3, 0, 0, 1, 1, -1, 0, 0, 0)", -1},
      {"sp_bitblt(3, 0, 0, 1, 1, 4, 0, 0, -2)", -2},
      {"sp_bitblt_file(3, 0, 0, 1, 1, f\"#FF000000\", 0, 0, 8)", 8},
      {"sp_set_mask(-1, 0, 0, 1, 1, f\"HALF\", 0, 0, 0)", -1},
      {"sp_boxblur(3, 200, 1, 1, 1, 0)", 200},
      {"sp_delete_no_alpha255(3, 0, 0, 1, 1, -1)", -1},
      {"sp_set_child(3, 128, 0, 0, 0)", 128},
      {"sp_set_child(3, 4, 0, 0, 8)", 8},
      {"0x12002E(-1, 4, 0)", -1},
      {"0x12002E(3, 128, 0)", 128},
  };
  for (const Case& c : cases) {
    ScriptMachine& m = Load(std::string(kTwoImages) + "cmd " + c.call + "\n");
    m.Run();
    EXPECT_TRUE(m.Logged(test::kLayerRangeText + std::to_string(c.number), adv::kLogError))
        << c.call;
    EXPECT_TRUE(m.Logged("内部エラー", adv::kLogError)) << c.call;
    EXPECT_EQ(layer(3).flags & adv::kLayerComposition, 0u) << c.call;
  }
}

TEST_F(Compositions, StretchExecutorRefusesMinusOne) {
  Load(kTwoImages);
  machine_->Run();
  adv::CompositionEntry& entry = layer(3).compositions[0];
  entry.kind = adv::kCompositionStretch;
  entry.parameters[0] = -1;
  entry.target = 4;
  EXPECT_EQ(adv::AdvLayerStretch(context(), layer(3), 0), 0);
  EXPECT_TRUE(machine_->Logged(std::string(test::kLayerRangeText) + "-1", adv::kLogError));
}

}  // namespace
