// Screen-transition hooks with no transitions: none ever runs.
#include "YEL/graphics/screen_effects.h"

namespace yel {

bool ScreenEffectsInitialize(YelSystem&) { return true; }
bool ScreenEffectRunning() { return false; }
void ScreenEffectDrawOver(YelSystem&) {}

}  // namespace yel
