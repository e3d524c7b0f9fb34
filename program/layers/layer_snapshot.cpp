#include "program/layers/layer_snapshot.h"

#include <cstring>
#include <string>

#include "program/buttons/button_snapshot.h"
#include "program/data/byte_io.h"
#include "program/data/sprite_info_record.h"
#include "program/game/adv_context.h"
#include "program/layers/frame_animation.h"
#include "program/layers/layer_compositions.h"
#include "program/layers/layer_services.h"
#include "program/layers/layer_table.h"
#include "program/layers/layer_text_items.h"
#include "program/layers/sprite_loader.h"
#include "program/savedata/snapshot_image.h"
#include "program/script/engine_log.h"
#include "program/script/script_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr uint32_t kSlotGroupsSize = 148;
constexpr uint32_t kCompositionSize = 80;
constexpr uint32_t kTextItemHeadSize = 9 * 4;  // eight words and the length
constexpr uint32_t kShakeForever = 0xFFFFFFFF;
constexpr uint32_t kWithAnimation = kGraphicBlendMode | kGraphicAnimation;
constexpr uint32_t kLastFilter = 13;
// No texture is larger on a side; the saved size makes the colour planes of a restore.
constexpr int32_t kImageSideMax = 16384;
// Text items keep the font effect and size in 16 bits.
constexpr uint32_t kFontWordMax = 0xFFFF;
// The platform option of filters 1 to 13, as the filter command sets them.
constexpr int32_t kFilterOptions[kLastFilter + 1] = {
    0, 1, 2, 3, 4, 0x105, 0x205, 0x305, 0x405, 0x505, 0x605, 0x705, 0x805, -1,
};

static_assert(kSlotGroupsSize == kSlotStateSize &&
                  kSlotGroupsSize == 4 * 3 * 4 + 4 + 4 * 4 + 2 * 2 * 4 + 4 + 4 * 2 + 4 + 4 * 3 * 4,
              "the slot's base and offset groups are 148 bytes");
static_assert(kGraphicDatRecordSize == 3 * kGraphicDatNameSize + 9 * 4,
              "a graphic record is 132 bytes");
static_assert(kCompositionSize * kCompositionCount == 640, "the composition entries are 640 bytes");
static_assert(sizeof(CompositionEntry::name) + 2 * 4 + 8 * 4 + 2 * 4 == kCompositionSize);

template <size_t N>
void PutInts(SnapshotWriter& out, const std::array<int32_t, N>& values) {
  for (int32_t value : values) out.I32(value);
}
template <size_t N>
void GetInts(SnapshotReader& in, std::array<int32_t, N>& values) {
  for (int32_t& value : values) value = in.I32();
}

// The slot's own state, from its base position through its offset float rotation, laid out as
// the button block keeps it.
void WriteSlotGroups(const GraphicSlot& slot, SnapshotWriter& out) {
  const std::string state = SlotState(slot);
  out.Bytes(state.data(), static_cast<uint32_t>(state.size()));
}

void ReadSlotGroups(SnapshotReader& in, GraphicSlot& slot) {
  std::array<uint8_t, kSlotStateSize> state{};
  if (in.Bytes(state.data(), state.size())) SetSlotState(slot, state);
}

void CopySlotGroups(GraphicSlot& to, const GraphicSlot& from) {
  to.position = from.position, to.offset_position = from.offset_position;
  to.rotation = from.rotation, to.offset_rotation = from.offset_rotation;
  to.rect_enabled = from.rect_enabled;
  to.rect = from.rect;
  to.scale = from.scale, to.offset_scale = from.offset_scale;
  to.colour = from.colour, to.offset_colour = from.offset_colour;
  to.aspect_type = from.aspect_type;
  to.float_position = from.float_position;
  to.offset_float_position = from.offset_float_position;
  to.float_rotation = from.float_rotation;
  to.offset_float_rotation = from.offset_float_rotation;
}

void WriteRecord(const GraphicDatRecord& r, SnapshotWriter& out) {
  out.Chars(r.name);
  out.U32(r.flags);
  out.Chars(r.file_name);
  out.Chars(r.animation);
  for (int32_t word : {r.priority_step, r.blend_mode, r.x, r.y, r.scale_percent}) out.I32(word);
  out.U32(r.colour);
  out.I32(r.centre_x);
  out.I32(r.centre_y);
}

bool ReadRecord(SnapshotReader& in, GraphicDatRecord& record) {
  uint8_t bytes[kGraphicDatRecordSize];
  if (!in.Bytes(bytes, sizeof bytes)) return false;
  record = ReadGraphicDatRecord(bytes);
  return true;
}

void WriteInfo(const YelSpriteInfo& info, SnapshotWriter& out) {
  ByteWriter bytes;
  WriteSpriteInfo(bytes, info);
  out.Bytes(bytes.bytes().data(), static_cast<uint32_t>(bytes.bytes().size()));
}

bool ReadInfo(SnapshotReader& in, YelSpriteInfo& info) {
  char bytes[kSpriteInfoSize];
  if (!in.Bytes(bytes, sizeof bytes)) return false;
  ByteReader reader(std::string_view(bytes, sizeof bytes));
  return ReadSpriteInfo(reader, info);
}

void WriteComposition(const CompositionEntry& entry, SnapshotWriter& out) {
  out.U32(entry.kind);
  out.U32(entry.target);
  PutInts(out, entry.parameters);
  out.Chars(entry.name);
  out.Words(entry.kept);
}

void ReadComposition(SnapshotReader& in, CompositionEntry& entry) {
  entry.kind = in.U32();
  entry.target = in.U32();
  GetInts(in, entry.parameters);
  in.Chars(entry.name);
  in.Words(entry.kept);
}

bool IsLayer(int64_t value) {
  return value >= 0 && value < kLayerCount;
}

// A layer, or -1 (no image), as the filters record them.
bool IsLayerOrNone(int64_t value) {
  return value == -1 || IsLayer(value);
}

// The composition commands record kinds 1 to 14, ORed into an entry's kind word, with rectangles
// that can be valid ones; the child link has its own bit. An operation that reads another layer
// names one of 0-127 (the filters may name none); a bare child link names its child.
bool CheckComposition(SnapshotReader& in, const CompositionEntry& entry) {
  const uint32_t operation = entry.kind & ~kCompositionChildLink;
  if (!in.Check(operation <= 15, "unknown layer composition kind")) return false;
  // The commands refuse such a rectangle, so no script recorded it: the replay on load must not
  // be handed one.
  if (!in.Check(AdvCompositionRectPlausible(entry.kind, entry.parameters),
                "layer composition rectangle outside every image")) {
    return false;
  }
  const int32_t source = static_cast<int32_t>(entry.target);
  const int32_t first = entry.parameters[0];
  switch (operation) {
    case 0:
      return !(entry.kind & kCompositionChildLink) ||
             in.Check(IsLayer(entry.target), "child link to no layer");
    case kCompositionCopyLayer:
    case kCompositionChannelCopy:
      return in.Check(IsLayer(entry.target), "layer copy from no layer");
    case kCompositionStretch:
      return in.Check(IsLayer(entry.target) && IsLayer(first), "stretch between no layers");
    case kCompositionBoxBlur:
    case kCompositionGaussBlur:
    case kCompositionAlphaCopy:
    case kCompositionMotionBlur:
      return in.Check(IsLayerOrNone(source) && IsLayerOrNone(first), "filter on no layer");
    default:
      return true;
  }
}

// A name read from the block is used as a string.
bool Terminated(const std::array<char, 32>& name) {
  return std::memchr(name.data(), 0, name.size()) != nullptr;
}

// Kept empty: there is no sprite state to keep, or a transition is clearing the layer. A sprite
// whose state cannot be read is kept empty too, rather than with a record the platform never
// filled.
bool KeptLayer(const LayerRecord& record, YelSpriteInfo& info) {
  const GraphicSlot* slot = record.slot;
  if (!slot || !slot->sprite) return false;
  if (record.transition_state == kTransitionClearAtEnd) return false;
  return yel::YelSpriteGetInfo(slot->sprite, &info) != 0;
}

// Image word 0 is file 0 of "File.dat", but in the block it would read as an empty layer: such a
// layer is kept under its file's name instead, as a string-variable image is.
void WriteLayer(const AdvContext& context, const LayerRecord& record, const YelSpriteInfo& info,
                SnapshotWriter& out) {
  const GraphicSlot& slot = *record.slot;
  std::array<char, 32> name = slot.name;
  uint32_t image_word = slot.image_word;
  if (image_word == 0) {
    name.fill(0);
    if (const uint8_t* file = context.lists.FileName(0)) {
      std::memcpy(name.data(), file, name.size() - 1);
    }
    image_word = kStringVariableBit;
  }
  out.U32(image_word);
  WriteInfo(info, out);
  WriteSlotGroups(slot, out);
  WriteRecord(slot.record, out);
  out.U32(slot.animation_id);
  out.U32(record.flags);
  out.I32(record.script_value);
  out.U32(record.shake_mode);
  out.I32(record.shake_amplitude);
  out.U32(record.shake_duration);
  out.U32(record.shake_start);
  out.U32(record.movie_argument);
  for (const CompositionEntry& entry : record.compositions) WriteComposition(entry, out);
  AdvLayerExSave(record, out);
  if (image_word & kStringVariableBit) out.Chars(name);
}

bool ReadLayer(SnapshotReader& in, SavedLayer& layer) {
  if (!ReadInfo(in, layer.info) ||
      !in.Bounded(layer.info.image_width, 0, kImageSideMax, "layer image width") ||
      !in.Bounded(layer.info.image_height, 0, kImageSideMax, "layer image height")) {
    return false;
  }
  ReadSlotGroups(in, layer.slot);
  if (!ReadRecord(in, layer.record)) return false;
  layer.animation_id = in.U32();
  layer.flags = in.U32();
  layer.script_value = in.I32();
  layer.shake_mode = in.U32();
  layer.shake_amplitude = in.I32();
  layer.shake_duration = in.U32();
  layer.shake_start = in.U32();
  layer.movie_argument = in.U32();
  for (CompositionEntry& entry : layer.compositions) ReadComposition(in, entry);
  if (!in.ok()) return false;
  // The shake command never keeps an amplitude of 0; the shake step would divide by it.
  if (!in.Check(!(layer.flags & kLayerShake) || layer.shake_amplitude != 0,
                "layer shake of amplitude 0")) {
    return false;
  }
  for (const CompositionEntry& entry : layer.compositions) {
    if (!CheckComposition(in, entry)) return false;
  }
  if (!AdvLayerExRead(in, layer.text_items)) return false;
  if (layer.image_word & kStringVariableBit) {
    in.Chars(layer.name);
    if (!in.Check(Terminated(layer.name), "layer image name without an end")) return false;
  }
  return in.ok();
}

// The image of a kept layer into a slot prepared as the allocator does; the slot is the layer's
// even when the image does not load (the loader has said why), so the rest is kept.
void LoadLayerImage(AdvContext& context, const SavedLayer& saved) {
  const int32_t k = saved.index;
  GraphicSlot* slot = AdvGraphicSlotAlloc(kSlotBankLayer, k);
  if (!slot) return;
  CopySlotGroups(*slot, saved.slot);
  slot->record = saved.record;
  slot->animation_id = saved.animation_id;
  if (saved.animation_id > kAnimationCount) {
    AdvDebugPrint(kLogError, "*** ERROR load layer=%d dwAnimeNo=%d / lFileNo=%d / szFileName=%s", k,
                  saved.animation_id, saved.image_word, saved.name.data());
    slot->animation_id = 0;
  }
  LayerRecord& record = context.layers.layers[k];
  if (!record.text_items.empty()) {
    AdvDebugPrint(kLogError, "error AdvGraphicLoad: prev VecTagTextPtr");
  }
  record.flags = saved.flags & ~kLayerLoadPending;  // no load runs for the restored layer
  record.script_value = saved.script_value;
  record.shake_mode = saved.shake_mode;
  record.shake_amplitude = saved.shake_amplitude;
  record.shake_duration = saved.shake_duration;
  record.shake_start = saved.shake_start;
  record.movie_argument = saved.movie_argument;
  record.compositions = saved.compositions;
  record.text_items = saved.text_items;

  char name[kGraphicDatNameSize + 1] = {};
  if (saved.image_word & kStringVariableBit) {
    std::memcpy(name, saved.name.data(), saved.name.size());
    slot->name = saved.name;
  } else {
    AdvGetFileName(context, reinterpret_cast<uint8_t*>(name), saved.image_word, true);
  }
  char load[kGraphicDatNameSize + 1] = {};
  std::memcpy(load, name, sizeof load);
  GraphicDatRecord found;
  if (AdvGraphicDatFind(name, &found)) {
    std::memcpy(load, found.file_name.data(), kGraphicDatNameSize);
    // The record the image is shown with: the kept copy (which carries an animation that
    // sp_set_anime bound), else the index's.
    if (slot->record.flags == 0) slot->record = found;
  }
  YelSprite* sprite = AdvSpriteLoadUnlocked(context, load, saved.info.image_width,
                                            saved.info.image_height, saved.info.priority);
  if (sprite) yel::YelSpriteSetInfo(sprite, &saved.info);
  slot->sprite = sprite;
  slot->image_word = saved.image_word;
  record.slot = slot;
}

// The layer another layer's recorded operation reads (a copy, a channel copy, a filter or a
// stretch source), or -1.
int32_t SourceLayer(const CompositionEntry& entry) {
  switch (entry.kind & ~kCompositionChildLink) {
    case kCompositionCopyLayer:
    case kCompositionChannelCopy:
    case kCompositionStretch:
    case kCompositionBoxBlur:
    case kCompositionGaussBlur:
    case kCompositionAlphaCopy:
    case kCompositionMotionBlur:
      return IsLayer(entry.target) ? static_cast<int32_t>(entry.target) : -1;
    default:
      return -1;
  }
}

enum class Redo { kWaiting, kRunning, kDone };

// What the script did to a layer's image after it was loaded, done again. The layers its
// operations read are redone first, so that they read the pixels those layers had when the
// operations were first done (a cycle is broken where it closes).
void RedoLayer(AdvContext& context, const std::vector<const SavedLayer*>& kept,
               std::array<Redo, kSnapshotLayerCount>& state, int32_t k) {
  if (k < 0 || k >= kSnapshotLayerCount || !kept[k] || state[k] != Redo::kWaiting) return;
  state[k] = Redo::kRunning;
  const SavedLayer& saved = *kept[k];
  LayerRecord& record = context.layers.layers[k];
  GraphicSlot* slot = record.slot;
  if (!slot) {
    state[k] = Redo::kDone;
    return;
  }
  if (record.flags & kLayerComposition) {
    for (const CompositionEntry& entry : record.compositions) {
      const int32_t source = SourceLayer(entry);
      if (source != k) RedoLayer(context, kept, state, source);
    }
    AdvLayerReplayCompositions(context, record);
  }
  YelSprite* sprite = slot->sprite;
  // A rebuilt scene draws the texts when it makes the layer's pixels. Drawing a text sets the
  // sprite's colour: the saved one is put back.
  if (!AdvFastForwarding(context) && !record.text_items.empty()) {
    AdvLayerTextRender(record);
    if (sprite) yel::YelSpriteSetColor(sprite, saved.info.colour);
  }
  for (uint32_t n = 1; n <= kLastFilter; ++n) {
    if (record.flags & (1u << n) && sprite) AdvLayerSetOption(context, sprite, kFilterOptions[n]);
  }
  if (record.flags & kLayerShake && record.shake_duration == kShakeForever) {
    record.shake_start = yel::YeltimeGetTime();
  }
  if (record.flags & kLayerMovie && sprite) yel::YelMSpritePlay(sprite, record.movie_argument);
  // The animation gets a new id from its new load; the kept id only tells that there was one
  // (it may name another slot's animation by now).
  const GraphicDatRecord attributes = slot->record;
  const bool animated = slot->animation_id != 0;
  slot->animation_id = 0;
  state[k] = Redo::kDone;
  if (!sprite) return;
  if (!animated) {
    AdvGraphicApplyAttributes(*slot, attributes, kGraphicBlendMode);
    return;
  }
  AdvGraphicApplyAttributes(*slot, attributes, kWithAnimation);
  if (slot->animation_id > kAnimationCount) {
    AdvDebugPrint(kLogError, "*** ERROR AdvAnimStart %d (1-128)", slot->animation_id);
  } else if (slot->animation_id != 0 && AdvAnimGetStatus(slot->animation_id) == kAnimLoaded) {
    AdvAnimStart(slot->animation_id);
  }
}

}  // namespace

void AdvLayerExSave(const LayerRecord& record, SnapshotWriter& out) {
  out.U32(static_cast<uint32_t>(record.text_items.size()));
  uint32_t index = 0;
  for (const LayerTextItem& item : record.text_items) {
    for (uint32_t word :
         {item.tag, item.font_type, item.font_effect, item.font_size, item.colours[0],
          item.colours[1], static_cast<uint32_t>(item.x), static_cast<uint32_t>(item.y)}) {
      out.U32(word);
    }
    uint32_t length = static_cast<uint32_t>(item.text.size());
    if (length > kLayerTextSavedMax) {
      AdvDebugPrint(kLogError, "error write layerEx over string count=%d", index);
      length = 0;
    }
    out.U32(length);
    out.Bytes(item.text.data(), length);
    ++index;
  }
}

bool AdvLayerExRead(SnapshotReader& in, std::vector<LayerTextItem>& items) {
  items.clear();
  const uint32_t count = in.U32();
  if (!in.Bounded(count, 0, static_cast<int64_t>(in.remaining() / kTextItemHeadSize),
                  "layer text count")) {
    return false;
  }
  for (uint32_t i = 0; i < count; ++i) {
    LayerTextItem item;
    item.tag = in.U32();
    item.font_type = in.U32();
    item.font_effect = in.U32();
    item.font_size = in.U32();
    item.colours = {in.U32(), in.U32()};
    item.x = in.I32();
    item.y = in.I32();
    const uint32_t length = in.U32();
    if (!in.Bounded(item.font_effect, 0, kFontWordMax, "layer text font effect") ||
        !in.Bounded(item.font_size, 0, kFontWordMax, "layer text font size") ||
        !in.Bounded(length, 0, kLayerTextSavedMax, "layer text length")) {
      return false;
    }
    item.text.resize(length);
    if (!in.Bytes(item.text.data(), length)) return false;
    // A text kept with length 0 was too long to keep: it is gone.
    if (length > 0) items.push_back(std::move(item));
  }
  return in.ok();
}

void AdvGraphicSave(const AdvContext& context, SnapshotWriter& out) {
  for (const FaceEntry& face : context.layers.faces) {
    out.I32(face.layer);
    out.Words(face.words);
  }
  for (int32_t k = 0; k < kSnapshotLayerCount; ++k) {
    const LayerRecord& record = context.layers.layers[k];
    YelSpriteInfo info{};
    if (KeptLayer(record, info)) {
      WriteLayer(context, record, info, out);
    } else {
      out.U32(0);
    }
  }
}

bool AdvGraphicRead(SnapshotReader& in, SavedLayers& saved) {
  saved = SavedLayers{};
  for (FaceEntry& face : saved.faces) {
    face.layer = in.I32();
    in.Words(face.words);
    if (!in.Check(IsLayerOrNone(face.layer), "face on no layer")) return false;
  }
  for (int32_t k = 0; k < kSnapshotLayerCount && in.ok(); ++k) {
    const uint32_t image_word = in.U32();
    if (image_word == 0) continue;
    SavedLayer& layer = saved.layers.emplace_back();
    layer.index = k;
    layer.image_word = image_word;
    if (!ReadLayer(in, layer)) return false;
  }
  return in.ok();
}

void AdvGraphicLoad(AdvContext& context, const SavedLayers& saved) {
  context.layers.faces = saved.faces;
  // Every image first: an operation replayed on one layer may read another, higher one.
  std::vector<const SavedLayer*> kept(kSnapshotLayerCount, nullptr);
  for (const SavedLayer& layer : saved.layers) {
    LoadLayerImage(context, layer);
    if (layer.index >= 0 && layer.index < kSnapshotLayerCount) kept[layer.index] = &layer;
  }
  std::array<Redo, kSnapshotLayerCount> state;
  state.fill(Redo::kWaiting);
  for (int32_t k = 0; k < kSnapshotLayerCount; ++k) RedoLayer(context, kept, state, k);
  AdvFaceSetView(context, 0);
}

}  // namespace adv
