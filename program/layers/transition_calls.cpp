// The stand-in for the platform's sprite transitions: the incoming sprite is left as its owner
// shows it, the outgoing one is hidden at once, and the transition counts as ended as soon as it
// starts. The handle keeps the outgoing sprite until the cancel releases it, as the platform's
// does, so the layers own and release exactly what they will with the real transitions. The
// full-screen transition is the platform's, drawn from the last presented frame over the new scene.
#include "program/layers/transition_calls.h"

#include <new>

#include "program/startup/yel_import.h"

namespace adv {

struct LayerTransition {
  YelRender* render = nullptr;  // null until started
  YelSprite* outgoing = nullptr;
  int32_t state = 0;
};

namespace {
constexpr int32_t kStateEnded = 2;
constexpr int32_t kStateNoHandle = 3;
}  // namespace

LayerTransition* LayerTransitionCreate() {
  return new (std::nothrow) LayerTransition;
}

void LayerTransitionRelease(LayerTransition* handle) {
  if (!handle) return;
  if (handle->state != 0) LayerTransitionCancel(handle);
  delete handle;
}

int32_t LayerTransitionState(LayerTransition* handle) {
  return handle ? handle->state : kStateNoHandle;
}

int LayerTransitionCancel(LayerTransition* handle) {
  if (!handle || !handle->render) return 0;
  if (handle->outgoing) yel::YelSpriteRelease(handle->render, handle->outgoing);
  *handle = LayerTransition{};
  return 1;
}

int LayerTransitionStart(YelRender* render, YelSprite* incoming, YelSprite* outgoing, int32_t,
                         uint32_t, uint32_t, LayerTransition* handle) {
  if (!handle || (!incoming && !outgoing)) return 0;
  if (handle->state != 0) LayerTransitionCancel(handle);
  if (outgoing != incoming) yel::YelSpriteViewCtrl(outgoing, 0);
  handle->render = render;
  handle->outgoing = outgoing != incoming ? outgoing : nullptr;
  handle->state = kStateEnded;
  return 1;
}

// The platform refuses kinds above its last effect: the new scene then shows at once.
void ScreenTransitionStart(int32_t kind, int32_t time, int32_t parameter) {
  yel::YelEffectEx(kind, time, parameter, 0);
}

}  // namespace adv
