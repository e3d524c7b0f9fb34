// Screen transitions as the life cycle sees them. No transition ever runs here; the player's
// switch for the screen effects is kept for the code that draws them.
#include "YEL/graphics/screen_effects.h"

#include <atomic>

#include "YEL/yel.h"

namespace yel {
namespace {

std::atomic<bool> g_effects_enabled{true};

}  // namespace

bool ScreenEffectsInitialize(YelSystem&) { return true; }
bool ScreenEffectRunning() { return false; }
bool ScreenEffectsEnabled() { return g_effects_enabled.load(); }
void ScreenEffectDrawOver(YelSystem&) {}

}  // namespace yel

extern "C" YEL_API int YelEffectIs(void) { return yel::ScreenEffectRunning() ? 1 : 0; }

extern "C" YEL_API void YelEffectEnable(int32_t enabled) { yel::g_effects_enabled = enabled != 0; }

extern "C" YEL_API int YelEffectEnableIs(void) { return yel::ScreenEffectsEnabled() ? 1 : 0; }
