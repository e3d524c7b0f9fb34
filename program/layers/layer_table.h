// The layer table: layer n's record and slot (allocator bank 1, entry n), its release and
// clearing, the per-frame layer step (shakes, transition ends, child layers), the position grid
// and the face table's view.
#pragma once

#include <cstdint>

#include "YEL/yel.h"
#include "program/layers/layer_records.h"

namespace adv {

struct AdvContext;
struct GraphicSlot;
struct GraphicDatRecord;

inline constexpr int32_t kLayerPriorityOffset = 4999;
inline constexpr int32_t kPriorityStep = 134;
inline constexpr int32_t kLayerRangeWait = 3000;  // ms a release waits for a pending load

// True for a layer number 0-127; any other is logged with the range text.
bool AdvCheckLayer(int32_t layer);
// The layer's record when the number is 0-127 (else logged, null).
LayerRecord* AdvLayerRecord(AdvContext& context, int32_t layer);

// 0-127 for a record of the table, -1 for any other pointer.
int32_t AdvLayerIndex(const AdvContext& context, const LayerRecord* record);
// Immediate clear: the slot and its sprite are freed at once and the record zeroed. A pending
// background load of the layer is forgotten (its result is dropped).
void AdvLayerClear(AdvContext& context, LayerRecord& record);
// A previous sprite the layer holds for a change not yet committed (keep-previous set) is the
// layer's own: released at once, or by the next commit, and the hold ends.
void AdvLayerDropPrevious(AdvContext& context, LayerRecord& record, bool at_once);
// Release for a new image or a deferred clear: waits (with the render lock left) for a pending
// background load of at most 3,000 ms and forgets it, then frees the slot with a deferred
// sprite release (the sprite goes at the next commit) and zeroes the record.
int AdvLayerRelease(AdvContext& context, LayerRecord& record);
// Ends a started transition (its outgoing sprite goes); a layer waiting to be cleared by it is
// cleared. 0 when nothing had started: a change still waiting for its commit stays.
int AdvLayerCancelTransition(AdvContext& context, LayerRecord& record);
YelTransition* AdvLayerTransitionHandle(LayerRecord& record);
void AdvLayerInheritChildren(AdvContext& context);
bool AdvLayerIsChildSlot(const AdvContext& context, const GraphicSlot* slot);
bool AdvFaceHasLayer(const AdvContext& context, int32_t layer);
void AdvFaceSetView(AdvContext& context, int32_t show);

// The file name (32 bytes) of the image in the slot an image number names: the kept name of a
// string-variable image, else its "File.dat" name. False for an invalid number or no image.
bool AdvLayerFileName(AdvContext& context, uint32_t image_number, uint8_t* name);
// A composition entry's operation file name: kept when the file argument names a string
// variable (its first 31 bytes), read back as kept or from "File.dat".
void AdvLayerSetRecordName(AdvContext& context, CompositionEntry& entry, uint32_t file);
void AdvLayerRecordName(AdvContext& context, const CompositionEntry& entry, uint8_t* name);

// The draw priority of a layer's sprite: base - layer + 4999 + 134 x the image's priority step.
int32_t AdvLayerPriority(const AdvContext& context, int32_t layer, int32_t priority_step);

// The position grid: horizontal position p and vertical mode v for a sprite of w x h on the
// game screen (21 points W / 20 apart, or 9 points W / 8 apart when " -GRPOS" switched the grid
// off). Vertical modes other than 0, 1 and 2 give y = 0.
void AdvLayerGridPos(YelSprite* sprite, int32_t p, int32_t v, int32_t* x, int32_t* y);
void AdvLayerGridPosFloat(YelSprite* sprite, int32_t p, int32_t v, float* x, float* y);
int32_t AdvGridX(int32_t p, int32_t width, int32_t screen_width, bool grid);
int32_t AdvGridY(int32_t v, int32_t height, int32_t screen_height);

// Puts a made sprite into a slot as the layer commands do: rotation from the sprite, scale and
// colour from the record when it carries them (else from the sprite), the image word and the
// string-variable name, then the record's attributes.
void AdvSlotTakeSprite(GraphicSlot& slot, YelSprite* sprite, const YelSpriteInfo& info,
                       const GraphicDatRecord& record, uint32_t file, const uint8_t* name);

// A filter option on a layer's sprite; nothing while a scene or history skip rebuilds the scene,
// whose sprites have no pixels to filter.
void AdvLayerSetOption(AdvContext& context, YelSprite* sprite, int32_t option);

}  // namespace adv
