// The buttons' block of a snapshot: groups 0 to 3 in order. Per group its in-use word, and for a
// group in use its two sound arguments, the six special-button words and, for each of its 128
// buttons, the image word of its slot (0: no button), followed for a button by its record (32
// bytes), its sprite info (368 bytes), the 148 bytes of its slot's state and, when the image
// word names a string variable, the 32-byte image name. Groups 4 to 15 are not kept.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "YEL/yel.h"
#include "program/buttons/button_records.h"

namespace adv {

struct AdvContext;
struct GraphicSlot;
class SnapshotWriter;
class SnapshotReader;

inline constexpr int32_t kSavedButtonGroupCount = 4;
inline constexpr uint32_t kSlotStateSize = 148;

struct SavedButton {
  int32_t index = 0;
  uint32_t image_word = 0;
  ButtonRecord record;  // its slot reference is not kept
  YelSpriteInfo info{};
  std::array<uint8_t, kSlotStateSize> slot_state{};
  std::array<char, 32> name{};
};

struct SavedButtonGroup {
  uint32_t in_use = 0;
  uint32_t hover_sound = 0;
  uint32_t decide_sound = 0;
  std::array<int32_t, kSpecialButtonCount> special{};
  std::vector<SavedButton> buttons;
};

using SavedButtons = std::array<SavedButtonGroup, kSavedButtonGroupCount>;

// The 148 bytes of a slot's own state, from its base position through its offset float rotation,
// as every snapshot block that keeps a slot stores them.
std::string SlotState(const GraphicSlot& slot);
void SetSlotState(GraphicSlot& slot, const std::array<uint8_t, kSlotStateSize>& state);

void AdvButtonSave(const AdvContext& context, SnapshotWriter& out);
// Reads the whole block whatever it holds; false only for an image too short.
bool AdvButtonRead(SnapshotReader& in, SavedButtons& saved);
// Rebuilds groups 0-3 on a reset scene. A sound or an image that does not load is logged and
// left out; the rest of the groups still come back. The input pause ends.
void AdvButtonLoad(AdvContext& context, const SavedButtons& saved);

}  // namespace adv
