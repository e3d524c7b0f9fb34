// Background image loads of layers (`sp_load`): the load runs on the work thread without the
// render lock and takes the lock only to put its sprite into the layer.
//
// Each load of a layer gets a generation number. The layer is marked pending (flag 0x800000)
// before the job is posted; clearing or releasing the layer forgets the pending load, and a
// loader whose generation is no longer the layer's drops its sprite instead of writing into a
// slot that has been freed or taken by a newer image.
#pragma once

#include <cstdint>

namespace adv {

struct AdvContext;
struct LayerLoadJob;

// Main thread, render lock held: releases the layer, allocates its slot (image word 0, flags
// exactly 0x800000) and prepares the job: the name resolved and looked up in "graphic.dat", the
// priority and the skip state taken now. Null when the slot cannot be allocated.
LayerLoadJob* AdvLayerLoadPrepare(AdvContext& context, uint32_t file, int32_t layer,
                                  int32_t immediate);
// The loader as a work function: called without the render lock, it loads unlocked and takes
// the lock only to put the sprite into the layer. Frees the job.
void AdvLayerLoadRun(uintptr_t job);
// The loader run at once by a thread that holds the render lock (left around the load on the
// work thread, as every load there is). Frees the job.
void AdvLayerLoadRunHere(LayerLoadJob* job);

// Waits, with the render lock left, until the layer has no pending load or `timeout_ms` passed;
// the milliseconds waited.
uint32_t LayerLoadWait(int32_t layer, uint32_t timeout_ms);
// The layer's pending load, if any, will not be taken: its loader drops the sprite.
void LayerLoadForget(int32_t layer);

}  // namespace adv
