// Layer image commands (group 3): put an image on a layer, place it, show, hide, lock and clear
// layers, load in the background, and the draw-priority base of all layer sprites.
#include <algorithm>
#include <cstdint>
#include <iterator>

#include "program/commands/sprite_commands.h"
#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_images.h"
#include "program/layers/layer_loads.h"
#include "program/layers/layer_table.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"
#include "program/script/value_stores.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr uint32_t kCodeSpSet = 0x30002;
constexpr uint32_t kCodeSpSetEx = 0x30003;
constexpr uint32_t kCodeViewShow = 0x3002E;
constexpr uint32_t kCodeViewHide = 0x3002F;
constexpr uint32_t kCodeDraw = 0x3002B;
constexpr int32_t kAllLayers = -1;
constexpr int32_t kFrontLimit = 5000;

void QueueView(AdvContext& context, uint32_t code, YelSprite* sprite, int32_t show) {
  DisplayOp op;
  op.code = code;
  op.sprite = sprite;
  op.words[1] = show;
  DisplayQueueAppend(context, op);
}

void QueueLayer(AdvContext& context, uint32_t code, int32_t layer) {
  DisplayOp op;
  op.code = code;
  op.words[0] = layer;
  DisplayQueueAppend(context, op);
}

int CmdSpSet(AdvContext& context) {
  const auto [file, layer, p, v] = PopArgs<4>(context);
  if (!AdvCheckLayer(layer)) return 0;
  char loaded[33] = {};
  const int result = AdvLayerSetImage(context, kCodeSpSet, static_cast<uint32_t>(file), layer,
                                      LayerPlacement{true, p, v}, loaded);
  if (result && loaded[0]) AdvDebugPrint(kLogTrace, "sp_set  %s, %d, %d", loaded, layer, p);
  return result;
}

int CmdSpSetEx(AdvContext& context) {
  const auto [file, layer, x, y, z] = PopArgs<5>(context);
  if (!AdvCheckLayer(layer)) return 0;
  char loaded[33] = {};
  LayerPlacement place;
  place.grid = false;
  place.x = x, place.y = y, place.z = z;
  const int result =
      AdvLayerSetImage(context, kCodeSpSetEx, static_cast<uint32_t>(file), layer, place, loaded);
  if (result && loaded[0]) {
    AdvDebugPrint(kLogTrace, "sp_set_ex  %s, %d, %d, %d, %d", loaded, layer, x, y, z);
  }
  return result;
}

int CmdSpSetPos(AdvContext& context) {
  const auto [layer, p] = PopArgs<2>(context);
  LayerRecord* record = AdvLayerRecord(context, layer);
  if (!record) return 0;
  if (GraphicSlot* slot = record->slot) {
    YelSpriteInfo info{};
    yel::YelSpriteGetInfo(slot->sprite, &info);
    const int32_t x = AdvGridX(p, info.image_width, AdvWindowWidth, GrposEnabled != 0);
    const int32_t y = AdvGridY(2, info.image_height, AdvWindowHeight);
    slot->position[0] = x, slot->position[1] = y;
    slot->float_position[0] = static_cast<float>(x),
    slot->float_position[1] = static_cast<float>(y);
  }
  AdvDebugPrint(kLogTrace, "sp_set_pos %d, %d", layer, p);
  return 1;
}

int CmdSpCls(AdvContext& context) {
  const int32_t layer = PopArg(context);
  if (layer == kAllLayers) {
    for (LayerRecord& record : context.layers.layers) {
      if (record.slot) AdvLayerRelease(context, record);
    }
  } else {
    LayerRecord* record = AdvLayerRecord(context, layer);
    if (!record) return 0;
    AdvLayerRelease(context, *record);
  }
  AdvDebugPrint(kLogTrace, "sp_cls  %d", layer);
  return 1;
}

int CmdSetPriority(AdvContext& context) {
  const int32_t steps = PopArg(context);
  AdvDebugPrint(kLogTrace, "set_priority %d", steps);
  int32_t& base = context.skip.priority_base;
  const int64_t moved = int64_t{base} + int64_t{kPriorityStep} * steps;
  if (int64_t{kFrontLimit} - base + int64_t{kPriorityStep} * steps < 0 || moved > INT32_MAX ||
      moved < INT32_MIN) {
    AdvDebugPrint(kLogError, "set_priorityで一番手前に設定されています");
    return 0;
  }
  base = static_cast<int32_t>(moved);
  return 1;
}

int CmdSpClsEx(AdvContext& context) {
  const auto [first, count] = PopArgs<2>(context);
  if (!AdvCheckLayer(first)) return 0;
  const int64_t end = std::min<int64_t>(int64_t{first} + count, kLayerCount);
  for (int64_t layer = first; layer < end; ++layer) {
    AdvLayerRelease(context, context.layers.layers[layer]);
  }
  AdvDebugPrint(kLogTrace, "sp_cls_ex  %d, %d", first, count);
  return 1;
}

int CmdSpSetPosEx(AdvContext& context) {
  const auto [layer, x, y, z] = PopArgs<4>(context);
  LayerRecord* record = AdvLayerRecord(context, layer);
  if (!record) return 0;
  if (GraphicSlot* slot = record->slot) {
    slot->position = {x, y, z};
    slot->float_position = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
  }
  AdvDebugPrint(kLogTrace, "sp_set_pos_ex %d, %d, %d, %d", layer, x, y, z);
  return 1;
}

int CmdSpCreate(AdvContext& context) {
  const auto [layer, file, x, y, w, h] = PopArgs<6>(context);
  if (!AdvCheckLayer(layer)) return 0;
  char loaded[33] = {};
  const int result =
      AdvLayerCreateImage(context, layer, static_cast<uint32_t>(file), x, y, w, h, loaded);
  if (result && loaded[0]) {
    AdvDebugPrint(kLogTrace, "sp_create %d, %s, %d, %d, %d, %d", layer, loaded, x, y, w, h);
  }
  return result;
}

int CmdSpSetValue(AdvContext& context) {
  const auto [layer, value] = PopArgs<2>(context);
  LayerRecord* record = AdvLayerRecord(context, layer);
  if (!record) return 0;
  record->script_value = value;
  return 1;
}

int CmdSpGetValue(AdvContext& context) {
  const int32_t layer = PopArg(context);
  LayerRecord* record = AdvLayerRecord(context, layer);
  if (!record) return 0;
  SetCommandResult(context, record->script_value);
  return 1;
}

int CmdSpLoad(AdvContext& context) {
  const auto [file, layer, immediate] = PopArgs<3>(context);
  if (!AdvCheckLayer(layer)) return 0;
  if (static_cast<uint32_t>(file) == kNoReference) return 1;
  LayerLoadJob* job = AdvLayerLoadPrepare(context, static_cast<uint32_t>(file), layer, immediate);
  if (!job) return 0;
  // The load runs at once when asked, when the script itself runs on the work thread (a job
  // posted there would wait behind the script, and sp_load_wait for it in vain), and when there
  // is no work thread (it has not started, or has ended).
  if (immediate || yel::YelIsWorkThreadId() ||
      !yel::YelAttachWorkProcess(AdvLayerLoadRun, reinterpret_cast<uintptr_t>(job))) {
    AdvLayerLoadRunHere(job);
  }
  return 1;
}

int CmdSpLoadWait(AdvContext& context) {
  const int32_t layer = PopArg(context);
  LayerRecord* record = AdvLayerRecord(context, layer);
  if (!record) return 0;
  const uint32_t waited = record->slot ? LayerLoadWait(layer, kLayerRangeWait) : 0;
  AdvDebugPrint(kLogTrace, "sp_load_wait  %d : time %d", layer, waited);
  return 1;
}

int CmdSpDraw(AdvContext& context) {
  const int32_t layer = PopArg(context);
  LayerRecord* record = AdvLayerRecord(context, layer);
  if (!record) return 0;
  if (record->slot && record->slot->sprite) {
    AdvDebugPrint(kLogTrace, "sp_draw  %d", layer);
    QueueLayer(context, kCodeDraw, layer);
  } else {
    AdvDebugPrint(kLogTrace, "sp_draw skip");
  }
  return 1;
}

int SetLock(AdvContext& context, bool lock) {
  const int32_t layer = PopArg(context);
  LayerRecord* record = AdvLayerRecord(context, layer);
  if (!record) return 0;
  if (!record->slot) return 1;
  if (lock) {
    record->flags |= kLayerLocked;
  } else {
    record->flags &= ~kLayerLocked;
  }
  AdvDebugPrint(kLogTrace, lock ? "sp_lock %d" : "sp_unlock %d", layer);
  return 1;
}

int CmdSpLock(AdvContext& context) {
  return SetLock(context, true);
}
int CmdSpUnlock(AdvContext& context) {
  return SetLock(context, false);
}

int SetView(AdvContext& context, uint32_t code, int32_t show, const char* trace) {
  const int32_t layer = PopArg(context);
  LayerRecord* record = AdvLayerRecord(context, layer);
  if (!record) return 0;
  if (!record->slot) return 1;
  QueueView(context, code, record->slot->sprite, show);
  AdvDebugPrint(kLogTrace, trace, layer);
  return 1;
}

int CmdSpShow(AdvContext& context) {
  return SetView(context, kCodeViewShow, 1, "sp_show %d");
}
int CmdSpHide(AdvContext& context) {
  return SetView(context, kCodeViewHide, 0, "sp_hide %d");
}

int CmdGetPriority(AdvContext& context) {
  SetCommandResult(context, context.skip.priority_base);
  return 1;
}

constexpr CommandSlot kSlots[] = {
    {0x02, CmdSpSet},       {0x03, CmdSpSetEx},     {0x04, CmdSpSetPos},   {0x05, CmdSpCls},
    {0x07, CmdSetPriority}, {0x0B, CmdSpClsEx},     {0x0E, CmdSpSetPosEx}, {0x20, CmdSpCreate},
    {0x22, CmdSpSetValue},  {0x23, CmdSpGetValue},  {0x29, CmdSpLoad},     {0x2A, CmdSpLoadWait},
    {0x2B, CmdSpDraw},      {0x2C, CmdSpLock},      {0x2D, CmdSpUnlock},   {0x2E, CmdSpShow},
    {0x2F, CmdSpHide},      {0x3D, CmdGetPriority},
};

}  // namespace

const CommandSlotList kLayerImageCommandSlots = {kSlots, std::size(kSlots)};

}  // namespace adv
