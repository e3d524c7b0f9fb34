// The calls of layers and `run` into the platform's transitions: a layer's own sprite
// transition and the full-screen transition from the last drawn frame. Layer transitions do the
// least for now: changes show at once and nothing is left running.
#pragma once

#include <cstdint>

#include "YEL/yel.h"

namespace adv {

// A layer's transition handle (opaque).
struct LayerTransition;

LayerTransition* LayerTransitionCreate();
void LayerTransitionRelease(LayerTransition* handle);
// 2 once a started transition has ended, 0 while none runs.
int32_t LayerTransitionState(LayerTransition* handle);
// 1 when a running transition was ended.
int LayerTransitionCancel(LayerTransition* handle);
// From the previous to the new sprite over `time` ms from `start`; 0 switches at once.
void LayerTransitionStart(YelRender* render, YelSprite* new_sprite, YelSprite* previous_sprite,
                          int32_t kind, uint32_t start, uint32_t time, LayerTransition* handle);
// The full-screen transition from the last drawn frame to the scene that is drawn next; the
// parameter makes it skippable by the reader's push.
void ScreenTransitionStart(int32_t kind, int32_t time, int32_t parameter);

}  // namespace adv
