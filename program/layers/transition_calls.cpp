// A layer switches to its new sprite at once; the full-screen transition is the platform's, drawn
// from the last presented frame over the new scene.
#include "program/layers/transition_calls.h"

#include "program/startup/yel_import.h"

namespace adv {

LayerTransition* LayerTransitionCreate() {
  return nullptr;
}
void LayerTransitionRelease(LayerTransition*) {}
int32_t LayerTransitionState(LayerTransition*) {
  return 0;
}
int LayerTransitionCancel(LayerTransition*) {
  return 0;
}

void LayerTransitionStart(YelRender*, YelSprite* new_sprite, YelSprite* previous_sprite, int32_t,
                          uint32_t, uint32_t, LayerTransition*) {
  yel::YelSpriteViewCtrl(new_sprite, 1);
  if (previous_sprite != new_sprite) yel::YelSpriteViewCtrl(previous_sprite, 0);
}

// The platform refuses kinds above its last effect: the new scene then shows at once.
void ScreenTransitionStart(int32_t kind, int32_t time, int32_t parameter) {
  yel::YelEffectEx(kind, time, parameter, 0);
}

}  // namespace adv
