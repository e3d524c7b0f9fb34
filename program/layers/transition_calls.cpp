// Without platform transitions, a layer switches to its new sprite at once and the screen shows
// the new scene in the next frame.
#include "program/layers/transition_calls.h"

#include "program/startup/yel_import.h"

namespace adv {

// A layer's transition handle is the platform's.
namespace {
YelTransition* PlatformHandle(LayerTransition* handle) {
  return reinterpret_cast<YelTransition*>(handle);
}
}  // namespace

LayerTransition* LayerTransitionCreate() {
  return reinterpret_cast<LayerTransition*>(yel::YelSpriteCreateTransitionHandle());
}
void LayerTransitionRelease(LayerTransition* handle) {
  if (handle) yel::YelSpriteReleaseTransitionHandle(PlatformHandle(handle));
}
int32_t LayerTransitionState(LayerTransition* handle) {
  return handle ? yel::YelSpriteGetTransitionState(PlatformHandle(handle)) : 0;
}
int LayerTransitionCancel(LayerTransition* handle) {
  return handle ? yel::YelSpriteCancelTransition(PlatformHandle(handle)) : 0;
}

void LayerTransitionStart(YelRender* render, YelSprite* new_sprite, YelSprite* previous_sprite,
                          int32_t kind, uint32_t start, uint32_t time, LayerTransition* handle) {
  if (yel::YelSpriteSetTransition(render, new_sprite, previous_sprite, kind, start, time,
                                  PlatformHandle(handle))) {
    return;
  }
  // Without a handle the layer switches at once.
  yel::YelSpriteViewCtrl(new_sprite, 1);
  if (previous_sprite != new_sprite) yel::YelSpriteViewCtrl(previous_sprite, 0);
}

void ScreenTransitionStart(int32_t, int32_t, int32_t) {}

}  // namespace adv
