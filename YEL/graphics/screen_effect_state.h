// The record of the full-screen transition, kept in YelSystem. The running flag is read by any
// thread; everything else is written and read only under the render lock (by the starts inside
// the task walk and by the present).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

struct YelTask;
struct YelTexture;

namespace yel {

struct ScreenEffectState;
// Per-transition data of one effect (the mosaic's clean copy, a loaded mask), freed by the reset.
struct ScreenEffectScratch;
// Draws one frame of an effect; true after its last frame.
using ScreenEffectDraw = bool (*)(ScreenEffectState& state);

struct ScreenEffectState {
  int32_t started = 0;
  std::atomic<int32_t> running{0};
  int32_t skippable = 0;
  YelTask* wait_task = nullptr;
  void* wait_data = nullptr;  // the wait task's data, to know it is still the task we made
  ScreenEffectDraw draw = nullptr;
  std::unique_ptr<ScreenEffectScratch> scratch;
  uint32_t duration = 0;  // ms
  uint32_t start_time = 0;
  int32_t number = -1;
  uint32_t colour = 0xFFFFFFFF;
  int32_t box_left = 0, box_top = 0;
  // The capture texture's size: the game size.
  int32_t capture_width = 0, capture_height = 0;
  YelTexture* capture = nullptr;  // made by the active back-end at start-up

  ScreenEffectState();
  ~ScreenEffectState();
};

}  // namespace yel
