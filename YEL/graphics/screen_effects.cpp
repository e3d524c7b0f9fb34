// Screen-transition hooks with no transitions: none ever runs.
#include "YEL/graphics/screen_effects.h"

#include "YEL/yel.h"

namespace yel {

bool ScreenEffectsInitialize(YelSystem&) { return true; }
bool ScreenEffectRunning() { return false; }
void ScreenEffectDrawOver(YelSystem&) {}

}  // namespace yel

extern "C" YEL_API int YelEffectIs(void) { return yel::ScreenEffectRunning() ? 1 : 0; }
