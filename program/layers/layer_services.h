// What the game task and the interpreter call of layers and motion each frame, at start and at
// the end.
#pragma once

#include <cstdint>

namespace adv {

struct AdvContext;

// "graphic.dat", the image index: loaded when it can be opened; a missing file is no failure.
void AdvGraphicDatLoad(AdvContext& context);
void AdvGraphicDatRelease(AdvContext& context);
void AdvGraphicSlotClearFrameParts(AdvContext& context);
// Steps the screen effects; true when a timed flush ended, which ends the frame's script work.
bool AdvEffectUpdate(AdvContext& context);
void AdvEffectRelease(AdvContext& context);
void AdvActionUpdate(AdvContext& context);
void AdvActionReset(AdvContext& context);
// Drops the actions reserved to start later (the scene reset).
void AdvActionClearReserve(AdvContext& context);
void AdvAnimUpdateAll(AdvContext& context);
void AdvAnimReleaseAll(AdvContext& context);
void AdvFxFreeAll(AdvContext& context);
void AdvLayerUpdate(AdvContext& context);
void AdvLayerTableReset(AdvContext& context);
void AdvGraphicSlotApplyAll(AdvContext& context);
// Layer n becomes empty: a running transition's slot is freed at once, else its slot released.
void AdvLayerEmpty(AdvContext& context, int32_t layer);
// Layer n shows a colour plane ("#AARRGGBB") of the given size, made and applied at once (on the
// work thread the render lock is left while the sprite is made); false when no sprite could be
// made, and the layer stays empty.
bool AdvLayerShowColourPlane(AdvContext& context, int32_t layer, const char* colour, int32_t width,
                             int32_t height);
// Applies the queued display operations (list id 1) oldest first.
void RunDisplayQueue(AdvContext& context);
// True while any action set waits synchronously.
bool AdvActionSyncWaiting(const AdvContext& context);

}  // namespace adv
