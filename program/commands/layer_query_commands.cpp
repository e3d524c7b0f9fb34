// Layer query commands (group 3): what a layer or graphic slot holds, read back by the script.
// One value is the command's result; several go into TempMemory cells at indexes the script
// passes. A slot without image reads as 0.
#include <cmath>
#include <cstring>
#include <iterator>
#include <string_view>

#include "program/commands/layer_targets.h"
#include "program/commands/sprite_commands.h"
#include "program/game/adv_context.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr int32_t kNotImage = -1;
constexpr int32_t kFirstImageNumber = 128;  // is_sp: numbers below name layers
constexpr size_t kSlotNameSize = 32;

// The slot an image number names, read as it stands (a slot that holds no image is all zero);
// null when the number names none.
const GraphicSlot* QuerySlot(int32_t image) {
  return AdvGraphicSlotFromIndex(AdvImageNoToSlot(static_cast<uint32_t>(image)));
}

int NotImage(AdvContext& context, const char* format, int32_t image) {
  if (format) AdvDebugPrint(kLogError, format, image);
  SetCommandResult(context, kNotImage);
  return 1;
}

void WriteCell(AdvContext& context, int32_t cell, int32_t value) {
  if (cell != -1) context.values.temp_memory[cell] = value;
}

int CmdGetFilename(AdvContext& context) {
  const auto [image, variable] = PopArgs<2>(context);
  const int32_t number =
      static_cast<int32_t>(static_cast<uint32_t>(variable) & ~kStringVariableBit);
  if (number < 0 || number >= kStringVariableCount) {
    AdvDebugPrint(kLogError, "graph error : 範囲外の値を指定しています。no = %d", number);
    return 0;
  }
  const GraphicSlot* slot = QuerySlot(image);
  if (!slot) return NotImage(context, "not image : get_filename %d", image);
  const uint32_t reference = static_cast<uint32_t>(number) | kStringVariableBit;
  if (slot->image_word & kStringVariableBit) {
    AdvSetVarString(context, reference,
                    std::string_view(slot->name.data(), strnlen(slot->name.data(), kSlotNameSize)));
  } else if (slot->image_word != 0) {
    uint8_t name[kSlotNameSize + 1] = {};
    AdvGetFileName(context, name, slot->image_word, false);
    AdvSetVarString(context, reference, reinterpret_cast<const char*>(name));
  }
  SetCommandResult(context, static_cast<int32_t>(slot->image_word));
  return 1;
}

int CmdSpGetColor(AdvContext& context) {
  const int32_t image = PopArg(context);
  const GraphicSlot* slot = QuerySlot(image);
  if (!slot) return NotImage(context, "not image : sp_get_color %d", image);
  AdvDebugPrint(kLogTrace, "[0x%08X]sp_get_color %d", slot->colour, image);
  SetCommandResult(context, static_cast<int32_t>(slot->colour & 0xFFFFFF));
  return 1;
}

int CmdSpGetAlpha(AdvContext& context) {
  const int32_t image = PopArg(context);
  const GraphicSlot* slot = QuerySlot(image);
  if (!slot) return NotImage(context, "not image : sp_get_alpha %d", image);
  const int32_t alpha = static_cast<int32_t>(slot->colour >> 24);
  AdvDebugPrint(kLogTrace, "sp_get_alpha %d, %d", image, alpha);
  SetCommandResult(context, alpha);
  return 1;
}

int CmdSpGetRotate(AdvContext& context) {
  const auto [image, axis] = PopArgs<2>(context);
  const GraphicSlot* slot = QuerySlot(image);
  if (!slot) return NotImage(context, "not image : sp_get_rotate %d", image);
  static constexpr const char* kTraces[] = {"sp_get_rotate [x] %d, %d", "sp_get_rotate [y] %d, %d",
                                            "sp_get_rotate [z] %d, %d"};
  if (axis < 0 || axis > 2) {
    SetCommandResult(context, image);
    return 1;
  }
  const int32_t value = slot->rotation[axis] + slot->offset_rotation[axis];
  AdvDebugPrint(kLogTrace, kTraces[axis], image, value);
  SetCommandResult(context, value);
  return 1;
}

int CmdSpGetPos(AdvContext& context) {
  const auto [image, cell_x, cell_y, cell_z] = PopArgs<4>(context);
  const int32_t cells[] = {cell_x, cell_y, cell_z};
  for (int32_t cell : cells) {
    if (!CheckCells(cell, 1)) return 0;
  }
  const GraphicSlot* slot = QuerySlot(image);
  if (!slot) return 1;
  const SlotSums sums = AdvGraphicSlotSums(*slot);
  for (int axis = 0; axis < 3; ++axis) WriteCell(context, cells[axis], sums.position[axis]);
  return 1;
}

int SpriteSize(AdvContext& context, bool width) {
  const int32_t image = PopArg(context);
  const GraphicSlot* slot = QuerySlot(image);
  if (!slot) return NotImage(context, nullptr, image);
  int32_t size = 0;
  if (slot->sprite) {
    size = width ? yel::YelSpriteGetWidth(slot->sprite) : yel::YelSpriteGetHeight(slot->sprite);
  }
  SetCommandResult(context, size);
  return 1;
}

int CmdSpGetWidth(AdvContext& context) {
  return SpriteSize(context, true);
}
int CmdSpGetHeight(AdvContext& context) {
  return SpriteSize(context, false);
}

// The summed scale in percent: 0.005 rounds a scale just below a whole percent up to it.
int32_t ScalePercent(float scale) {
  return static_cast<int32_t>(std::trunc((static_cast<double>(scale) + 0.005) * 100.0));
}

int GetScale(AdvContext& context, int axis, const char* not_image) {
  const int32_t image = PopArg(context);
  const GraphicSlot* slot = QuerySlot(image);
  if (!slot) return NotImage(context, not_image, image);
  SetCommandResult(context, ScalePercent(AdvGraphicSlotSums(*slot).scale[axis]));
  return 1;
}

int CmdSpGetScale(AdvContext& context) {
  return GetScale(context, 0, "not image : sp_get_scale %d");
}
int CmdSpGetScaleX(AdvContext& context) {
  return GetScale(context, 0, "not image : sp_get_scale_x %d");
}
int CmdSpGetScaleY(AdvContext& context) {
  return GetScale(context, 1, "not image : sp_get_scale_y %d");
}

int CmdIsSp(AdvContext& context) {
  const int32_t n = PopArg(context);
  if (n >= 0 && n < kLayerCount) {
    const int32_t result = context.layers.layers[n].slot ? 1 : 0;
    SetCommandResult(context, result);
    AdvDebugPrint(kLogTrace, "[%d]is_sp %d", result, n);
    return 1;
  }
  if (n == -1) {
    AdvDebugPrint(kLogTrace, "error paramater is_sp %d", n);
    SetCommandResult(context, 0);
    return 0;
  }
  if (n < kFirstImageNumber) {
    AdvCheckLayer(n);
    return 0;
  }
  const GraphicSlot* slot = AdvImageNoSlot(static_cast<uint32_t>(n));
  const int32_t result = slot && slot->sprite ? 1 : 0;
  SetCommandResult(context, result);
  AdvDebugPrint(kLogTrace, "[%d]is_sp %x", result, n);
  return 1;
}

int CmdSpGetShow(AdvContext& context) {
  const int32_t layer = PopArg(context);
  if (!AdvCheckLayer(layer)) return 0;
  const GraphicSlot* slot = context.layers.layers[layer].slot;
  int32_t shown = 0;
  if (slot) {
    YelSpriteInfo info{};
    if (slot->sprite && yel::YelSpriteGetInfo(slot->sprite, &info)) shown = info.visible;
    AdvDebugPrint(kLogTrace, "sp_get_show %d => %d", layer, shown);
  }
  SetCommandResult(context, shown);
  return 1;
}

int CmdSpGetRect(AdvContext& context) {
  const auto [image, cell] = PopArgs<2>(context);
  if (!CheckCells(cell, 4)) return 0;
  const GraphicSlot* slot = QuerySlot(image);
  if (!slot) return 0;
  YelRect rect{};
  if (slot->sprite) yel::YelSpriteGetRect(slot->sprite, &rect);
  if (cell != -1) {
    const int32_t edges[] = {rect.left, rect.top, rect.right, rect.bottom};
    for (int i = 0; i < 4; ++i) context.values.temp_memory[cell + i] = edges[i];
  }
  AdvDebugPrint(kLogTrace, "sp_get_rect  %d, %d => %d, %d, %d, %d", image, cell, rect.left,
                rect.top, rect.right, rect.bottom);
  return 1;
}

constexpr CommandSlot kSlots[] = {
    {0x08, CmdGetFilename}, {0x15, CmdSpGetColor}, {0x1A, CmdSpGetAlpha},  {0x1B, CmdSpGetRotate},
    {0x1C, CmdSpGetPos},    {0x1D, CmdSpGetWidth}, {0x1E, CmdSpGetHeight}, {0x24, CmdSpGetScale},
    {0x30, CmdIsSp},        {0x45, CmdSpGetShow},  {0x49, CmdSpGetRect},   {0x58, CmdSpGetScaleX},
    {0x59, CmdSpGetScaleY},
};

}  // namespace

const CommandSlotList kLayerQueryCommandSlots = {kSlots, std::size(kSlots)};

}  // namespace adv
