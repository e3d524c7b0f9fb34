// Action sets run by assembled scripts against a frame clock the test moves: the platform
// library is started headless for the sprites the slots show, layers 0 and 1 are shown by
// sprites each test suite makes, and every frame clears the slots' per-frame parts and steps the
// sets at a time measured from set 0's own start.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "program/game/adv_context.h"
#include "program/layers/action_manager.h"
#include "program/layers/graphic_slots.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"
#include "tests/program/script_machine.h"
#include "tests/program/started_library.h"

namespace test {

class ActionFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
    render_ = StartLibraryHidden();
    ASSERT_NE(render_, nullptr);
    yel::YelRenderLockEnter();
    adv::AdvWindowWidth = 1280;
  }
  void TearDown() override {
    Unload();
    yel::YelInputClear();
    yel::YelRenderLockLeave();
    yel::YelRenderSetActive(nullptr);
    yel::YelRenderUninit(render_);
    yel::YelUninit();
  }
  void Unload() {
    if (machine_) {
      adv::AdvActionReset(context());
      for (adv::LayerRecord& layer : context().layers.layers) layer.slot = nullptr;
    }
    for (adv::GraphicSlot* slot : slots_) adv::AdvGraphicSlotFreeNow(slot);
    slots_.clear();
    machine_.reset();
  }

  // A new machine on the script, with layers 0 and 1 shown by the sprites `make` creates; with
  // `bind` the layer records name their slots too.
  template <typename MakeSprite>
  ScriptMachine& LoadWithLayers(const std::string& source, MakeSprite make, bool bind) {
    Unload();
    machine_ = std::make_unique<ScriptMachine>(source);
    EXPECT_TRUE(machine_->loaded());
    for (int32_t layer : {0, 1}) {
      adv::GraphicSlot* slot = adv::AdvGraphicSlotAlloc(adv::kSlotBankLayer, layer);
      slot->sprite = make();
      if (bind) context().layers.layers[layer].slot = slot;
      slots_.push_back(slot);
    }
    return *machine_;
  }
  adv::AdvContext& context() { return machine_->context(); }
  adv::ActionSet& Set(int n) { return context().actions.sets[n]; }
  adv::GraphicSlot& Layer(int n) { return *slots_.at(n); }

  // Runs the script and takes set 0's start as time 0 of the frames.
  void Start() {
    machine_->Run();
    t0_ = Set(0).start_time;
  }
  void Frame(uint32_t ms) {
    adv::AdvGraphicSlotClearFrameParts(context());
    adv::ActionsStep(context(), t0_ + ms);
  }

  YelRender* render_ = nullptr;
  std::unique_ptr<ScriptMachine> machine_;
  std::vector<adv::GraphicSlot*> slots_;
  uint32_t t0_ = 0;
};

}  // namespace test
