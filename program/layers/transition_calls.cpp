// Without platform transitions, a layer switches to its new sprite at once and the screen shows
// the new scene in the next frame.
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

void ScreenTransitionStart(int32_t, int32_t, int32_t) {}

}  // namespace adv
