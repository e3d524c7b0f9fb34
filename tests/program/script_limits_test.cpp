// What a script may ask of the pixels and the memory: sizes no texture can have and memory blocks
// beyond their cap are refused with a level-0 line naming the command and the size, and the
// script goes on; copy rectangles whose corners lie far apart in 32 bits reach no pixel outside
// either image, are refused before they are recorded, and a recorded one is not replayed outside
// either image. Every refused size here is refused before the allocator is asked, so the tests
// allocate only small images.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program/commands/memory_blocks.h"
#include "program/layers/layer_compositions.h"
#include "tests/program/layer_fixture.h"

namespace {

using test::ScriptMachine;

// Two 8 x 8 images: layer 3 black, layer 4 white.
constexpr char kTwoImages[] =
    "cmd sp_create(3, f\"#FF000000\", 0, 0, 8, 8)\n"
    "cmd sp_create(4, f\"#FFFFFFFF\", 0, 0, 8, 8)\n";
// Runs after the command under test: the script went on.
constexpr char kGoesOn[] = "mov v1, 7\n";

class ScriptLimits : public test::LayerScripts {
 protected:
  void TearDown() override {
    adv::ScriptMemoryBlocks().FreeAll();
    LayerScripts::TearDown();
  }
};

TEST_F(ScriptLimits, SizesBeyondATextureOrABlockAreRefusedAndTheScriptGoesOn) {
  struct Case {
    const char* call;
    const char* line;  // the level-0 line: the command and the size
  } cases[] = {
      {"sp_create(5, f\"#FF000000\", 0, 0, 0x7FFFFFFF, 1)",
       "sp_create : a texture of 2147483647 x 1 is refused"},
      {"sp_create(5, f\"#FF000000\", 0, 0, -100, -100)",
       "sp_create : a texture of -100 x -100 is refused"},
      {"sp_create(5, f\"#FF000000\", 0, 0, 0, 0)", "sp_create : a texture of 0 x 0 is refused"},
      {"sp_create(5, f\"#FF000000\", 0, 0, 65536, 65536)",
       "sp_create : a texture of 65536 x 65536 is refused"},
      {"sp_create(5, f\"#FF000000\", 0, 0, 16384, 8193)",
       "sp_create : a texture of 16384 x 8193 is refused"},
      {"text_init(24, 0, 0, 0x40000000, 0x40000000, 0, 0, 0)",
       "text_init : a texture of 16384 x 8192 is refused"},
      {"text_init_ex(24, 16384, 16384, 0)", "text_init_ex : a texture of 16384 x 8192 is refused"},
      {"vmem_create(1, 0x7FFFFFFF, 0)", "vmem_create 1 : 2147483647 bytes is more than a block"},
      {"vmem_create(1, -1, 0)", "vmem_create 1 : 4294967295 bytes is more than a block"},
      {"vmem_create(1, 0x4000001, 0)", "vmem_create 1 : 67108865 bytes is more than a block"},
  };
  for (const auto& c : cases) {
    ScriptMachine& m = Load(std::string("cmd ") + c.call + "\n" + kGoesOn);
    m.Run();
    EXPECT_TRUE(m.Logged(c.line, adv::kLogError)) << c.call;
    EXPECT_EQ(m.V(1), 7) << c.call;
    EXPECT_EQ(m.CountLogged("内部エラー"), 0) << c.call;
    EXPECT_EQ(sprite(5), nullptr) << c.call;
    EXPECT_EQ(context().text_window.initialised, 0) << c.call;
    EXPECT_EQ(adv::ScriptMemoryBlocks().Find(1), nullptr) << c.call;
  }
}

// The largest of each is still taken (the block's pages are not touched).
TEST_F(ScriptLimits, TheLargestSizesAreTaken) {
  ScriptMachine& m = Load(
      "cmd sp_create(5, f\"#FF000000\", 0, 0, 16384, 1)\n"
      "cmd vmem_create(1, 0x4000000, 0) -> v2\n" +
      std::string(kGoesOn));
  m.Run();
  ASSERT_NE(sprite(5), nullptr);
  EXPECT_EQ(yel::YelSpriteGetWidth(sprite(5)), 16384);
  EXPECT_EQ(m.V(2), 1);
  ASSERT_NE(adv::ScriptMemoryBlocks().Find(1), nullptr);
  EXPECT_EQ(adv::ScriptMemoryBlocks().Find(1)->size, adv::kVmemMaxBytes);
  EXPECT_EQ(m.V(1), 7);
}

// Paints and stretches with the largest and most negative values a script can give: each changes
// at most the pixels inside the images, and the script goes on.
TEST_F(ScriptLimits, ExtremePaintsAndStretchesStayInsideTheImages) {
  struct Case {
    const char* call;
    uint32_t corner, far_corner;  // layer 3's pixels (0, 0) and (7, 7) after the call
  } cases[] = {
      {"sp_paint(3, f\"#FFFFFFFF\", 0, 0, 0x7FFFFFFF, 0x7FFFFFFF)", 0xFFFFFFFF, 0xFFFFFFFF},
      {"sp_paint(3, f\"#FFFFFFFF\", 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF)", 0xFF000000,
       0xFF000000},
      {"sp_paint(3, f\"#FFFFFFFF\", -0x7FFFFFFF, -0x7FFFFFFF, 1, 1)", 0xFFFFFFFF, 0xFF000000},
      {"sp_paint(3, f\"#FFFFFFFF\", 4, 4, -0x7FFFFFFF, 0x7FFFFFFF)", 0xFF000000, 0xFF000000},
      {"sp_stretchblt(3, 0, 0, 8, 8, 4, 0, 0, 0x40000000, 0x40000000, 0, -1)", 0xFF000000,
       0xFF000000},
      {"sp_stretchblt(3, 0, 0, 0x40000000, 0x40000000, 4, 0, 0, 0x40000000, 0x40000000, 2, -1)",
       0xFFFFFFFF, 0xFFFFFFFF},
      {"sp_stretchblt(3, 0, 0, 0x7FFFFFFF, 0x7FFFFFFF, 4, 0, 0, 1, 1, 1, -1)", 0xFFFFFFFF,
       0xFFFFFFFF},
      {"sp_stretchblt(3, 0, 0, -8, -8, 4, 0, 0, -0x40000000, 8, 0, -1)", 0xFF000000, 0xFF000000},
  };
  for (const auto& c : cases) {
    ScriptMachine& m = Load(std::string(kTwoImages) + "cmd " + c.call + "\n" + kGoesOn);
    m.Run();
    EXPECT_EQ(m.V(1), 7) << c.call;
    const std::vector<uint32_t> pixels = Pixels(3);
    ASSERT_EQ(pixels.size(), 64u) << c.call;
    EXPECT_EQ(pixels[0], c.corner) << c.call;
    EXPECT_EQ(pixels[63], c.far_corner) << c.call;
  }
}

// The target corner at -2^30 and the source corner at +2^30 (or the other way round): moving the
// negative corner in carries the other to 2^31, past INT32_MAX. Each command refuses the
// rectangle with a level-0 line; nothing is copied or recorded.
TEST_F(ScriptLimits, RectanglesWithCornersFarApartAreRefused) {
  const char* const calls[] = {
      "sp_bitblt(3, -0x40000000, 0, 0x7FFFFFFF, 8, 4, 0x40000000, 0, 2)",
      "sp_bitblt(3, 0, -0x40000000, 8, 0x7FFFFFFF, 4, 0, 0x40000000, -1)",
      "sp_bitblt_file(3, -0x40000000, 0, 0x7FFFFFFF, 8, f\"#FFFFFFFF\", 0x40000000, 0, 2)",
      "sp_mix_file_to_sprite(3, 0, -0x40000000, 8, 0x7FFFFFFF, f\"#FFFFFFFF\", 0, 0x40000000, 2)",
      "sp_mix_file_to_sprite_ex(3, 0x40000000, 0, 0x7FFFFFFF, 8, f\"#FFFFFFFF\", -0x40000000, 0, "
      "2)",
      "sp_channel_copy(3, 0x40000000, 0, 0x7FFFFFFF, 8, 0, 4, -0x40000000, 0, 0, 2)",
      "sp_delete_no_alpha(3, 20000, 0, 8, 8, 2)",
  };
  for (const char* call : calls) {
    ScriptMachine& m = Load(std::string(kTwoImages) + "cmd " + call + "\n" + kGoesOn);
    m.Run();
    EXPECT_TRUE(m.Logged("lies outside every image", adv::kLogError)) << call;
    EXPECT_EQ(m.V(1), 7) << call;
    EXPECT_EQ(Pixels(3), std::vector<uint32_t>(64, 0xFF000000u)) << call;
    EXPECT_EQ(layer(3).compositions[2].kind, 0u) << call;
    EXPECT_EQ(layer(3).flags & adv::kLayerComposition, 0u) << call;
  }
}

// A recorded entry holding such a rectangle (as a damaged save could) is replayed without
// reaching outside either image.
TEST_F(ScriptLimits, AReplayedRectangleWithCornersFarApartReachesNoPixelOutside) {
  struct Case {
    const char* what;
    uint32_t kind;
    std::array<int32_t, 8> parameters;  // x, y, sx, sy, w, h, channel, source channel
  } cases[] = {
      {"copy", adv::kCompositionCopyLayer, {-(1 << 30), 0, 1 << 30, 0, INT32_MAX, 8, 0, 0}},
      {"copy upwards", adv::kCompositionCopyLayer, {0, 1 << 30, 0, -(1 << 30), 8, INT32_MAX, 0, 0}},
      {"channel copy",
       adv::kCompositionChannelCopy,
       {1 << 30, 0, -(1 << 30), 0, INT32_MAX, 8, 1, 2}},
  };
  for (const auto& c : cases) {
    Load(kTwoImages);
    machine_->Run();
    adv::CompositionEntry& entry = layer(3).compositions[2];
    entry.kind = c.kind;
    entry.target = 4;
    entry.parameters = c.parameters;
    EXPECT_FALSE(adv::AdvCompositionRectPlausible(entry.kind, entry.parameters)) << c.what;
    adv::AdvLayerReplayCompositions(context(), layer(3));
    EXPECT_EQ(Pixels(3), std::vector<uint32_t>(64, 0xFF000000u)) << c.what;
  }
}

}  // namespace
