#include "program/buttons/button_children.h"

#include <algorithm>

#include "program/buttons/button_manager.h"
#include "program/layers/graphic_slots.h"
#include "program/script/engine_log.h"

namespace adv {
namespace {

constexpr uint32_t kButtonImageKind = 0x2000000;

// The image number of button (group, index): kind 2, bank = group, entry = index.
uint32_t ButtonImageNo(int32_t group, int32_t index) {
  return kButtonImageKind + (static_cast<uint32_t>(group) << 20) + static_cast<uint32_t>(index);
}

}  // namespace

bool AdvButtonSetChild(int32_t group, int32_t parent, int32_t child, int32_t x, int32_t y) {
  // Negative numbers fail the index checks, so only -1 as the parent unlinks; group 15 has no
  // slots past button 118, for a parent or a child.
  if (!ButtonIndexValid(group, child) || (parent != -1 && !ButtonIndexValid(group, parent))) {
    AdvDebugPrint(kLogError, "btn_set_child  ArgumentOutOfRange Error: grp=%d parent=%d child=%d",
                  group, parent, child);
    return false;
  }
  ButtonChildLink& link = ButtonChildLinkAt(group, child);
  if (parent == -1) {
    link = ButtonChildLink{};
    return true;
  }
  GraphicSlot* slot = AdvGraphicSlotFromIndex(AdvImageNoToSlot(ButtonImageNo(group, child)));
  if (!slot) return true;
  link.child = slot;
  link.parent = ButtonImageNo(group, parent);
  slot->offset_position[0] = x;
  slot->offset_position[1] = y;
  slot->offset_float_position[0] = static_cast<float>(x);
  slot->offset_float_position[1] = static_cast<float>(y);
  return true;
}

int32_t ButtonSliderSnap(int32_t maximum, int32_t value) {
  const int32_t step = std::max(maximum, 100) / 100;
  const int32_t rest = value % step;
  if (value == maximum || rest == 0) return value;
  // Up to the next step; the last stretch below the maximum ends at the maximum itself.
  return static_cast<int32_t>(
      std::min<int64_t>(maximum, static_cast<int64_t>(value) + (step - rest)));
}

}  // namespace adv
