// Putting an image on a layer: the road of sp_set, sp_set_ex, sp_create and the forced black
// screen. The layer's record points at its slot only once the slot holds a sprite, so a failed
// or empty load leaves the layer empty, never pointing at a freed slot.
#pragma once

#include <cstdint>

namespace adv {

struct AdvContext;

inline constexpr int32_t kOwnPosition = 0xFFFF;  // sp_set_ex: x = y = 0xFFFF, the image's own

// Where the image goes: by the position grid (p, v), or at (x, y, z).
struct LayerPlacement {
  bool grid = true;
  int32_t p = 0, v = 0;
  int32_t x = 0, y = 0, z = 0;
};

// Replaces the layer's image (sp_set and sp_set_ex, told apart by `code`) and queues the
// operation that shows it. 1, or 0 when no sprite could be made (the layer is then empty). The
// empty file reference empties the layer and gives 1. `loaded` receives the name loaded.
int AdvLayerSetImage(AdvContext& context, uint32_t code, uint32_t file, int32_t layer,
                     const LayerPlacement& place, char* loaded);

// sp_create: the layer's image becomes a sprite of w x h made from the file name (a colour name
// gives a colour plane) at (x, y), with no "graphic.dat" lookup, shown by the next commit. A
// colour plane of a size the renderer cannot hold (AdvTextureFits) is refused with its level-0
// line and 1, the layer left as it was.
int AdvLayerCreateImage(AdvContext& context, int32_t layer, uint32_t file, int32_t x, int32_t y,
                        int32_t width, int32_t height, char* loaded);

// The layer's old image goes: a layer whose transition holds its previous sprite keeps its
// record and loses only its slot (sp_set_ex also drops its recorded operations); any other
// layer with a slot is released (deferred).
void AdvLayerReleaseForNewImage(AdvContext& context, int32_t layer, bool drop_operations);

}  // namespace adv
