// Recorded image operations of a layer: copies, blends, masks and filters done on the layer's
// sprite and kept in its composition entries, so that a reloaded image (a restored snapshot)
// gets them again. One executor per kind; each does nothing and gives 1 while the script
// fast-forwards, so a rebuilt scene decodes no pixels.
#pragma once

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

// The motion blur's angle in radians for an angle in 1/4096 of a turn (any integer).
double AdvMotionBlurAngle(int32_t angle);

}  // namespace adv
