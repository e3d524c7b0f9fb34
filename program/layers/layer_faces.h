// Faces: eight entries that tie a layer to the message window. face_init names the layer, its
// draw priority and where the face stands; face_set puts an image there, which the commit shows
// only while the message window is visible, and the window shows and hides it with itself.
#pragma once

#include <cstdint>

namespace adv {

struct AdvContext;

// The words of a face entry after its layer.
enum FaceWord : int {
  kFacePriorityOffset = 0,  // -134 x the priority given to face_init
  kFaceAnchorX = 1,         // x of the face's bottom centre, -1 none
  kFaceAnchorY = 2,         // y of the face's bottom edge, -1 none
};

// A face number 0-7; any other is logged with the range text.
bool AdvFaceCheck(int32_t face);

// face_init: 1, or 0 (logged) for a face or layer out of range.
int AdvFaceInit(AdvContext& context, int32_t face, int32_t layer, int32_t anchor_x,
                int32_t anchor_y, int32_t priority);
// face_set: the face's layer gets the image (the empty reference leaves it empty), placed on the
// anchors plus (dx, dy). 1; 0 for a face out of range or free (logged), or when no sprite could
// be made: the layer is then empty, never left pointing at a freed slot.
int AdvFaceSet(AdvContext& context, uint32_t file, int32_t face, int32_t dx, int32_t dy);
// face_cls: the face's layer is cleared at once. 0 (logged) for a face out of range or free.
int AdvFaceCls(AdvContext& context, int32_t face);

}  // namespace adv
