// Screen transitions: the start from the last presented frame, the step inside each present, the
// reset after the last frame, and the player's switch for the screen effects.
#include "YEL/graphics/screen_effects.h"

#include <algorithm>
#include <atomic>

#include "YEL/core/system.h"
#include "YEL/core/task_tree.h"
#include "YEL/graphics/screen_effect_draws.h"
#include "YEL/render/backend.h"
#include "YEL/render/texture.h"

namespace yel {
namespace {

// Process-wide, so that the switch holds before and after the library's record exists.
std::atomic<bool> g_effects_enabled{true};

constexpr int32_t kLastEffect = 49;
// Space, Enter and the primary mouse button in the key-push word.
constexpr uint32_t kSkipKeys = (1u << 1) | (1u << 2) | (1u << 23);

YelCore* ActiveCore() {
  YelSystem* system = System();
  return system ? system->core.load() : nullptr;
}

void ScreenEffectReset(ScreenEffectState& state) {
  state.started = 0;
  state.running = 0;
  state.skippable = 0;
  state.box_left = 0;
  state.box_top = 0;
  state.number = -1;
  state.colour = 0xFFFFFFFF;
  state.draw = nullptr;
  state.scratch.reset();
}

// The wait task may have gone with a reset of the task tree; only the task we made is freed.
void FreeWaitTask(ScreenEffectState& state) {
  YelTask* task = state.wait_task;
  state.wait_task = nullptr;
  if (task && task->state == kTaskRunning && task->data == state.wait_data) YelTaskFree(task);
  state.wait_data = nullptr;
}

}  // namespace

ScreenEffectState::ScreenEffectState() = default;
ScreenEffectState::~ScreenEffectState() = default;

ScreenEffectScratch::~ScreenEffectScratch() {
  if (!mask) return;
  if (YelCore* core = ActiveCore()) core->TextureRelease(mask);
}

bool ScreenEffectsInitialize(YelSystem& system) {
  ScreenEffectState& state = system.screen_effect;
  ScreenEffectReset(state);
  state.capture_width = system.param.game_width;
  state.capture_height = system.param.game_height;
  YelCore* core = system.core.load();
  if (!core || state.capture) return true;
  state.capture = core->TextureCreate(state.capture_width, state.capture_height);
  return state.capture != nullptr;
}

void ScreenEffectsRelease(YelSystem& system) {
  ScreenEffectState& state = system.screen_effect;
  ScreenEffectReset(state);
  state.wait_task = nullptr;
  state.wait_data = nullptr;
  if (!state.capture) return;
  if (YelCore* core = system.core.load()) core->TextureRelease(state.capture);
  state.capture = nullptr;
}

bool ScreenEffectRunning() {
  YelSystem* system = System();
  return system && system->screen_effect.running.load() != 0;
}

bool ScreenEffectsEnabled() {
  return g_effects_enabled.load();
}

void ScreenEffectDrawOver(YelSystem& system) {
  ScreenEffectState& state = system.screen_effect;
  if (state.running.load() == 0) return;
  if (state.draw) {
    if (state.draw(state)) state.draw = nullptr;
    return;
  }
  ScreenEffectReset(state);
  FreeWaitTask(state);
}

EffectTime EffectClock(ScreenEffectState& state) {
  const uint32_t now = YeltimeGetTime();
  if (!state.started) {
    state.started = 1;
    state.start_time = now;
  }
  EffectTime time;
  time.elapsed = std::min(now - state.start_time, state.duration);
  if (state.skippable && (YelInputGetKeyPush() & kSkipKeys) != 0) time.elapsed = state.duration;
  time.last = time.elapsed == state.duration;
  // A transition without duration stands at its end from the first frame.
  time.progress = state.duration == 0
                      ? 1.0f
                      : static_cast<float>(time.elapsed) / static_cast<float>(state.duration);
  return time;
}

void DrawCapture(const ScreenEffectState& state, const YelRect& rect, int32_t x, int32_t y,
                 uint32_t colour) {
  YelCore* core = ActiveCore();
  if (!core || !state.capture) return;
  SpriteQuad quad;
  quad.texture = state.capture;
  quad.x = static_cast<float>(x);
  quad.y = static_cast<float>(y);
  quad.rect = rect;
  quad.colour = colour;
  quad.render_mode = 1;
  core->DrawSprite(quad);
}

bool CaptureScreen(ScreenEffectState& state) {
  YelCore* core = ActiveCore();
  if (!core || !state.capture || !core->CaptureFrame(state.capture)) return false;
  // The screen is opaque whatever alpha the frame's pixels kept.
  int32_t width = 0, height = 0;
  if (uint32_t* pixels = TextureLockPixels(state.capture, &width, &height)) {
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i) pixels[i] |= 0xFF000000u;
    TextureUnlockPixels(state.capture, true);
  }
  return true;
}

}  // namespace yel

extern "C" {

YEL_API int YelEffectEx(int32_t number, int32_t duration, int32_t skippable, int32_t wait) {
  yel::YelSystem* system = yel::System();
  if (!yel::ScreenEffectsEnabled() || number == 0) return 1;
  if (!system || number < 0 || number > yel::kLastEffect) return 0;
  yel::ScreenEffectState& state = system->screen_effect;
  if (state.running.load() != 0) return 0;
  // A failed capture still runs the transition, over whatever the capture held.
  yel::CaptureScreen(state);
  state.number = number;
  state.draw = yel::ScreenEffectTableEntry(number);
  state.skippable = skippable;
  state.duration = static_cast<uint32_t>(std::max(duration, 0));
  state.started = 0;
  state.running = 1;
  YelUpdateTime();
  if (wait) {
    state.wait_task = YelWait(-1);
    state.wait_data = state.wait_task ? state.wait_task->data : nullptr;
  }
  return 1;
}

YEL_API int YelEffect(int32_t number, int32_t duration) {
  return YelEffectEx(number, duration, 0, 1);
}

YEL_API int YelEffectIs(void) {
  return yel::ScreenEffectRunning() ? 1 : 0;
}

YEL_API void YelEffectEnable(int32_t enabled) {
  yel::g_effects_enabled = enabled != 0;
}

YEL_API int YelEffectEnableIs(void) {
  return yel::ScreenEffectsEnabled() ? 1 : 0;
}

}  // extern "C"
