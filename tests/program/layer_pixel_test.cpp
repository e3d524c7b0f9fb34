// Layer pixel commands: paint and alpha fill, single pixels, the script's pixel locks reached
// only through their tokens and bounded by the locked image, the colour multiply and the
// stretch blit cut to both images. Scripts run through the interpreter with the platform
// library started headless.
#include <gtest/gtest.h>

#include <string>

#include "tests/program/layer_fixture.h"

namespace {

using test::ScriptMachine;

// Layer 3: 8 x 4 of 0x80FF0000; layer 4: 2 x 1 of two colours. v1 names cell 10, v3 cell 20.
constexpr char kImages[] =
    "cmd sp_create(3, f\"#80FF0000\", 0, 0, 8, 4)\n"
    "cmd sp_create(4, f\"#FF000000\", 0, 0, 2, 1)\n"
    "cmd sp_set_pixel(4, 0, 0, 0x0A0B0C0D)\n"
    "cmd sp_set_pixel(4, 1, 0, 0x01020304)\n"
    "mov v1, 10\n"
    "mov v3, 20\n";

class Pixels : public test::LayerScripts {
 protected:
  ScriptMachine& RunScript(const std::string& body) {
    ScriptMachine& m = Load(std::string(kImages) + body);
    m.Run();
    return m;
  }
  uint32_t Pixel(int layer, int x, int y) { return yel::YelGetPixel(sprite(layer), x, y); }
  uint32_t V(int n) { return static_cast<uint32_t>(machine_->V(n)); }
};

TEST_F(Pixels, PaintTakesTheHexAfterTheFirstCharacter) {
  RunScript("cmd sp_paint(3, f\"#FF0000\", 0, 0, 0, 0)\n");
  EXPECT_EQ(Pixel(3, 0, 0), 0x00FF0000u);
  EXPECT_EQ(Pixel(3, 7, 3), 0x00FF0000u);
  EXPECT_TRUE(machine_->Logged("sp_paint 3, 0x00FF0000, 0, 0, 0, 0", adv::kLogTrace));
  // Four values that are not all 0 are the rectangle's left, top, right and bottom.
  RunScript("cmd sp_paint(3, f\"#FF00FF00\", 2, 1, 4, 2)\n");
  EXPECT_EQ(Pixel(3, 2, 1), 0xFF00FF00u);
  EXPECT_EQ(Pixel(3, 3, 1), 0xFF00FF00u);
  EXPECT_EQ(Pixel(3, 4, 1), 0x80FF0000u);
  EXPECT_EQ(Pixel(3, 2, 2), 0x80FF0000u);
}

TEST_F(Pixels, FillAlphaSetsEveryAlphaByte) {
  RunScript("cmd sp_fill_alpha(3, 0x140)\n");
  EXPECT_EQ(Pixel(3, 0, 0), 0x40FF0000u);
  EXPECT_EQ(Pixel(3, 7, 3), 0x40FF0000u);
}

TEST_F(Pixels, GetAndSetPixel) {
  RunScript("cmd sp_get_pixel(4, 1, 0) -> v2\n");
  EXPECT_EQ(V(2), 0x01020304u);
  EXPECT_TRUE(machine_->Logged("sp_set_pixel  4, 1, 0, (hex)01020304", adv::kLogTrace));
  RunScript("cmd sp_get_pixel(-1, 0, 0) -> v2\n");
  EXPECT_TRUE(machine_->Logged("error, sp_get_pixel  -1, 0, 0", adv::kLogError));
  EXPECT_EQ(V(2), 0u);
}

TEST_F(Pixels, PeekAndPokeThroughTheToken) {
  RunScript(
      "cmd sp_pixel_lock(3, 10, 11)\n"
      "cmd sp_peek_dword(3, temp[v1], 0) -> v2\n"
      "cmd sp_poke_byte(3, temp[v1], 3, 0x40)\n"
      "cmd sp_peek_dword(3, temp[v1], 0) -> v4\n"
      "cmd sp_peek_byte(3, temp[v1], 2) -> v5\n"
      "cmd sp_poke_dword(3, temp[v1], 124, 0x01020304)\n"
      "cmd sp_pixel_unlock(3)\n");
  EXPECT_NE(Cell(10), 0);
  EXPECT_EQ(Cell(11), 8);  // the row length
  EXPECT_EQ(V(2), 0x80FF0000u);
  EXPECT_EQ(V(4), 0x40FF0000u);
  EXPECT_EQ(V(5), 0xFFu);
  EXPECT_EQ(Pixel(3, 0, 0), 0x40FF0000u);
  EXPECT_EQ(Pixel(3, 7, 3), 0x01020304u);  // the last four bytes of 8 x 4 x 4
  EXPECT_FALSE(machine_->Logged("pixel lock", adv::kLogError));
}

TEST_F(Pixels, StaleForeignAndOutOfRangeTokensAreRefused) {
  struct Case {
    const char* what;
    const char* script;
    const char* logged;  // null: refused without a line
  } cases[] = {
      {"unlocked", "cmd sp_pixel_lock(3, 10, 11)\ncmd sp_pixel_unlock(3)\n",
       "is not a pixel lock of layer 3"},
      {"locked again", "cmd sp_pixel_lock(3, 10, 11)\ncmd sp_pixel_lock(3, 20, 21)\n",
       "is not a pixel lock of layer 3"},
      {"another layer's", "cmd sp_pixel_lock(4, 10, 11)\ncmd sp_pixel_lock(3, 20, 21)\n",
       "is not a pixel lock of layer 3"},
      {"image replaced",
       "cmd sp_pixel_lock(3, 10, 11)\ncmd sp_create(3, f\"#80FF0000\", 0, 0, 8, 4)\n",
       "is not a pixel lock of layer 3"},
      {"made up", "cmd sp_pixel_lock(3, 20, 21)\nmov temp[v1], 12345\n",
       "is not a pixel lock of layer 3"},
      {"never locked", "mov temp[v1], 0\n", nullptr},
  };
  for (const Case& c : cases) {
    RunScript(std::string(c.script) +
              "cmd sp_peek_dword(3, temp[v1], 0) -> v2\n"
              "cmd sp_poke_dword(3, temp[v1], 0, 7)\n");
    EXPECT_EQ(V(2), 0u) << c.what;
    EXPECT_EQ(Pixel(3, 0, 0), 0x80FF0000u) << c.what;
    if (c.logged) {
      EXPECT_TRUE(machine_->Logged(c.logged, adv::kLogError)) << c.what;
    }
    EXPECT_FALSE(machine_->Logged("内部エラー", adv::kLogError)) << c.what;
  }
}

TEST_F(Pixels, OffsetsAndCountsMustStayInsideTheLockedImage) {
  struct Case {
    const char* call;  // on layer 3 locked (token in cell 10), 8 x 4 pixels = 128 bytes
    bool refused;
  } cases[] = {
      {"sp_peek_dword(3, temp[v1], 125) -> v2", true},
      {"sp_peek_byte(3, temp[v1], 128) -> v2", true},
      {"sp_peek_byte(3, temp[v1], 127) -> v2", false},
      {"sp_poke_dword(3, temp[v1], 126, 7)", true},
      {"sp_pixel_copy(3, temp[v1], 64, 3, temp[v1], 0, 65)", true},
      {"sp_pixel_copy(3, temp[v1], 64, 3, temp[v1], 0, 64)", false},
      {"sp_pixel_copy(3, temp[v1], 0, 4, temp[v3], 0, 9)", true},  // layer 4 holds 8 bytes
      {"sp_pixel_channel_copy(3, temp[v1], 3, 4, temp[v3], 0, 32)", false},
      {"sp_pixel_channel_copy(3, temp[v1], 3, 4, temp[v3], 0, 33)", true},
      {"sp_pixel_channel_copy(3, temp[v1], 3, 4, temp[v3], 8, 1)", true},
  };
  for (const Case& c : cases) {
    RunScript(std::string("cmd sp_pixel_lock(3, 10, 11)\ncmd sp_pixel_lock(4, 20, 21)\ncmd ") +
              c.call + "\n");
    EXPECT_EQ(machine_->Logged("outside the locked image", adv::kLogError), c.refused) << c.call;
    if (c.refused) {
      EXPECT_EQ(Pixel(3, 0, 0), 0x80FF0000u) << c.call;
    }
  }
}

TEST_F(Pixels, CopiesMoveBytesAndTheChannelCopyWraps) {
  RunScript(
      "cmd sp_pixel_lock(3, 10, 11)\n"
      "cmd sp_pixel_lock(4, 20, 21)\n"
      "cmd sp_pixel_copy(3, temp[v1], 4, 4, temp[v3], 0, 8)\n"
      // Four alpha bytes of layer 3's second row from the blue bytes of layer 4, which has two
      // pixels: the source starts over from its first byte.
      "cmd sp_pixel_channel_copy(3, temp[v1], 35, 4, temp[v3], 0, 4)\n"
      "cmd sp_pixel_unlock(3)\n"
      "cmd sp_pixel_unlock(4)\n");
  EXPECT_EQ(Pixel(3, 1, 0), 0x0A0B0C0Du);
  EXPECT_EQ(Pixel(3, 2, 0), 0x01020304u);
  EXPECT_EQ(Pixel(3, 0, 1), 0x0DFF0000u);
  EXPECT_EQ(Pixel(3, 1, 1), 0x04FF0000u);
  EXPECT_EQ(Pixel(3, 2, 1), 0x0DFF0000u);
  EXPECT_EQ(Pixel(3, 3, 1), 0x04FF0000u);
}

TEST_F(Pixels, PixelLockChecksItsCells) {
  RunScript("cmd sp_pixel_lock(3, 4096, 11)\n");
  EXPECT_TRUE(machine_->Logged(std::string(test::kLayerRangeText) + "4096", adv::kLogError));
  EXPECT_TRUE(machine_->Logged("内部エラー", adv::kLogError));
  RunScript("cmd sp_pixel_lock(3, -1, 11)\n");
  EXPECT_EQ(Cell(11), 8);
  EXPECT_FALSE(machine_->Logged("内部エラー", adv::kLogError));
}

TEST_F(Pixels, FastForwardingLocksNothing) {
  ScriptMachine& m = Load(std::string(kImages) +
                          "mov temp[v1], 99\n"
                          "cmd wait_frame()\n"
                          "cmd sp_pixel_lock(3, 10, 11)\n"
                          "cmd sp_get_pixel(3, 0, 0) -> v2\n");
  m.Run();
  context().skip.scene_skip = 1;
  m.Run();
  context().skip.scene_skip = 0;
  EXPECT_EQ(Cell(10), 0);
  EXPECT_EQ(V(2), 0u);
  EXPECT_EQ(layer(3).pixel_lock.token, 0);
}

TEST_F(Pixels, UpdateArgbTruncatesTheProduct) {
  struct Case {
    const char* argb;
    uint32_t pixel;  // of 0xFFFF80FF
  } cases[] = {
      {"0xFFFFFFFF", 0xFEFE7FFE},
      {"0x80FFFFFF", 0x7FFE7FFE},
      {"0", 0},
  };
  for (const Case& c : cases) {
    RunScript(std::string("cmd sp_paint(3, f\"#FFFF80FF\", 0, 0, 0, 0)\n") +
              "cmd sp_update_argb(3, 0, 0, 8, 4, " + c.argb + ")\n");
    EXPECT_EQ(Pixel(3, 5, 2), c.pixel) << c.argb;
  }
}

TEST_F(Pixels, UpdateArgbIsCutToTheImage) {
  struct Case {
    int x, y, w, h;
    int cleared_x, cleared_y, kept_x, kept_y;
  } cases[] = {
      {-2, -2, 100, 100, 0, 0, -1, -1},  // all of it
      {6, 2, 10, 10, 7, 3, 5, 2},        // the corner inside
      {-3, 0, 4, 1, 0, 0, 1, 0},         // one column left of the cut
      {0, 0, 0, 4, -1, -1, 0, 0},        // no width: nothing
      {9, 0, 4, 4, -1, -1, 7, 0},        // beside the image: nothing
  };
  for (const Case& c : cases) {
    RunScript("cmd sp_update_argb(3, " + std::to_string(c.x) + ", " + std::to_string(c.y) + ", " +
              std::to_string(c.w) + ", " + std::to_string(c.h) + ", 0)\n");
    const std::string what = std::to_string(c.x) + "," + std::to_string(c.w);
    if (c.cleared_x >= 0) {
      EXPECT_EQ(Pixel(3, c.cleared_x, c.cleared_y), 0u) << what;
    }
    if (c.kept_x >= 0) {
      EXPECT_EQ(Pixel(3, c.kept_x, c.kept_y), 0x80FF0000u) << what;
    }
    EXPECT_TRUE(machine_->Logged("sp_update_argb  3", adv::kLogTrace)) << what;
  }
  RunScript("cmd sp_update_argb(9, 0, 0, 1, 1, 0)\n");
  EXPECT_TRUE(machine_->Logged("not image... sp_update_argb 9", adv::kLogError));
}

TEST_F(Pixels, StretchbltModeZeroDoublesEachPixel) {
  RunScript("cmd sp_stretchblt(3, 0, 0, 4, 2, 4, 0, 0, 2, 1, 0, -1)\n");
  const uint32_t expected[4] = {0x0A0B0C0D, 0x0A0B0C0D, 0x01020304, 0x01020304};
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(Pixel(3, x, 0), expected[x]) << x;
    EXPECT_EQ(Pixel(3, x, 1), expected[x]) << x;
  }
  EXPECT_EQ(Pixel(3, 4, 0), 0x80FF0000u);
  EXPECT_TRUE(machine_->Logged("sp_stretchblt 3, 0, 0, 4, 2, 4, 0, 0, 2, 1, 0", adv::kLogTrace));
}

TEST_F(Pixels, StretchbltSizesAreCutToBothImages) {
  struct Case {
    const char* sizes;  // dw, dh, (source), sw, sh
    int mode;
    bool changed;
  } cases[] = {
      {"1000, 1000, 4, 0, 0, 500, 500", 0, true}, {"1000, 1000, 4, 0, 0, 500, 500", 1, true},
      {"1000, 1000, 4, 0, 0, 500, 500", 2, true}, {"16, 8, 4, 0, 0, 2, 1", 2, true},
      {"2, 1, 4, 0, 0, 2, 1", 3, true},  // equal sizes copy whatever the mode
      {"0, 4, 4, 0, 0, 2, 1", 0, false},          {"8, 4, 4, 0, 0, 0, 1", 2, false},
      {"8, 4, 4, 0, 0, 2, 0", 1, false},          {"-8, 4, 4, 0, 0, 2, 1", 0, false},
      {"8, 4, 4, 0, 0, 2, 1", 7, false},  // no such mode
  };
  for (const Case& c : cases) {
    RunScript(std::string("cmd sp_stretchblt(3, 0, 0, ") + c.sizes + ", " + std::to_string(c.mode) +
              ", 0)\n");
    const std::string what = std::string(c.sizes) + " mode " + std::to_string(c.mode);
    EXPECT_EQ(Pixel(3, 0, 0) != 0x80FF0000u, c.changed) << what;
    EXPECT_FALSE(machine_->Logged("内部エラー", adv::kLogError)) << what;
  }
  RunScript("cmd sp_stretchblt(3, 0, 0, 4, 2, 4, 0, 0, 2, 1, 0, 8)\n");
  EXPECT_TRUE(machine_->Logged(std::string(test::kLayerRangeText) + "8", adv::kLogError));
}

TEST_F(Pixels, StretchbltModeOneBlendsEachByteWithItsNeighbours) {
  RunScript(
      "cmd sp_paint(4, f\"#00000000\", 0, 0, 0, 0)\n"
      "cmd sp_set_pixel(4, 1, 0, 0xFFFFFFFF)\n"
      "cmd sp_stretchblt(3, 0, 0, 4, 1, 4, 0, 0, 2, 1, 1, 0)\n");
  EXPECT_EQ(Pixel(3, 0, 0), 0u);
  EXPECT_EQ(Pixel(3, 1, 0), 0x7F7F7F7Fu);
  EXPECT_EQ(Pixel(3, 2, 0), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(3, 3, 0), 0xFFFFFFFFu);
}

TEST_F(Pixels, TargetListTakesImagesThatConvert) {
  RunScript(
      "cmd sp_target_clear()\n"
      "cmd sp_target_add(3)\n"
      "cmd sp_target_add(-1)\n"
      "cmd sp_target_clear()\n");
  EXPECT_EQ(machine_->CountLogged("内部エラー"), 1);
}

}  // namespace
