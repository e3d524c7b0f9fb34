// The library started hidden with its render lock held, and a script machine for the message
// window's commands; the window and the layers are released before the library ends.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "program/layers/layer_services.h"
#include "program/startup/yel_import.h"
#include "program/text/text_layout.h"
#include "program/text/text_services.h"
#include "tests/program/script_machine.h"
#include "tests/program/started_library.h"

namespace test {

class TextFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
    render_ = StartLibraryHidden();
    ASSERT_NE(render_, nullptr);
    yel::YelRenderLockEnter();
    adv::TextLayout() = adv::TextSettings{};
    adv::Advance() = adv::AdvanceLatch{};
    yel::YelFontSetEffect(0);
    yel::YelFontSetType(0);
    yel::YelFontSetFontSize(24);
  }
  void TearDown() override {
    if (machine_) {
      adv::AdvTextWindowRelease(machine_->context());
      adv::AdvLayerTableReset(machine_->context());
      machine_.reset();
    }
    yel::YelRenderLockLeave();
    yel::YelRenderSetActive(nullptr);
    yel::YelRenderUninit(render_);
    yel::YelUninit();
  }

  // Loads the script; false (failing the test) when it does not assemble.
  bool Load(const std::string& source) {
    machine_ = std::make_unique<ScriptMachine>(source);
    return machine_->loaded();
  }
  adv::AdvContext& context() { return machine_->context(); }

  // Pixels of the sprite with any alpha.
  static int OpaquePixels(YelSprite* sprite) {
    int32_t pitch = 0, rows = 0;
    const uint32_t* pixels = yel::YelSpriteLock(sprite, &pitch, &rows);
    if (!pixels) return -1;
    int count = 0;
    for (int32_t i = 0; i < pitch * rows; ++i) count += (pixels[i] >> 24) != 0;
    yel::YelSpriteUnlock(sprite);
    return count;
  }

  YelRender* render_ = nullptr;
  std::unique_ptr<ScriptMachine> machine_;
};

}  // namespace test
