// Runs the platform library's frame loop in the test's own process, in a hidden window drawn by
// the hardware or the software renderer, until one of the test's tasks asks for the end.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "program/startup/yel_import.h"

namespace test {

// `first_func` starts the test's tasks, as a game's first function does.
inline void RunHiddenFrameLoop(bool hardware, int32_t width, int32_t height,
                               YelFirstFunc first_func) {
  YelInitParam param{};
  yel::YelDefaultCreate(&param);
  param.option_bits |= YEL_OPTION_HIDDEN;
  if (hardware) {
    param.flags |= YEL_FLAG_3D;
  } else {
    param.flags &= ~static_cast<uint32_t>(YEL_FLAG_3D);
  }
  param.window_width = param.game_width = width;
  param.window_height = param.game_height = height;
  param.first_func = first_func;
  ASSERT_TRUE(yel::YelInit(&param));
  yel::YelRun();
  yel::YelUninit();
}

}  // namespace test
