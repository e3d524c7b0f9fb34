// Layer composition commands (group 3) and the stretch command of group 0x12: each copies,
// blends, masks or filters into a layer's image at once and records the operation in one of the
// layer's eight composition entries, so a reloaded image gets it again; sp_set_child links a
// child layer that follows its parent.
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <string>

#include "program/commands/sprite_commands.h"
#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_compositions.h"
#include "program/layers/layer_table.h"
#include "program/layers/sprite_loader.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr int32_t kOnce = -1;  // sp_bitblt: copy now, record nothing
constexpr int32_t kNoChild = -1;
constexpr uint32_t kNoSource = 0xFFFFFFFF;

const char* const kRangeText = "graph error : 範囲外の値を指定しています。no = %d";

bool CheckEntry(int32_t k, bool once_allowed = false) {
  if ((k >= 0 && k < kCompositionCount) || (once_allowed && k == kOnce)) return true;
  AdvDebugPrint(kLogError, kRangeText, k);
  return false;
}

bool HasImage(AdvContext& context, int32_t layer) {
  return context.layers.layers[layer].slot != nullptr;
}

// Entry k of the layer takes the operation: the kind is ORed into its kind word (a script
// reuses an entry only once the image has been replaced) and the name is cleared.
CompositionEntry& Record(LayerRecord& record, int32_t k, uint32_t kind, uint32_t source) {
  record.flags |= kLayerComposition;
  CompositionEntry& entry = record.compositions[k];
  entry.kind |= kind;
  entry.target = source;
  entry.name.fill(0);
  return entry;
}

// The rectangle parameters of the copies and blends: p0 x, p1 y, p2 sx, p3 sy, p4 w, p5 h.
void SetRectangle(CompositionEntry& entry, int32_t x, int32_t y, int32_t w, int32_t h, int32_t sx,
                  int32_t sy) {
  auto& p = entry.parameters;
  p[0] = x, p[1] = y, p[2] = sx, p[3] = sy, p[4] = w, p[5] = h;
}

// A rectangle that can reach no pixel of any image (AdvCompositionRectPlausible) is refused with
// a level-0 line: nothing is done or recorded, and the script goes on.
bool PlausibleRectangle(const char* command, int32_t layer, uint32_t kind, int32_t x, int32_t y,
                        int32_t w, int32_t h, int32_t sx, int32_t sy) {
  if (AdvCompositionRectPlausible(kind, {x, y, sx, sy, w, h, 0, 0})) return true;
  AdvDebugPrint(kLogError,
                "%s %d : the rectangle %d, %d, %d, %d from %d, %d lies outside every image",
                command, layer, x, y, w, h, sx, sy);
  return false;
}

// sp_mix_file_to_sprite, sp_bitblt_file, sp_set_mask and sp_mix_file_to_sprite_ex: layer, x, y,
// w, h, file, sx, sy, k.
int FileOperation(AdvContext& context, uint32_t kind, const char* trace, bool result_of_operation) {
  const auto [layer, x, y, w, h, file, sx, sy, k] = PopArgs<9>(context);
  if (!AdvCheckLayer(layer) || !CheckEntry(k)) return 0;
  const uint32_t argument = static_cast<uint32_t>(file);
  if (!HasImage(context, layer) || argument == kNoReference) return 1;
  const std::string command(trace, std::strcspn(trace, " "));
  if (!PlausibleRectangle(command.c_str(), layer, kind, x, y, w, h, sx, sy)) return 1;
  LayerRecord& record = context.layers.layers[layer];
  CompositionEntry& entry = Record(record, k, kind, argument);
  SetRectangle(entry, x, y, w, h, sx, sy);
  AdvLayerSetRecordName(context, entry, argument);
  const int result = AdvCompositionRun(context, record, kind, k);
  AdvDebugPrint(kLogTrace, trace, layer, x, y, w, h, file, sx, sy, k);
  return result_of_operation ? result : 1;
}

int CmdSpMixFileToSprite(AdvContext& context) {
  return FileOperation(context, kCompositionMixFile,
                       "sp_mix_file_to_sprite %d, %d, %d, %d, %d, %d, %d, %d, %d", true);
}

int CmdSpMixFileToSpriteEx(AdvContext& context) {
  return FileOperation(context, kCompositionMixFileEx,
                       "sp_mix_file_to_sprite %d, %d, %d, %d, %d, %d, %d, %d, %d", true);
}

int CmdSpSetMask(AdvContext& context) {
  return FileOperation(context, kCompositionMask, "sp_set_mask %d, %d, %d, %d, %d, %d, %d, %d, %d",
                       true);
}

int CmdSpBitbltFile(AdvContext& context) {
  return FileOperation(context, kCompositionCopyFile,
                       "sp_bitblt_file %d, %d, %d, %d, %d, %d, %d, %d, %d", false);
}

int CmdSpBitblt(AdvContext& context) {
  const auto [layer, x, y, w, h, source, sx, sy, k] = PopArgs<9>(context);
  if (!AdvCheckLayer(layer) || !AdvCheckLayer(source) || !CheckEntry(k, true)) return 0;
  if (!HasImage(context, layer) || !HasImage(context, source)) return 1;
  if (!PlausibleRectangle("sp_bitblt", layer, kCompositionCopyLayer, x, y, w, h, sx, sy)) return 1;
  LayerRecord& record = context.layers.layers[layer];
  if (k == kOnce) {
    if (!AdvFastForwarding(context)) {
      yel::YelCopySpriteToSpriteRGB(record.slot->sprite, x, y,
                                    context.layers.layers[source].slot->sprite, sx, sy, w, h);
    }
  } else {
    SetRectangle(Record(record, k, kCompositionCopyLayer, static_cast<uint32_t>(source)), x, y, w,
                 h, sx, sy);
    AdvCompositionRun(context, record, kCompositionCopyLayer, k);
  }
  AdvDebugPrint(kLogTrace, "sp_bitblt %d, %d, %d, %d, %d, %d, %d, %d, %d", layer, x, y, w, h,
                source, sx, sy, k);
  return 1;
}

int CmdSpChannelCopy(AdvContext& context) {
  const auto [layer, x, y, w, h, c, source, sx, sy, sc, k] = PopArgs<11>(context);
  if (!AdvCheckLayer(layer) || !AdvCheckLayer(source) || !CheckEntry(k)) return 0;
  if (!HasImage(context, layer) || !HasImage(context, source)) return 1;
  if (!PlausibleRectangle("sp_channel_copy", layer, kCompositionChannelCopy, x, y, w, h, sx, sy)) {
    return 1;
  }
  LayerRecord& record = context.layers.layers[layer];
  CompositionEntry& entry =
      Record(record, k, kCompositionChannelCopy, static_cast<uint32_t>(source));
  SetRectangle(entry, x, y, w, h, sx, sy);
  entry.parameters[6] = c, entry.parameters[7] = sc;
  AdvCompositionRun(context, record, kCompositionChannelCopy, k);
  AdvDebugPrint(kLogTrace, "sp_channel_copy %d, xywhc(%d, %d, %d, %d, %d), %d, xyc(%d, %d, %d)",
                layer, x, y, w, h, c, source, sx, sy, sc);
  return 1;
}

// sp_delete_no_alpha and sp_delete_no_alpha255: layer, x, y, w, h, k; the source word is kept.
int DeleteNoAlpha(AdvContext& context, uint32_t kind, const char* trace) {
  const auto [layer, x, y, w, h, k] = PopArgs<6>(context);
  if (!AdvCheckLayer(layer) || !CheckEntry(k)) return 0;
  if (!HasImage(context, layer)) return 1;
  const std::string command(trace, std::strcspn(trace, " "));
  if (!PlausibleRectangle(command.c_str(), layer, kind, x, y, w, h, x, y)) return 1;
  LayerRecord& record = context.layers.layers[layer];
  CompositionEntry& entry = Record(record, k, kind, record.compositions[k].target);
  auto& p = entry.parameters;
  p[0] = x, p[1] = y, p[4] = w, p[5] = h;
  AdvCompositionRun(context, record, kind, k);
  AdvDebugPrint(kLogTrace, trace, layer, x, y, w, h, k);
  return 1;
}

int CmdSpDeleteNoAlpha(AdvContext& context) {
  return DeleteNoAlpha(context, kCompositionDeleteNoAlpha,
                       "sp_delete_no_alpha %d, xywh(%d, %d, %d, %d), %d");
}

int CmdSpDeleteNoAlpha255(AdvContext& context) {
  return DeleteNoAlpha(context, kCompositionDeleteNoAlpha255,
                       "sp_delete_no_alpha255 %d, xywh(%d, %d, %d, %d), %d");
}

// The filters: p0 = the layer itself, p1 to p3 the filter's values (as many as it takes), the
// rest of p2-p5 zeroed.
enum class FilterOutcome { kRefused, kSkipped, kFailed, kDone };

FilterOutcome FilterCommand(AdvContext& context, uint32_t kind, int32_t layer, int32_t source,
                            std::initializer_list<int32_t> values, int32_t k) {
  if (!AdvCheckLayer(layer) || !AdvCheckLayer(source) || !CheckEntry(k)) {
    return FilterOutcome::kRefused;
  }
  if (!HasImage(context, layer) || !HasImage(context, source)) return FilterOutcome::kSkipped;
  LayerRecord& record = context.layers.layers[layer];
  CompositionEntry& entry = Record(record, k, kind, static_cast<uint32_t>(source));
  auto& p = entry.parameters;
  p[0] = layer;
  for (size_t i = 1; i <= 5; ++i) p[i] = 0;
  size_t i = 1;
  for (int32_t value : values) p[i++] = value;
  return AdvCompositionRun(context, record, kind, k) ? FilterOutcome::kDone
                                                     : FilterOutcome::kFailed;
}

// The command's result: 0 when refused, else 1, the failure of the filter only traced.
int FilterResult(FilterOutcome outcome) {
  return outcome == FilterOutcome::kRefused ? 0 : 1;
}

bool Traced(FilterOutcome outcome) {
  return outcome == FilterOutcome::kDone || outcome == FilterOutcome::kFailed;
}

int CmdSpBoxblur(AdvContext& context) {
  const auto [layer, source, a, b, c, k] = PopArgs<6>(context);
  const FilterOutcome outcome =
      FilterCommand(context, kCompositionBoxBlur, layer, source, {a, b, c}, k);
  if (Traced(outcome)) {
    AdvDebugPrint(kLogTrace,
                  outcome == FilterOutcome::kDone ? "sp_boxblur  %d, %d, %d, %d, %d"
                                                  : "sp_boxblur  err %d, %d, %d, %d, %d",
                  layer, source, a, b, c);
  }
  return FilterResult(outcome);
}

int CmdSpGaussblur(AdvContext& context) {
  const auto [layer, source, strength, k] = PopArgs<4>(context);
  const FilterOutcome outcome =
      FilterCommand(context, kCompositionGaussBlur, layer, source, {strength}, k);
  if (Traced(outcome)) {
    AdvDebugPrint(
        kLogTrace,
        outcome == FilterOutcome::kDone ? "sp_boxblur  %d, %d, %d" : "sp_boxblur  err %d, %d, %d",
        layer, source, strength);
  }
  return FilterResult(outcome);
}

int CmdSpAlphaCopy(AdvContext& context) {
  const auto [layer, source, value, k] = PopArgs<4>(context);
  const FilterOutcome outcome =
      FilterCommand(context, kCompositionAlphaCopy, layer, source, {value}, k);
  if (Traced(outcome)) {
    AdvDebugPrint(kLogTrace,
                  outcome == FilterOutcome::kDone ? "sp_alpha_copy  %d, %d, %d"
                                                  : "sp_alpha_copy  err %d, %d, %d",
                  layer, source, value);
  }
  return FilterResult(outcome);
}

int CmdSpMotionblur(AdvContext& context) {
  const auto [layer, source, length, angle, steps, k] = PopArgs<6>(context);
  const FilterOutcome outcome =
      FilterCommand(context, kCompositionMotionBlur, layer, source, {length, angle, steps}, k);
  if (Traced(outcome)) {
    AdvDebugPrint(kLogTrace,
                  outcome == FilterOutcome::kDone ? "sp_motionblur  %d, %d, %d, %d, %d"
                                                  : "sp_motionblur  err %d, %d, %d, %d, %d",
                  layer, source, length, angle, steps);
  }
  return FilterResult(outcome);
}

// The child's offsets are set so that, once the frame's step has given it the parent's sums as
// its base, its sums come out as the child placed relative to the parent.
void PrepareChild(GraphicSlot& child, const GraphicSlot& parent, int32_t x, int32_t y) {
  for (int i = 0; i < 2; ++i) {
    child.offset_scale[i] = child.scale[i] * parent.scale[i] - parent.scale[i];
  }
  for (int i = 0; i < 3; ++i) {
    child.offset_rotation[i] = child.rotation[i] - parent.rotation[i];
    child.offset_float_rotation[i] = child.float_rotation[i] - parent.float_rotation[i];
  }
  for (int channel = 0; channel < 4; ++channel) {
    const int32_t value = static_cast<int32_t>(child.colour >> (24 - 8 * channel) & 0xFF);
    child.offset_colour[channel] = static_cast<int16_t>(value - 255);
  }
  child.offset_position[0] = x, child.offset_position[1] = y;
  child.offset_float_position[0] = static_cast<float>(x);
  child.offset_float_position[1] = static_cast<float>(y);
}

int CmdSpSetChild(AdvContext& context) {
  const auto [parent, child, x, y, k] = PopArgs<5>(context);
  if (!AdvCheckLayer(parent) || (child != kNoChild && !AdvCheckLayer(child)) || !CheckEntry(k)) {
    return 0;
  }
  LayerRecord& record = context.layers.layers[parent];
  if (!record.slot) return 1;
  AdvDebugPrint(kLogTrace, "sp_set_child %d, %d, %d, %d, %d", parent, child, x, y, k);
  if (child == kNoChild) {
    record.compositions[k].kind = 0;
    record.compositions[k].target = kNoSource;
    bool used = false;
    for (const CompositionEntry& entry : record.compositions) used = used || entry.kind != 0;
    if (!used) record.flags &= ~kLayerComposition;
    return 1;
  }
  GraphicSlot* child_slot = context.layers.layers[child].slot;
  if (!child_slot) return 1;
  PrepareChild(*child_slot, *record.slot, x, y);
  record.compositions[k].kind |= kCompositionChildLink;
  record.compositions[k].target = static_cast<uint32_t>(child);
  record.flags |= kLayerComposition;
  return 1;
}

constexpr CommandSlot kSlots[] = {
    {0x1F, CmdSpMixFileToSprite},   {0x26, CmdSpBitblt},        {0x31, CmdSpSetChild},
    {0x37, CmdSpSetMask},           {0x38, CmdSpBitbltFile},    {0x3F, CmdSpBoxblur},
    {0x43, CmdSpChannelCopy},       {0x44, CmdSpDeleteNoAlpha}, {0x46, CmdSpDeleteNoAlpha255},
    {0x47, CmdSpGaussblur},         {0x48, CmdSpAlphaCopy},     {0x5B, CmdSpMotionblur},
    {0x5E, CmdSpMixFileToSpriteEx},
};

// 0x12002E: destination layer, source layer, mode. The source scaled onto the destination's
// image, recorded in the destination's entry 0. Both layers must be 0-127.
int CmdLayerStretch(AdvContext& context) {
  const auto [destination, source, mode] = PopArgs<3>(context);
  if (!AdvCheckLayer(destination) || !AdvCheckLayer(source)) return 0;
  if (!HasImage(context, destination) || !HasImage(context, source)) return 1;
  LayerRecord& record = context.layers.layers[destination];
  CompositionEntry& entry = Record(record, 0, kCompositionStretch, static_cast<uint32_t>(source));
  auto& p = entry.parameters;
  p[0] = destination, p[1] = mode;
  p[2] = p[3] = p[4] = p[5] = 0;
  if (!AdvFastForwarding(context)) AdvLayerStretch(context, record, 0);
  return 1;
}

constexpr CommandSlot kStretchSlots[] = {{0x2E, CmdLayerStretch}};

}  // namespace

const CommandSlotList kLayerCompositionCommandSlots = {kSlots, std::size(kSlots)};
const CommandSlotList kLayerStretchCommandSlots = {kStretchSlots, std::size(kStretchSlots)};

}  // namespace adv
