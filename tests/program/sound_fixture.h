// The platform library started headless (SDL's dummy audio driver pulls the mix) over a folder
// with the sample game's music, effects and voices, and the interpreter on a test script: what
// the BGM and sound-effect tests share.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "program/game/adv_context.h"
#include "program/sound/sound_services.h"
#include "program/sound/voice_channels.h"
#include "program/startup/yel_import.h"
#include "tests/program/script_machine.h"
#include "tests/program/started_library.h"
#include "tests/program/temp_folder.h"
#include "tests/wait_until.h"

namespace test {

// Platform calls the program itself does not bind.
inline const yel::Import<decltype(::YelInputClear)> InputClear{"YelInputClear"};
inline const yel::Import<decltype(::YelSoundGetVolume)> TypeVolume{"YelSoundGetVolume"};

inline int32_t PlatformIndex(uint32_t handle) {
  return static_cast<int32_t>(handle & 0x0FFFFFFF);
}

class SoundScript : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
    render_ = StartLibraryHidden();
    ASSERT_NE(render_, nullptr);
    yel::YelSystemPathInit();
    yel::YelSystemPathSet(folder_.path().c_str());
    const std::filesystem::path pack = SAMPLE_PACK_DIR;
    for (const char* file : {"BGM01.ogg", "BGM02.ogg", "CLICK.wav", "VOICE01.ogg"}) {
      std::filesystem::copy_file(pack / file, folder_ / file);
    }
  }
  void TearDown() override {
    InputClear();
    if (machine_) {
      adv::AdvSeReleaseAll(c());
      adv::AdvBgmReleaseAll(c());
      adv::AdvVoiceReleaseAll(c());
      machine_.reset();
    }
    yel::YelSystemPathUninit();
    yel::YelRenderSetActive(nullptr);
    yel::YelRenderUninit(render_);
    yel::YelUninit();
  }

  // A machine on the script. A file reference that is jumped over takes "File.dat" index 0 (the
  // assembler sorts the names), which the channel records read as "no file".
  ScriptMachine& Load(const std::string& source) {
    if (machine_) {
      adv::AdvSeReleaseAll(c());
      adv::AdvBgmReleaseAll(c());
      machine_.reset();
    }
    machine_ = std::make_unique<ScriptMachine>(
        "jmp script_start\ncmd se_load(f\"00_UNUSED\", 0, 0)\nscript_start:\n" + source);
    EXPECT_TRUE(machine_->loaded());
    c().sound.volumes = {10000, 10000, 10000, 10000, 10000, 10000, 10000};
    c().sound.switches = {1, 1, 1, 1, 1, 1, 1};
    return *machine_;
  }
  adv::AdvContext& c() { return machine_->context(); }
  adv::SoundState& sound() { return c().sound; }

  TempFolder folder_;
  YelRender* render_ = nullptr;
  std::unique_ptr<ScriptMachine> machine_;
};

}  // namespace test
