// A layer's transition is the platform's sprite transition: a node of its own draws the
// outgoing and the incoming sprite cross-faded by the frame clock, and its cancel releases the
// outgoing sprite. The full-screen transition is the platform's, drawn from the last presented
// frame over the new scene.
#include "program/layers/transition_calls.h"

#include "program/startup/yel_import.h"

namespace adv {

namespace {
constexpr int32_t kStateNone = 0;
}  // namespace

YelTransition* LayerTransitionCreate() {
  return yel::YelSpriteCreateTransitionHandle();
}

void LayerTransitionRelease(YelTransition* handle) {
  if (handle) yel::YelSpriteReleaseTransitionHandle(handle);
}

int32_t LayerTransitionState(YelTransition* handle) {
  return yel::YelSpriteGetTransitionState(handle);
}

int LayerTransitionCancel(YelTransition* handle) {
  // A handle that never started has nothing to end; asking the platform would only set its error.
  if (!handle || yel::YelSpriteGetTransitionState(handle) == kStateNone) return 0;
  return yel::YelSpriteCancelTransition(handle);
}

int LayerTransitionStart(YelRender* render, YelSprite* incoming, YelSprite* outgoing, int32_t kind,
                         uint32_t start, uint32_t time, YelTransition* handle) {
  if (!handle) return 0;
  return yel::YelSpriteSetTransition(render, incoming, outgoing, kind, start, time, handle);
}

// The platform refuses kinds above its last effect: the new scene then shows at once.
void ScreenTransitionStart(int32_t kind, int32_t time, int32_t parameter) {
  yel::YelEffectEx(kind, time, parameter, 0);
}

}  // namespace adv
