// The calls of layers and `run` into the platform's transitions: a layer's own cross-fade from
// its old to its new image, and the full-screen transition from the last drawn frame.
#pragma once

#include <cstdint>

#include "YEL/yel.h"

namespace adv {

// Null when there is no memory.
YelTransition* LayerTransitionCreate();
// Cancels a transition the handle still holds, then frees the handle. Null does nothing.
void LayerTransitionRelease(YelTransition* handle);
// 0 none, 1 running, 2 ended (the final frame still shown until the cancel), 3 for null. A
// transition ends when the frame clock passes its time, whether a frame drew it or not.
int32_t LayerTransitionState(YelTransition* handle);
// Ends a started transition and releases its outgoing sprite: 1, or 0 when the handle has never
// been started (nothing is released then).
int LayerTransitionCancel(YelTransition* handle);
// From the outgoing to the incoming sprite over `time` ms from `start` (the frame clock); either
// sprite may be null (a fade in or out). The handle owns the outgoing sprite from here. 0 for a
// null handle or two null sprites, and nothing is owned then.
int LayerTransitionStart(YelRender* render, YelSprite* incoming, YelSprite* outgoing, int32_t kind,
                         uint32_t start, uint32_t time, YelTransition* handle);
// The full-screen transition from the last drawn frame to the scene that is drawn next; the
// parameter makes it skippable by the reader's push.
void ScreenTransitionStart(int32_t kind, int32_t time, int32_t parameter);

}  // namespace adv
