// Graphic slots: image numbers, the summed components, the commit of action deltas, child
// layers that follow their parent, and the layer shake.
#include <gtest/gtest.h>

#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_services.h"
#include "program/layers/layer_table.h"
#include "program/startup/yel_import.h"
#include "tests/program/script_machine.h"
#include "tests/program/started_library.h"

namespace {

TEST(GraphicSlots, ImageNumbersNameTheirSlotOrNone) {
  ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
  struct Case {
    uint32_t number;
    int32_t slot;
  } cases[] = {
      {0x0000003, 19},
      {0x0F00003, 19},  // kind 0 ignores the bank bits
      {0x100000F, 15},
      {0x1000010, -1},
      {0x0000080, -1},
      {0x2000000, 144},
      {0x2E0007F, 144 + 128 * 14 + 127},
      {0x2F00076, 2182},
      {0x2F00077, -1},  // bank 15 ends at entry 118
      {0x3000000, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(adv::AdvImageNoToSlot(c.number), c.slot) << c.number;
  EXPECT_EQ(adv::AdvBankImageNo(16, 0), -1);
  EXPECT_EQ(adv::AdvBankImageNo(0, 128), -1);
  EXPECT_EQ(adv::AdvBankImageNo(2, 5), 0x2200005);
  EXPECT_EQ(adv::AdvGraphicSlotFromIndex(-1), nullptr);
}

TEST(GraphicSlots, SumsClampColoursAndCommitsDropDepth) {
  ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
  adv::GraphicSlot* slot = adv::AdvGraphicSlotAlloc(adv::kSlotBankButton, 7);
  ASSERT_NE(slot, nullptr);
  EXPECT_EQ(adv::AdvGraphicSlotAlloc(adv::kSlotBankButton, 7), nullptr);     // still listed
  EXPECT_EQ(adv::AdvGraphicSlotAlloc(adv::kSlotBankButton, 2039), nullptr);  // beyond the table
  EXPECT_EQ(slot->colour, 0xFFFFFFFFu);
  slot->colour = 0x80102030;
  slot->offset_colour = {200, -100, 0, 0};
  slot->frame.action.colour = {0, 0, 10, 0};
  const adv::SlotSums sums = adv::AdvGraphicSlotSums(*slot);
  EXPECT_EQ(sums.colour, 0xFF002A30u);
  EXPECT_EQ(slot->colour, 0x80102030u);  // the stored word keeps its channels

  slot->position = {10, 20, 30};
  slot->frame.shake_x = 5;
  slot->action_delta.position = {1, 2, 3};
  slot->action_delta.scale = 0.5f;
  slot->action_delta.colour = {-0x90, 0, 0, 0};
  EXPECT_EQ(adv::AdvGraphicSlotSums(*slot).position[0], 11);  // read back without the shake
  adv::AdvGraphicSlotCommitDeltas();
  EXPECT_EQ(slot->position[0], 11);
  EXPECT_EQ(slot->position[1], 22);
  EXPECT_EQ(slot->position[2], 30);  // no depth change from a finished action
  EXPECT_EQ(slot->scale[0], 1.5f);
  EXPECT_EQ(slot->colour >> 24, 0u);
  EXPECT_EQ(slot->action_delta.position[2], 0);
  adv::AdvGraphicSlotFreeNow(slot);
  EXPECT_EQ(slot->index, 0u);
  adv::AdvGraphicSlotFreeNow(slot);  // a second free of the zeroed slot does nothing
}

class LayerUpdate : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
    render_ = test::StartLibraryHidden();
    ASSERT_NE(render_, nullptr);
    yel::YelRenderLockEnter();
  }
  void TearDown() override {
    adv::AdvLayerTableReset(machine_.context());
    yel::YelRenderLockLeave();
    yel::YelRenderSetActive(nullptr);
    yel::YelRenderUninit(render_);
    yel::YelUninit();
  }
  YelRender* render_ = nullptr;
  test::ScriptMachine machine_{
      "cmd sp_create(0, f\"#FFFF0000\", 100, 100, 40, 40)\n"
      "cmd sp_create(1, f\"#FF0000FF\", 110, 100, 20, 20)\n"};
};

// A child keeps its centre at its distance from the parent's centre times the parent's scale.
TEST_F(LayerUpdate, AChildFollowsItsScaledParent) {
  machine_.Run();
  adv::AdvContext& c = machine_.context();
  adv::LayerRecord& parent = c.layers.layers[0];
  parent.flags |= adv::kLayerComposition;
  parent.compositions[0].kind = adv::kCompositionChildLink;
  parent.compositions[0].target = 1;
  parent.slot->scale = {2.0f, 2.0f};
  // The child's own place is its offset from the parent: its centre 10 above the parent's.
  adv::GraphicSlot& child = *c.layers.layers[1].slot;
  child.offset_position = {10, 0, 0};
  adv::AdvLayerUpdate(c);
  const adv::SlotSums sums = adv::AdvGraphicSlotSums(child);
  EXPECT_EQ(sums.position[0] + 10, 120);  // parent centre (120, 120)
  EXPECT_EQ(sums.position[1] + 10, 120 - 20);
  EXPECT_EQ(child.scale[0], 2.0f);
}

TEST_F(LayerUpdate, AShakeMovesTheLayerAndItsChildByTheSameOffset) {
  machine_.Run();
  adv::AdvContext& c = machine_.context();
  adv::LayerRecord& parent = c.layers.layers[0];
  parent.flags |= adv::kLayerComposition | adv::kLayerShake;
  parent.compositions[0] = {adv::kCompositionChildLink, 1};
  parent.shake_mode = 1;
  parent.shake_amplitude = 10;
  parent.shake_duration = 0xFFFFFFFF;
  for (int frame = 0; frame < 50; ++frame) {
    adv::AdvGraphicSlotClearFrameParts(c);
    adv::AdvLayerUpdate(c);
    const int32_t x = parent.slot->frame.shake_x;
    EXPECT_GE(x, -5);
    EXPECT_LE(x, 4);
    EXPECT_EQ(parent.slot->frame.shake_y, 0);
    EXPECT_EQ(c.layers.layers[1].slot->frame.shake_x, x);
  }
  EXPECT_TRUE(parent.flags & adv::kLayerShake);  // until a command stops it
}

}  // namespace
