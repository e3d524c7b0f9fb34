// Graphic slots: the record behind every image the game shows. A slot owns one platform sprite
// and keeps its position, rotation, scale, colour and source rectangle as additive component
// groups, each written by its own owner (commands the base, actions and animations their parts,
// shakes the shake part). Once per frame AdvGraphicSlotApplyAll sums each listed slot's groups
// and hands the sums to the sprite.
//
// All slots live in one process-wide table of 2,183; allocated slots are also chained in one
// list that the per-frame passes walk. Slots are touched only under the render lock.
#pragma once

#include <array>
#include <cstdint>

#include "YEL/yel.h"
#include "program/data/graphic_dat.h"

namespace adv {

struct AdvContext;

inline constexpr int32_t kGraphicSlotCount = 2183;
inline constexpr int32_t kSystemSlotBase = 0;  // allocator bank 0: 0-15
inline constexpr int32_t kLayerSlotBase = 16;  // allocator bank 1: 16-143
inline constexpr int32_t kBankSlotBase = 144;  // allocator bank 2: 144 + 128 x bank + n
inline constexpr int32_t kSlotBankSystem = 0;
inline constexpr int32_t kSlotBankLayer = 1;
inline constexpr int32_t kSlotBankButton = 2;

// One timed part of the per-frame group (actions or ".ani" steps); the animation part has no
// rectangle.
struct SlotFramePart {
  std::array<int32_t, 3> position{};
  std::array<int32_t, 3> rotation{};
  std::array<int32_t, 4> rect{};
  std::array<float, 2> scale{};
  std::array<int16_t, 4> colour{};  // alpha, red, green, blue
  std::array<float, 3> float_position{};
  std::array<float, 3> float_rotation{};
};

// Zeroed for every listed slot at the start of each frame.
struct SlotFrameGroup {
  SlotFramePart action;
  SlotFramePart animation;
  int32_t shake_x = 0, shake_y = 0;
};

// The settled results of finished actions, and the ".ani" effect: one scale for both axes.
struct SlotSettledGroup {
  std::array<int32_t, 3> position{};
  std::array<int32_t, 3> rotation{};
  std::array<int32_t, 4> rect{};
  float scale = 0;
  std::array<int16_t, 4> colour{};
  std::array<float, 3> float_position{};
  std::array<float, 3> float_rotation{};
};

struct GraphicSlot {
  YelSprite* sprite = nullptr;
  uint32_t image_word = 0;    // the file argument the image came from; 0 = none
  uint32_t animation_id = 0;  // 1-128 when a frame animation is bound
  uint32_t index = 0;
  std::array<int32_t, 3> position{}, offset_position{};
  std::array<int32_t, 3> rotation{}, offset_rotation{};
  uint32_t rect_enabled = 0;
  std::array<int32_t, 4> rect{};  // left, top, right, bottom
  std::array<float, 2> scale{}, offset_scale{};
  uint32_t colour = 0;                     // ARGB
  std::array<int16_t, 4> offset_colour{};  // alpha, red, green, blue
  uint32_t aspect_type = 0;
  std::array<float, 3> float_position{}, offset_float_position{};
  std::array<float, 3> float_rotation{}, offset_float_rotation{};
  SlotFrameGroup frame;
  SlotSettledGroup action_delta;
  SlotSettledGroup animation_group;
  GraphicDatRecord record;  // the "graphic.dat" record applied to this image
  GraphicSlot* previous = nullptr;
  GraphicSlot* next = nullptr;
  std::array<char, 32> name{};  // the image name when the image word names a string variable
  // Numbers the allocations of all slots, so that a record kept of one image of a slot never
  // applies to the next image that the slot holds. Never 0 while allocated.
  uint32_t allocation = 0;
};

// The summed values every consumer of a slot uses.
struct SlotSums {
  std::array<int32_t, 3> position{};  // without the shake part
  std::array<int32_t, 3> rotation{};
  std::array<float, 3> float_position{};
  std::array<float, 3> float_rotation{};
  std::array<float, 2> scale{};
  uint32_t colour = 0;  // every channel clamped to 0..255
  std::array<int32_t, 4> rect{};
};

// Slot index = {0, 16, 144}[bank] + entry; null (logged) for a bank or entry outside the table,
// or a slot that is still listed. The record is zeroed, scale 1.0, colour opaque white, listed.
GraphicSlot* AdvGraphicSlotAlloc(int32_t bank, int32_t entry);
// Deferred release: the sprite goes at the next commit of the display queue. Null is ignored.
void AdvGraphicSlotFree(AdvContext& context, GraphicSlot* slot);
// Immediate release of the sprite.
void AdvGraphicSlotFreeNow(GraphicSlot* slot);
void AdvGraphicSlotApply(AdvContext& context, GraphicSlot& slot);
void AdvGraphicSlotApplyAll(AdvContext& context);
void AdvGraphicSlotCommitDeltas();
// Adds (sign 1) or takes away (sign -1) a change of a settled group; colours in 16-bit
// arithmetic.
void AdvSettledGroupAdd(SlotSettledGroup& group, const SlotSettledGroup& change, int sign);
// Folds one part of the slot's action delta group into its base, as AdvGraphicSlotCommitDeltas
// folds the whole group: the part leaves the delta group and the rest stays.
void AdvGraphicSlotCommitPart(GraphicSlot& slot, const SlotSettledGroup& part);
// True while the slot is allocated.
bool AdvGraphicSlotListed(const GraphicSlot& slot);
void AdvGraphicSlotClearFrameParts(AdvContext& context);
void AdvGraphicSlotInheritParent(GraphicSlot& child, const GraphicSlot& parent);
void AdvGraphicSlotCopyState(GraphicSlot& destination, const GraphicSlot& source);
// -1 and indexes outside the table give null.
GraphicSlot* AdvGraphicSlotFromIndex(int32_t index);
// -1 when bank >= 16 or entry >= 128 (or either is negative).
int32_t AdvBankImageNo(int32_t bank, int32_t entry);
// The slot index an `OriginalImageNo` names; -1 (logged) for an unknown kind or an entry that
// lies outside its range.
int32_t AdvImageNoToSlot(uint32_t number);
// The slot an image number names when it holds a sprite's record (allocated), else null.
GraphicSlot* AdvImageNoSlot(uint32_t number);

SlotSums AdvGraphicSlotSums(const GraphicSlot& slot);
// One channel (0 alpha, 1 red, 2 green, 3 blue) summed and clamped.
int32_t AdvGraphicSlotSumColorChannel(const GraphicSlot& slot, int channel);

// The head of the slot list (newest first); for passes over every allocated slot.
GraphicSlot* AdvGraphicSlotFirst();

}  // namespace adv
