// The platform library started headless with its render lock held, as the main thread holds it
// in the task walk, and an assembled script run through the interpreter: the set-up of the layer
// command tests. What a frame would show is read from the active render list.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "program/game/adv_context.h"
#include "program/layers/action_manager.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_services.h"
#include "program/layers/layer_table.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"
#include "tests/program/script_machine.h"
#include "tests/program/started_library.h"

namespace test {

inline constexpr const char* kLayerRangeText = "graph error : 範囲外の値を指定しています。no = ";

class LayerScripts : public ::testing::Test {
 protected:
  static constexpr int32_t kWidth = 320;  // the game size StartLibraryHidden gives
  static constexpr int32_t kHeight = 240;

  void SetUp() override {
    ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
    render_ = StartLibraryHidden();
    ASSERT_NE(render_, nullptr);
    yel::YelRenderLockEnter();
    adv::AdvWindowWidth = kWidth;
    adv::AdvWindowHeight = kHeight;
  }
  void TearDown() override {
    Drop();
    yel::YelRenderLockLeave();
    yel::YelRenderSetActive(nullptr);
    yel::YelRenderUninit(render_);
    yel::YelUninit();
  }

  // Every layer cleared and the queue committed, so that nothing the script made is left.
  void Drop() {
    if (!machine_) return;
    adv::AdvActionReset(machine_->context());
    adv::AdvLayerTableReset(machine_->context());
    adv::RunDisplayQueue(machine_->context());
    machine_.reset();
  }

  ScriptMachine& Load(const std::string& source) {
    Drop();  // the old machine's end removes the log observer the new one sets
    machine_ = std::make_unique<ScriptMachine>(source);
    EXPECT_TRUE(machine_->loaded());
    machine_->SetCommand(0x070005, [](adv::AdvContext& context) {
      context.script.stop = 1;  // wait_frame: the pass ends, the test looks between commands
      return 1;
    });
    return *machine_;
  }
  // One frame of the game task after the script: the layer step, then the slots to the sprites.
  void FrameEnd() {
    adv::AdvLayerUpdate(context());
    adv::AdvGraphicSlotApplyAll(context());
  }
  // The next frame: its parts cleared, the script run on, the frame's end.
  void Frame() {
    adv::AdvGraphicSlotClearFrameParts(context());
    machine_->Run();
    FrameEnd();
  }

  adv::AdvContext& context() { return machine_->context(); }
  adv::LayerRecord& layer(int n) { return context().layers.layers[n]; }
  adv::GraphicSlot& slot(int n) { return *layer(n).slot; }
  YelSprite* sprite(int n) { return layer(n).slot ? layer(n).slot->sprite : nullptr; }
  // A copy of the pixels of layer n's sprite; empty when it has none.
  std::vector<uint32_t> Pixels(int n) {
    int32_t width = 0, height = 0;
    const uint32_t* pixels = yel::YelSpriteLock(sprite(n), &width, &height);
    if (!pixels) return {};
    std::vector<uint32_t> copy(pixels, pixels + size_t(width) * height);
    yel::YelSpriteUnlock(sprite(n));
    return copy;
  }
  int32_t Cell(int n) { return context().values.temp_memory[n]; }
  // The colour the frame shows at a game point: the front sprite's pixel there, 0 for none.
  uint32_t Shown(int32_t x, int32_t y) {
    YelSprite* front = yel::YelSpriteGetForeground(x, y, 0);
    if (!front) return 0;
    YelSpriteInfo info{};
    yel::YelSpriteGetInfo(front, &info);
    return yel::YelGetPixel(front, x - static_cast<int32_t>(info.x),
                            y - static_cast<int32_t>(info.y));
  }

  YelRender* render_ = nullptr;
  std::unique_ptr<ScriptMachine> machine_;
};

}  // namespace test
