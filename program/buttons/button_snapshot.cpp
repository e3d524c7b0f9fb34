#include "program/buttons/button_snapshot.h"

#include <cstring>
#include <string>
#include <string_view>

#include "program/buttons/button_manager.h"
#include "program/data/byte_io.h"
#include "program/data/sprite_info_record.h"
#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_services.h"
#include "program/layers/sprite_loader.h"
#include "program/savedata/snapshot_image.h"
#include "program/script/engine_log.h"
#include "program/script/script_names.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr uint32_t kRecordSize = 32;
constexpr uint32_t kRestoredAttributes = 0x6000;

uint32_t FloatBits(float value) {
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

float BitsFloat(uint32_t bits) {
  float value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

template <size_t N>
void PutInts(ByteWriter& out, const std::array<int32_t, N>& values) {
  for (int32_t value : values) out.I32(value);
}
template <size_t N>
void PutFloats(ByteWriter& out, const std::array<float, N>& values) {
  for (float value : values) out.U32(FloatBits(value));
}
template <size_t N>
void GetInts(ByteReader& in, std::array<int32_t, N>& values) {
  for (int32_t& value : values) value = in.I32();
}
template <size_t N>
void GetFloats(ByteReader& in, std::array<float, N>& values) {
  for (float& value : values) value = BitsFloat(in.U32());
}

}  // namespace

// The slot's own state from its base position through its offset float rotation.
std::string SlotState(const GraphicSlot& slot) {
  ByteWriter out;
  PutInts(out, slot.position);
  PutInts(out, slot.offset_position);
  PutInts(out, slot.rotation);
  PutInts(out, slot.offset_rotation);
  out.U32(slot.rect_enabled);
  PutInts(out, slot.rect);
  PutFloats(out, slot.scale);
  PutFloats(out, slot.offset_scale);
  out.U32(slot.colour);
  for (int16_t channel : slot.offset_colour) out.U16(static_cast<uint16_t>(channel));
  out.U32(slot.aspect_type);
  PutFloats(out, slot.float_position);
  PutFloats(out, slot.offset_float_position);
  PutFloats(out, slot.float_rotation);
  PutFloats(out, slot.offset_float_rotation);
  return out.Take();
}

void SetSlotState(GraphicSlot& slot, const std::array<uint8_t, kSlotStateSize>& state) {
  ByteReader in(std::string_view(reinterpret_cast<const char*>(state.data()), state.size()));
  GetInts(in, slot.position);
  GetInts(in, slot.offset_position);
  GetInts(in, slot.rotation);
  GetInts(in, slot.offset_rotation);
  slot.rect_enabled = in.U32();
  GetInts(in, slot.rect);
  GetFloats(in, slot.scale);
  GetFloats(in, slot.offset_scale);
  slot.colour = in.U32();
  for (int16_t& channel : slot.offset_colour) channel = static_cast<int16_t>(in.U16());
  slot.aspect_type = in.U32();
  GetFloats(in, slot.float_position);
  GetFloats(in, slot.offset_float_position);
  GetFloats(in, slot.float_rotation);
  GetFloats(in, slot.offset_float_rotation);
}

namespace {

void WriteButton(const ButtonGroup& group, int32_t index, SnapshotWriter& out) {
  const ButtonRecord& record = group.buttons[index];
  const GraphicSlot& slot = *record.slot;
  // Image word 0 is file 0 of "File.dat", but in the block it would read as "no button" and
  // put every later field out of step: such a button is kept under its name instead.
  const uint32_t image_word = slot.image_word == 0 ? kStringVariableBit : slot.image_word;
  out.U32(image_word);
  out.U32(0);  // the slot reference means nothing in a file
  out.U32(record.click_label);
  out.U32(record.on_label);
  out.U32(record.off_label);
  out.U32(0);
  out.I32(record.link);
  out.I32(record.tips);
  out.U32(record.flags);
  // The hovered button keeps the info taken when it was entered.
  YelSpriteInfo info{};
  if (group.hovered == index) {
    info = group.hovered_info;
  } else {
    yel::YelSpriteGetInfo(slot.sprite, &info);
  }
  ByteWriter info_bytes;
  WriteSpriteInfo(info_bytes, info);
  out.Bytes(info_bytes.bytes().data(), static_cast<uint32_t>(info_bytes.bytes().size()));
  const std::string state = SlotState(slot);
  out.Bytes(state.data(), static_cast<uint32_t>(state.size()));
  if (image_word & kStringVariableBit) out.Chars(slot.name);
}

bool ReadButton(SnapshotReader& in, SavedButton& button) {
  in.U32();  // the slot reference
  button.record.click_label = in.U32();
  button.record.on_label = in.U32();
  button.record.off_label = in.U32();
  in.U32();
  button.record.link = in.I32();
  button.record.tips = in.I32();
  button.record.flags = in.U32();
  char info_bytes[kSpriteInfoSize];
  if (!in.Bytes(info_bytes, sizeof info_bytes)) return false;
  ByteReader info_in(std::string_view(info_bytes, sizeof info_bytes));
  ReadSpriteInfo(info_in, button.info);
  if (!in.Bytes(button.slot_state.data(), button.slot_state.size())) return false;
  if (button.image_word & kStringVariableBit) in.Chars(button.name);
  return in.ok();
}

// A button of a restored group: its slot, its sprite loaded at its saved priority and entered
// in the group's object, its saved sprite state. False when its image does not load.
bool RestoreButton(AdvContext& context, int32_t g, const SavedButton& saved) {
  ButtonGroup& group = context.buttons.groups[g];
  GraphicSlot* slot = AdvGraphicSlotAlloc(kSlotBankButton, ButtonSlotEntry(g, saved.index));
  if (!slot) return false;
  SetSlotState(*slot, saved.slot_state);
  char name[33] = {};
  if (saved.image_word & kStringVariableBit) {
    std::memcpy(name, saved.name.data(), saved.name.size());
  } else {
    AdvGetFileName(context, reinterpret_cast<uint8_t*>(name), saved.image_word, true);
  }
  GraphicDatRecord record;
  const bool indexed = AdvGraphicDatFind(name, &record);
  char load[33] = {};
  std::memcpy(load, indexed ? record.file_name.data() : name, kGraphicDatNameSize);
  YelSprite* sprite =
      AdvSpriteLoadUnlocked(context, load, AdvWindowWidth, AdvWindowHeight, saved.info.priority);
  if (!sprite) {
    AdvGraphicSlotFreeNow(slot);
    return false;
  }
  yel::YelButtonEntry(group.object, sprite);
  yel::YelSpriteSetInfo(sprite, &saved.info);
  slot->sprite = sprite;
  slot->image_word = saved.image_word;
  if (saved.image_word & kStringVariableBit) std::memcpy(slot->name.data(), name, 32);
  if (indexed) AdvGraphicApplyAttributes(*slot, record, kRestoredAttributes);
  ButtonRecord& button = group.buttons[saved.index];
  button = saved.record;
  button.slot = slot;
  return true;
}

}  // namespace

void AdvButtonSave(const AdvContext& context, SnapshotWriter& out) {
  for (int32_t g = 0; g < kSavedButtonGroupCount; ++g) {
    const ButtonGroup& group = context.buttons.groups[g];
    out.U32(group.in_use);
    if (!group.in_use) continue;
    out.U32(group.hover_sound);
    out.U32(group.decide_sound);
    out.Words(group.special);
    for (int32_t i = 0; i < kButtonsPerGroup; ++i) {
      if (!group.buttons[i].slot) {
        out.U32(0);
        continue;
      }
      WriteButton(group, i, out);
    }
  }
}

bool AdvButtonRead(SnapshotReader& in, SavedButtons& saved) {
  for (SavedButtonGroup& group : saved) {
    group = SavedButtonGroup{};
    group.in_use = in.U32();
    if (!group.in_use) continue;
    group.hover_sound = in.U32();
    group.decide_sound = in.U32();
    in.Words(group.special);
    for (int32_t i = 0; i < kButtonsPerGroup && in.ok(); ++i) {
      const uint32_t image_word = in.U32();
      if (image_word == 0) continue;
      SavedButton button;
      button.index = i;
      button.image_word = image_word;
      if (!ReadButton(in, button)) return false;
      group.buttons.push_back(button);
    }
  }
  return in.ok();
}

void AdvButtonLoad(AdvContext& context, const SavedButtons& saved) {
  for (int32_t g = 0; g < kSavedButtonGroupCount; ++g) {
    const SavedButtonGroup& group = saved[g];
    if (!group.in_use) continue;
    AdvButtonGroupInit(context, g, group.hover_sound, group.decide_sound);
    context.buttons.groups[g].special = group.special;
    for (const SavedButton& button : group.buttons) {
      if (!ButtonIndexValid(g, button.index)) continue;
      if (!RestoreButton(context, g, button)) {
        AdvDebugPrint(kLogError, "btn load error [%d][%d]", g, button.index);
      }
    }
  }
  context.buttons.input_block = InputBlock{};
}

}  // namespace adv
