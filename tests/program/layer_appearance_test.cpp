// How a layer or any graphic slot looks, set and read back by script commands: the base of the
// slot that the frame end hands to the sprite, the sprite's own settings, filters and shakes,
// and the checks on every layer number, image number and cell index a script passes.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "tests/program/layer_fixture.h"

namespace {

using adv::GraphicSlot;
using test::ScriptMachine;

class LayerLooks : public test::LayerScripts {
 protected:
  // A button's slot (group 1, button 5) with a sprite of its own.
  static constexpr int32_t kButtonImage = 0x2100005;
  GraphicSlot* MakeButton() {
    GraphicSlot* button = adv::AdvGraphicSlotAlloc(adv::kSlotBankButton, 128 + 5);
    if (button) button->sprite = yel::YelSpriteCreate(render_, 8, 8, 100);
    return button;
  }
  YelSpriteInfo Info(YelSprite* s) {
    YelSpriteInfo info{};
    yel::YelSpriteGetInfo(s, &info);
    return info;
  }
};

constexpr char kImage[] = "cmd sp_create(3, f\"#FFFFFFFF\", 30, 40, 40, 20)\n";

TEST_F(LayerLooks, SettersWriteTheSlotsBase) {
  struct Case {
    const char* script;
    std::function<void(const GraphicSlot&)> check;
  } cases[] = {
      {"cmd sp_set_scale(3, 150)",
       [](const GraphicSlot& s) {
         EXPECT_EQ(s.scale[0], 1.5f);
         EXPECT_EQ(s.scale[1], 1.5f);
         EXPECT_EQ(s.offset_scale[0], 0.0f);  // the offset scale is cancelled
       }},
      {"cmd sp_set_scale_xy(3, 200, 50)",
       [](const GraphicSlot& s) {
         EXPECT_EQ(s.scale[0], 2.0f);
         EXPECT_EQ(s.scale[1], 0.5f);
       }},
      {"cmd sp_set_alpha(3, 128)", [](const GraphicSlot& s) { EXPECT_EQ(s.colour, 0x80FFFFFFu); }},
      {"cmd sp_set_alpha(3, 256)", [](const GraphicSlot& s) { EXPECT_EQ(s.colour, 0x00FFFFFFu); }},
      {"cmd sp_set_color(3, 0x123456)",
       [](const GraphicSlot& s) {
         EXPECT_EQ(s.colour, 0xFF123456u);
         EXPECT_EQ(s.offset_colour[0], 0);
       }},
      {"cmd sp_set_rotate(3, 1, 2, 3)",
       [](const GraphicSlot& s) {
         EXPECT_EQ(s.rotation[2], 3);
         EXPECT_EQ(s.float_rotation[1], 2.0f);
         EXPECT_EQ(s.offset_rotation[0], 0);
       }},
      {"cmd sp_set_pos_move(3, 5, 6, 7)\ncmd sp_set_pos_move(3, 5, 6, 7)",
       [](const GraphicSlot& s) {
         EXPECT_EQ(s.position[0], 40);
         EXPECT_EQ(s.position[1], 52);
         EXPECT_EQ(s.float_position[2], 14.0f);
       }},
      {"cmd sp_set_rect(3, 1, 2, 30, 10)",
       [](const GraphicSlot& s) {
         EXPECT_EQ(s.rect_enabled, 1u);
         EXPECT_EQ(s.rect[2], 30);
       }},
      {"cmd sp_set_offset_pos(3, 7, -8)",
       [](const GraphicSlot& s) {
         EXPECT_EQ(s.offset_position[1], -8);
         EXPECT_EQ(s.offset_float_position[0], 7.0f);
       }},
      {"cmd set_aspect_position_type(3, 4)",
       [](const GraphicSlot& s) { EXPECT_EQ(s.aspect_type, 4u); }},
  };
  for (const Case& c : cases) {
    Load(std::string(kImage) + "cmd wait_frame()\n" + c.script + "\n");
    machine_->Run();
    ASSERT_NE(layer(3).slot, nullptr);
    slot(3).offset_scale = {0.25f, 0.25f};
    slot(3).offset_colour[0] = -7;
    slot(3).offset_rotation = {9, 9, 9};
    machine_->Run();
    ASSERT_NE(layer(3).slot, nullptr) << c.script;
    EXPECT_FALSE(machine_->Logged("内部エラー", adv::kLogError)) << c.script;
    c.check(slot(3));
  }
}

TEST_F(LayerLooks, SpriteSettingsChangeAtOnce) {
  Load(std::string(kImage) +
       "cmd sp_set_center(3, 4, 6)\n"
       "cmd sp_set_render_mode(3, 1)\n"
       "cmd sp_set_info_option(3, 1)\n"
       "cmd sp_set_info_option_float(3, 2, -3)\n"
       "cmd sp_set_info_option4(3, 1)\n"
       "cmd sp_set_rect_pos(3, 0, 0)\n");
  machine_->Run();
  const YelSpriteInfo info = Info(sprite(3));
  EXPECT_EQ(info.centre_x, -4);
  EXPECT_EQ(info.render_mode, 2);
  EXPECT_EQ(info.address_mode, 1);
  EXPECT_EQ(info.skew_x, 2.0f);
  EXPECT_EQ(info.skew_y, -3.0f);
  EXPECT_EQ(info.perspective, 1);
  EXPECT_EQ(slot(3).rect_enabled, 1u);  // the cell read back into the slot
  EXPECT_EQ(slot(3).rect[2], 40);
  EXPECT_EQ(slot(3).rect[3], 20);
}

TEST_F(LayerLooks, AButtonSlotIsReachedByItsImageNumber) {
  Load("cmd sp_set_rotate(" + std::to_string(kButtonImage) +
       ", 0, 0, 64)\n"
       "cmd is_sp(" +
       std::to_string(kButtonImage) + ") -> v1\n");
  GraphicSlot* button = MakeButton();
  ASSERT_NE(button, nullptr);
  machine_->Run();
  adv::AdvGraphicSlotApplyAll(context());
  EXPECT_EQ(button->rotation[2], 64);
  EXPECT_EQ(Info(button->sprite).angle, 64.0f);
  EXPECT_EQ(machine_->V(1), 1);
  adv::AdvGraphicSlotFreeNow(button);
}

TEST_F(LayerLooks, FiltersRecordTheirBitsAndFilterZeroPutsThePixelsBack) {
  Load(
      "cmd sp_create(1, f\"#FFFF0000\", 0, 0, 8, 8)\n"
      "cmd sp_create(2, f\"#FF0000FF\", 0, 0, 8, 8)\n"
      "cmd sp_lock(1)\n"
      "cmd set_filter(1, 2)\n"
      "cmd wait_frame()\n"
      "cmd set_filter(-1, 0)\n"
      "cmd set_filter(2, 14)\n");
  machine_->Run();
  EXPECT_EQ(layer(1).flags & adv::kLayerFilterBits, 1u << 2);
  EXPECT_NE(yel::YelGetPixel(sprite(1), 0, 0), 0xFFFF0000u);  // grey
  machine_->Run();
  EXPECT_EQ(layer(1).flags, adv::kLayerLocked);  // the filter bits went, the lock stays
  EXPECT_EQ(yel::YelGetPixel(sprite(1), 0, 0), 0xFFFF0000u);
  EXPECT_TRUE(machine_->Logged("set_filter  2, 0", adv::kLogTrace));  // 14 is taken as 0
  EXPECT_EQ(layer(2).flags, 0u);
}

TEST_F(LayerLooks, ShakesMoveTheChosenAxesUntilStopped) {
  struct Case {
    int32_t direction;
    bool x, y;
  } cases[] = {{0, false, true}, {1, true, false}, {2, true, true}};
  for (const Case& c : cases) {
    Load(std::string(kImage) + "cmd sp_set_shake(3, " + std::to_string(c.direction) +
         ", 10, -1)\ncmd wait_frame()\ncmd sp_set_shake(3, 0, 0, 0)\n");
    bool moved_x = false, moved_y = false;
    for (int frame = 0; frame < 20; ++frame) {
      adv::AdvGraphicSlotClearFrameParts(context());
      if (frame == 0) machine_->Run();
      FrameEnd();
      const int32_t dx = static_cast<int32_t>(Info(sprite(3)).x) - 30;
      const int32_t dy = static_cast<int32_t>(Info(sprite(3)).y) - 40;
      EXPECT_TRUE(dx >= -5 && dx <= 4 && dy >= -5 && dy <= 4) << dx << ", " << dy;
      moved_x |= dx != 0, moved_y |= dy != 0;
    }
    EXPECT_EQ(moved_x, c.x) << c.direction;
    EXPECT_EQ(moved_y, c.y) << c.direction;
    // Stopped by a script pass after this frame's shake: the same frame shows no displacement.
    machine_->Run();
    adv::AdvGraphicSlotApplyAll(context());
    EXPECT_EQ(Info(sprite(3)).x, 30.0f);
    EXPECT_EQ(Info(sprite(3)).y, 40.0f);
    EXPECT_EQ(layer(3).flags & adv::kLayerShake, 0u);
  }
}

TEST_F(LayerLooks, ATimedShakeEndsAfterItsTimeAndIsLeftOutWhileSkipping) {
  Load(std::string(kImage) + "cmd sp_set_shake(3, 2, 10, 500)\n");
  machine_->Run();
  ASSERT_NE(layer(3).flags & adv::kLayerShake, 0u);
  FrameEnd();
  EXPECT_NE(layer(3).flags & adv::kLayerShake, 0u);
  layer(3).shake_start -= 500;  // the shake's clock moves on by its length
  FrameEnd();
  EXPECT_EQ(layer(3).flags & adv::kLayerShake, 0u);
  EXPECT_EQ(layer(3).shake_amplitude, 0);

  Load(std::string(kImage) + "cmd sp_set_shake(3, 2, 10, 500)\n");
  context().skip.skip_mode = 1;
  machine_->Run();
  EXPECT_EQ(layer(3).flags & adv::kLayerShake, 0u);
  Load(std::string(kImage) + "cmd sp_set_shake(3, 2, 0, -1)\n");
  context().skip.skip_mode = 1;
  machine_->Run();
  EXPECT_NE(layer(3).flags & adv::kLayerShake, 0u);  // an endless shake is part of the scene
  EXPECT_EQ(layer(3).shake_amplitude, 1);
}

// Numbers the commands refuse: layers outside 0-127, cells outside TempMemory, a string variable
// outside 0-15 and an aspect type outside 0-4 log the range text and fail the command; image
// numbers that name no slot fail the commands that say so.
TEST_F(LayerLooks, NumbersOutsideTheirRangesAreRefused) {
  struct Case {
    const char* call;
    bool range;  // the range text is logged
  } cases[] = {
      {"sp_set_rect(128, 0, 0, 1, 1)", true},
      {"sp_set_shake(-1, 0, 10, -1)", true},
      {"set_filter(-2, 0)", true},
      {"sp_set_center(128, 0, 0)", true},
      {"sp_set_info_option(128, 0)", true},
      {"set_aspect_position_type(3, 5)", true},
      {"set_aspect_position_type(3, -1)", true},
      {"get_filename(3, 0x10000010) -> v1", true},
      {"sp_get_pos(3, 4096, -1, -1)", true},
      {"sp_get_pos(3, 0, -2, 0)", true},
      {"sp_get_rect(3, 4093)", true},
      {"sp_get_rect(3, -5)", true},
      {"sp_get_show(128) -> v1", true},
      {"is_sp(-2) -> v1", true},
      {"is_sp(-1) -> v1", false},
      {"sp_set_offset_pos(0x3000000, 1, 1)", false},
      {"sp_set_info_option(-1, 0)", false},
      {"sp_get_rect(0x3000000, 0)", false},
  };
  for (const Case& c : cases) {
    ScriptMachine& m = Load(std::string(kImage) + "cmd wait_frame()\ncmd " + c.call + "\n");
    m.Run();
    m.Run();
    EXPECT_EQ(m.Logged(test::kLayerRangeText, adv::kLogError), c.range) << c.call;
    EXPECT_TRUE(m.Logged("内部エラー", adv::kLogError)) << c.call;
    EXPECT_EQ(slot(3).aspect_type, 0u) << c.call;
    EXPECT_EQ(slot(3).rect_enabled, 0u) << c.call;
  }
}

TEST_F(LayerLooks, AnImageNumberThatNamesNoSlotChangesNothing) {
  ScriptMachine& m = Load(
      "cmd sp_set_scale(0x3000000, 150)\n"
      "cmd sp_get_scale(0x3000000) -> v1\n"
      "cmd sp_get_color(0x3000000) -> v2\n");
  m.Run();
  EXPECT_TRUE(m.Logged("fail original image no : 0x03000000", adv::kLogError));
  EXPECT_TRUE(m.Logged("not image : sp_get_scale 50331648", adv::kLogError));
  EXPECT_FALSE(m.Logged("内部エラー", adv::kLogError));
  EXPECT_EQ(m.V(1), -1);
  EXPECT_EQ(m.V(2), -1);
}

}  // namespace
