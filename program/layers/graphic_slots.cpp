#include "program/layers/graphic_slots.h"

#include <algorithm>
#include <cmath>

#include "program/game/adv_context.h"
#include "program/layers/layer_services.h"
#include "program/script/engine_log.h"
#include "program/script/value_stores.h"
#include "program/startup/yel_import.h"

namespace adv {

extern int32_t AdvRenderer3D;  // set by AdvInitialize

namespace {

constexpr int32_t kBankSize = 128;
constexpr int32_t kSystemSlots = 16;
constexpr uint32_t kDisplayReleaseSprite = 0x30005;

// The table and, after it, the anchor whose "next" is the list head.
GraphicSlot g_slots[kGraphicSlotCount];
GraphicSlot g_anchor;
// Counts allocations; touched only under the render lock, as the table is.
uint32_t g_allocations = 0;

// The hardware renderer takes the float rotation; asked once at start-up.
bool UseFloatRotation() {
  return AdvRenderer3D != 0;
}

int32_t Clamp255(int32_t value) {
  return std::clamp(value, 0, 255);
}

uint8_t ColourByte(uint32_t colour, int channel) {
  return static_cast<uint8_t>(colour >> (24 - 8 * channel));
}

void Unlink(GraphicSlot& slot) {
  if (slot.previous) slot.previous->next = slot.next;
  if (slot.next) slot.next->previous = slot.previous;
}

bool Listed(const GraphicSlot& slot) {
  return slot.previous != nullptr;
}

// A frame animation bound to the slot ends with it.
void ReleaseAnimation(const GraphicSlot& slot) {
  AdvAnimUnload(slot.animation_id);
}

template <typename T, size_t N>
void AddInto(std::array<T, N>& sum, const std::array<T, N>& part) {
  for (size_t i = 0; i < N; ++i) sum[i] += part[i];
}

}  // namespace

GraphicSlot* AdvGraphicSlotFirst() {
  return g_anchor.next;
}

GraphicSlot* AdvGraphicSlotAlloc(int32_t bank, int32_t entry) {
  static constexpr int32_t kBankBase[] = {kSystemSlotBase, kLayerSlotBase, kBankSlotBase};
  const int32_t limit[] = {kSystemSlots, kBankSize, kGraphicSlotCount - kBankSlotBase};
  if (bank < 0 || bank > 2 || entry < 0 || entry >= limit[bank]) {
    AdvDebugPrint(kLogError, "graph error : 範囲外の値を指定しています。no = %d", entry);
    return nullptr;
  }
  GraphicSlot& slot = g_slots[kBankBase[bank] + entry];
  if (Listed(slot)) {
    // Two owners of one slot would free it twice; the caller frees it before allocating again.
    AdvDebugPrint(kLogError, "graphic slot %d is still in use", kBankBase[bank] + entry);
    return nullptr;
  }
  slot = GraphicSlot{};
  slot.index = static_cast<uint32_t>(kBankBase[bank] + entry);
  slot.scale = {1.0f, 1.0f};
  slot.colour = 0xFFFFFFFF;
  if (++g_allocations == 0) ++g_allocations;
  slot.allocation = g_allocations;
  slot.next = g_anchor.next;
  slot.previous = &g_anchor;
  if (g_anchor.next) g_anchor.next->previous = &slot;
  g_anchor.next = &slot;
  return &slot;
}

void AdvGraphicSlotFree(AdvContext& context, GraphicSlot* slot) {
  // A slot no longer listed has been freed already; its zeroed record owns nothing.
  if (!slot || !Listed(*slot)) return;
  ReleaseAnimation(*slot);
  if (slot->sprite) {
    DisplayOp release;
    release.code = kDisplayReleaseSprite;
    release.sprite = slot->sprite;
    DisplayQueueAppend(context, release);
  }
  Unlink(*slot);
  *slot = GraphicSlot{};
}

void AdvGraphicSlotFreeNow(GraphicSlot* slot) {
  if (!slot || !Listed(*slot)) return;
  ReleaseAnimation(*slot);
  if (slot->sprite) yel::YelSpriteRelease(yel::YelRenderGetActive(), slot->sprite);
  Unlink(*slot);
  *slot = GraphicSlot{};
}

SlotSums AdvGraphicSlotSums(const GraphicSlot& s) {
  SlotSums sum;
  const SlotFramePart& action = s.frame.action;
  const SlotFramePart& anim = s.frame.animation;
  const SlotSettledGroup* settled[] = {&s.action_delta, &s.animation_group};
  sum.position = s.position;
  sum.rotation = s.rotation;
  sum.float_position = s.float_position;
  sum.float_rotation = s.float_rotation;
  for (const SlotFramePart* part : {&action, &anim}) {
    AddInto(sum.position, part->position);
    AddInto(sum.rotation, part->rotation);
    AddInto(sum.float_position, part->float_position);
    AddInto(sum.float_rotation, part->float_rotation);
  }
  AddInto(sum.position, s.offset_position);
  AddInto(sum.rotation, s.offset_rotation);
  AddInto(sum.float_position, s.offset_float_position);
  AddInto(sum.float_rotation, s.offset_float_rotation);
  float scale_add = 0;
  for (const SlotSettledGroup* group : settled) {
    AddInto(sum.position, group->position);
    AddInto(sum.rotation, group->rotation);
    AddInto(sum.float_position, group->float_position);
    AddInto(sum.float_rotation, group->float_rotation);
    scale_add += group->scale;
  }
  for (int axis = 0; axis < 2; ++axis) {
    sum.scale[axis] =
        s.scale[axis] + s.offset_scale[axis] + action.scale[axis] + anim.scale[axis] + scale_add;
  }
  for (int edge = 0; edge < 4; ++edge) {
    sum.rect[edge] =
        s.rect[edge] + action.rect[edge] + s.action_delta.rect[edge] + s.animation_group.rect[edge];
  }
  uint32_t colour = 0;
  for (int channel = 0; channel < 4; ++channel) {
    colour = colour << 8 | static_cast<uint32_t>(AdvGraphicSlotSumColorChannel(s, channel));
  }
  sum.colour = colour;
  return sum;
}

int32_t AdvGraphicSlotSumColorChannel(const GraphicSlot& s, int channel) {
  // Added in 16-bit arithmetic and read back as signed 16 bits, then clamped.
  const uint16_t total =
      static_cast<uint16_t>(ColourByte(s.colour, channel) + s.offset_colour[channel] +
                            s.frame.action.colour[channel] + s.frame.animation.colour[channel] +
                            s.action_delta.colour[channel] + s.animation_group.colour[channel]);
  return Clamp255(static_cast<int16_t>(total));
}

void AdvGraphicSlotApply(AdvContext& context, GraphicSlot& slot) {
  const SlotSums sum = AdvGraphicSlotSums(slot);
  YelSprite* sprite = slot.sprite;
  yel::YelSpriteSetPos(sprite, static_cast<float>(sum.position[0] + slot.frame.shake_x),
                       static_cast<float>(sum.position[1] + slot.frame.shake_y),
                       static_cast<float>(sum.position[2]));
  if (AdvAspectPositionSwitch(context))
    yel::YelSpriteConvertAspectPosition(sprite, slot.aspect_type);
  if (UseFloatRotation()) {
    yel::YelSpriteSetRotateExFloat(sprite, sum.float_rotation[0], sum.float_rotation[1],
                                   sum.float_rotation[2]);
  } else {
    yel::YelSpriteSetRotateEx(sprite, sum.rotation[0], sum.rotation[1], sum.rotation[2]);
  }
  yel::YelSpriteSetScale(sprite, sum.scale[0], sum.scale[1]);
  yel::YelSpriteSetColor(sprite, sum.colour);
  if (slot.rect_enabled) {
    const YelRect rect{sum.rect[0], sum.rect[1], sum.rect[2], sum.rect[3]};
    yel::YelSpriteSetRect(sprite, &rect);
  }
}

void AdvGraphicSlotApplyAll(AdvContext& context) {
  for (GraphicSlot* slot = g_anchor.next; slot; slot = slot->next) {
    if (slot->sprite) AdvGraphicSlotApply(context, *slot);
  }
}

void AdvSettledGroupAdd(SlotSettledGroup& group, const SlotSettledGroup& change, int sign) {
  for (int axis = 0; axis < 3; ++axis) {
    group.position[axis] += sign * change.position[axis];
    group.rotation[axis] += sign * change.rotation[axis];
    group.float_position[axis] += static_cast<float>(sign) * change.float_position[axis];
    group.float_rotation[axis] += static_cast<float>(sign) * change.float_rotation[axis];
  }
  for (int edge = 0; edge < 4; ++edge) group.rect[edge] += sign * change.rect[edge];
  group.scale += static_cast<float>(sign) * change.scale;
  for (int channel = 0; channel < 4; ++channel) {
    group.colour[channel] =
        static_cast<int16_t>(group.colour[channel] + sign * change.colour[channel]);
  }
}

void AdvGraphicSlotCommitPart(GraphicSlot& s, const SlotSettledGroup& d) {
  for (int axis = 0; axis < 2; ++axis) {
    s.position[axis] += d.position[axis];
    s.float_position[axis] += d.float_position[axis];
    s.scale[axis] += d.scale;
  }
  AddInto(s.rotation, d.rotation);
  AddInto(s.float_rotation, d.float_rotation);
  uint32_t colour = 0;
  for (int channel = 0; channel < 4; ++channel) {
    const uint16_t total = static_cast<uint16_t>(ColourByte(s.colour, channel) + d.colour[channel]);
    colour = colour << 8 | static_cast<uint32_t>(Clamp255(static_cast<int16_t>(total)));
  }
  s.colour = colour;
  if (s.rect_enabled) AddInto(s.rect, d.rect);
  // The z parts are dropped: a finished action leaves no depth change behind.
  if (&d == &s.action_delta) {
    s.action_delta = SlotSettledGroup{};
  } else {
    AdvSettledGroupAdd(s.action_delta, d, -1);
  }
}

void AdvGraphicSlotCommitDeltas() {
  for (GraphicSlot* s = g_anchor.next; s; s = s->next)
    AdvGraphicSlotCommitPart(*s, s->action_delta);
}

bool AdvGraphicSlotListed(const GraphicSlot& slot) {
  return Listed(slot);
}

void AdvGraphicSlotClearFrameParts(AdvContext&) {
  for (GraphicSlot* slot = g_anchor.next; slot; slot = slot->next) slot->frame = SlotFrameGroup{};
}

void AdvGraphicSlotCopyState(GraphicSlot& destination, const GraphicSlot& source) {
  destination.position = source.position;
  destination.offset_position = source.offset_position;
  destination.rotation = source.rotation;
  destination.offset_rotation = source.offset_rotation;
  destination.rect_enabled = source.rect_enabled;
  destination.rect = source.rect;
  destination.scale = source.scale;
  destination.offset_scale = source.offset_scale;
  destination.colour = source.colour;
  destination.offset_colour = source.offset_colour;
  destination.aspect_type = source.aspect_type;
  destination.float_position = source.float_position;
  destination.offset_float_position = source.offset_float_position;
  destination.float_rotation = source.float_rotation;
  destination.offset_float_rotation = source.offset_float_rotation;
  destination.frame = source.frame;
  destination.action_delta = source.action_delta;
  destination.animation_group = source.animation_group;
}

void AdvGraphicSlotInheritParent(GraphicSlot& child, const GraphicSlot& parent) {
  const SlotSums p = AdvGraphicSlotSums(parent);
  child.colour = p.colour;
  child.scale = p.scale;
  child.position = p.position;
  child.rotation = p.rotation;
  child.aspect_type = parent.aspect_type;
  child.float_position = p.float_position;
  child.float_rotation = p.float_rotation;
  // The child's offset from the parent's centre is scaled with the parent.
  const SlotSums c = AdvGraphicSlotSums(child);
  const int32_t parent_w = yel::YelSpriteGetWidth(parent.sprite) >> 1;
  const int32_t parent_h = yel::YelSpriteGetHeight(parent.sprite) >> 1;
  const int32_t child_w = yel::YelSpriteGetWidth(child.sprite) >> 1;
  const int32_t child_h = yel::YelSpriteGetHeight(child.sprite) >> 1;
  const int32_t dx = (p.position[0] + parent_w) - (c.position[0] + child_w);
  const int32_t dy = (p.position[1] + parent_h) - (c.position[1] + child_h);
  child.position[0] += dx - static_cast<int32_t>(std::trunc(dx * p.scale[0]));
  child.position[1] += dy - static_cast<int32_t>(std::trunc(dy * p.scale[1]));
  const float fdx = (p.float_position[0] + parent_w) - (c.float_position[0] + child_w);
  const float fdy = (p.float_position[1] + parent_h) - (c.float_position[1] + child_h);
  child.float_position[0] += fdx - fdx * p.scale[0];
  child.float_position[1] += fdy - fdy * p.scale[1];
}

GraphicSlot* AdvGraphicSlotFromIndex(int32_t index) {
  if (index < 0 || index >= kGraphicSlotCount) return nullptr;
  return &g_slots[index];
}

int32_t AdvBankImageNo(int32_t bank, int32_t entry) {
  if (bank < 0 || bank >= 16 || entry < 0 || entry >= kBankSize) return -1;
  return 0x2000000 + bank * 0x100000 + entry;
}

int32_t AdvImageNoToSlot(uint32_t number) {
  const uint32_t kind = (number >> 24) & 0xF;
  const int32_t bank = static_cast<int32_t>((number >> 20) & 0xF);
  const int32_t entry = static_cast<int32_t>(number & 0xFFFF);
  int32_t index = -1;
  if (kind == 0 && entry < kBankSize) index = kLayerSlotBase + entry;
  if (kind == 1 && entry < kSystemSlots) index = entry;
  if (kind == 2 && entry < kBankSize) index = kBankSlotBase + kBankSize * bank + entry;
  if (index < 0 || index >= kGraphicSlotCount) {
    AdvDebugPrint(kLogError, "fail original image no : 0x%08X", number);
    return -1;
  }
  return index;
}

GraphicSlot* AdvImageNoSlot(uint32_t number) {
  GraphicSlot* slot = AdvGraphicSlotFromIndex(AdvImageNoToSlot(number));
  return slot && Listed(*slot) ? slot : nullptr;
}

}  // namespace adv
