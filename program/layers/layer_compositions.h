// Recorded image operations of a layer: copies, blends, masks and filters done on the layer's
// sprite and kept in its composition entries, so that a reloaded image (a restored snapshot)
// gets them again. One executor per kind; each does nothing and gives 1 while the script
// fast-forwards, so a rebuilt scene decodes no pixels.
#pragma once

#include <array>
#include <cstdint>

#include "program/layers/layer_records.h"

namespace adv {

struct AdvContext;

// Operation kinds of a composition entry (bits 0-27 of its kind word).
enum CompositionKind : uint32_t {
  kCompositionMixFile = 1,
  kCompositionCopyLayer = 2,
  kCompositionCopyFile = 3,
  kCompositionMask = 4,
  kCompositionBoxBlur = 5,
  kCompositionChannelCopy = 6,
  kCompositionDeleteNoAlpha = 7,
  kCompositionStretch = 8,
  kCompositionDeleteNoAlpha255 = 9,
  kCompositionGaussBlur = 10,
  kCompositionAlphaCopy = 12,
  kCompositionMotionBlur = 13,
  kCompositionMixFileEx = 14,
};

inline constexpr int32_t kCompositionLastKind = 14;

// Runs the executor of a kind on entry k of the layer: 1, or 0 when it failed (a file image or
// mask that cannot be read, a filter whose layers name no image, a stretch between layers outside
// 0-127). Kinds outside 1-14 do nothing and give 1.
int AdvCompositionRun(AdvContext& context, LayerRecord& record, uint32_t kind, int32_t k);

// Replays the layer's recorded operations in entry order onto its (reloaded) image; child links
// and empty entries do nothing.
void AdvLayerReplayCompositions(AdvContext& context, LayerRecord& record);

// Kind 8: the source layer (the entry's source word) scaled onto the destination layer (p0) by
// the platform's stretch, mode p1. 0 (logged with the range text) for a layer outside 0-127.
int AdvLayerStretch(AdvContext& context, LayerRecord& record, int32_t k);

// Whether the rectangle of a copy, blend, mask or transparent delete (p0 x, p1 y, p2 sx, p3 sy,
// p4 w, p5 h; the deletes read their own x and y) can be a valid one: false when, after each
// corner left of or above its image has moved both corners along (in 64 bits), a rectangle with
// pixels left starts beyond the largest image the platform keeps (kTextureSideMax,
// sprite_loader.h), in the target or the source. Such a rectangle changes no pixel of any image;
// the commands refuse it and a snapshot holding it is damaged. True for every other kind, and for a
// rectangle with nothing left, which changes nothing either.
bool AdvCompositionRectPlausible(uint32_t kind, const std::array<int32_t, 8>& parameters);

// The motion blur's angle in radians for an angle in 1/4096 of a turn (any integer).
double AdvMotionBlurAngle(int32_t angle);

}  // namespace adv
