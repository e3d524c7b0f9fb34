// A layer's transition is the platform's cross-fade, whose handle owns the outgoing sprite until
// the cancel (or the handle's release) releases it. The full-screen transition is the platform's
// too, drawn from the last presented frame over the new scene.
#include "program/layers/transition_calls.h"

#include "program/startup/yel_import.h"

namespace adv {
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
  return yel::YelSpriteGetTransitionState(PlatformHandle(handle));
}

int LayerTransitionCancel(LayerTransition* handle) {
  return handle ? yel::YelSpriteCancelTransition(PlatformHandle(handle)) : 0;
}

int LayerTransitionStart(YelRender* render, YelSprite* incoming, YelSprite* outgoing, int32_t kind,
                         uint32_t start, uint32_t time, LayerTransition* handle) {
  if (!handle) return 0;
  return yel::YelSpriteSetTransition(render, incoming, outgoing, kind, start, time,
                                     PlatformHandle(handle));
}

// The platform refuses kinds above its last effect: the new scene then shows at once.
void ScreenTransitionStart(int32_t kind, int32_t time, int32_t parameter) {
  yel::YelEffectEx(kind, time, parameter, 0);
}

}  // namespace adv
