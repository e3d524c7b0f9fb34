// What the game task and the interpreter call of layers and motion each frame, at start and at
// the end.
#pragma once

#include <cstdint>

#include "YEL/yel.h"
#include "program/layers/action_manager.h"
#include "program/layers/frame_animation.h"

namespace adv {

struct AdvContext;
struct GraphicSlot;
struct GraphicDatRecord;
struct LayerRecord;
struct DisplayOp;

// "graphic.dat", the image index: loaded when it can be opened; a missing file is no failure,
// a damaged one is logged and left unloaded.
void AdvGraphicDatLoad(AdvContext& context);
void AdvGraphicDatRelease(AdvContext& context);
// The record of an image name (32 bytes, zero-padded); false and a zeroed record when absent.
bool AdvGraphicDatFind(const char* name, GraphicDatRecord* out);
// Applies a record's attributes (those in `mask`) to the slot's sprite; a record with no flags
// applies nothing.
void AdvGraphicApplyAttributes(GraphicSlot& slot, const GraphicDatRecord& record, uint32_t mask);
void AdvGraphicSlotClearFrameParts(AdvContext& context);
// Steps the screen effects; true when a timed flush ended, which ends the frame's script work.
bool AdvEffectUpdate(AdvContext& context);
void AdvEffectRelease(AdvContext& context);
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
// A layer slot just allocated for `record` takes `sprite` at (x, y) and shows it from the next
// frame on.
void AdvLayerPlaceNewSlot(AdvContext& context, LayerRecord& record, GraphicSlot* slot,
                          YelSprite* sprite, int32_t x, int32_t y);
// Draws a text at (x, y) into the layer: into its slot's sprite when it has one, else into a new
// text sprite of a new slot placed at (x, y). False when nothing could be drawn.
bool AdvLayerDrawText(AdvContext& context, int32_t layer, const char* text, int32_t x, int32_t y);
// Copies width x height pixels with their top-left corner at (x, y) into the layer's sprite
// (clipped to it), or into a new sprite of that size placed at (x, y). False when nothing could
// be drawn.
bool AdvLayerDrawPixels(AdvContext& context, int32_t layer, const uint8_t* pixels, int32_t width,
                        int32_t height, int32_t x, int32_t y);
// Applies the queued display operations (list id 1) oldest first.
void RunDisplayQueue(AdvContext& context);
// A queued operation dropped without a commit: a sprite it was to release is released now.
void DisplayOpDiscard(const DisplayOp& op);
// A sprite released at once: queued operations that name it are dropped, so the commit never
// touches the freed sprite.
void DisplayQueueForgetSprite(AdvContext& context, YelSprite* sprite);

// Movie sprites (".mpg"), the loader row of the image loaders (layer_movies.cpp).
YelSprite* AdvMovieSpriteLoad(YelRender* render, const char* name, int32_t priority);
YelSprite* AdvMovieSpriteInfoCreate(const char* name, int32_t width, int32_t height,
                                    int32_t priority);
// Releases the layer's raster effect, if it has one (raster_effects.cpp).
void AdvFxRelease(LayerRecord& record);
// Word 5 of the player's settings: sprite positions follow the letterbox aspect mode.
bool AdvAspectPositionSwitch(const AdvContext& context);

}  // namespace adv
