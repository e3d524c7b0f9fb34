// Layer appearance commands (group 3): position, rotation, scale, colour, alpha, source
// rectangle, centre, blend mode, texture filter, aspect position type, the layer shake and the
// option words of a sprite's settings. Most write the base of the slot, which the frame end hands
// to the sprite; a few call the sprite directly.
#include <iterator>

#include "program/commands/layer_targets.h"
#include "program/commands/sprite_commands.h"
#include "program/game/adv_context.h"
#include "program/script/command_args.h"
#include "program/script/skip_state.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr int32_t kFilterCount = 14;
constexpr int32_t kFilterOptions[kFilterCount] = {
    0, 1, 2, 3, 4, 0x105, 0x205, 0x305, 0x405, 0x505, 0x605, 0x705, 0x805, -1,
};
constexpr int32_t kHexImageNumbers = 4096;  // sp_set_alpha traces larger numbers in hex
constexpr int32_t kAspectTypeCount = 5;
constexpr uint32_t kShakeForever = 0xFFFFFFFF;

GraphicSlot* LayerSlot(AdvContext& context, int32_t layer) {
  return context.layers.layers[layer].slot;
}

int CmdSpSetAlpha(AdvContext& context) {
  const auto [image, alpha] = PopArgs<2>(context);
  if (GraphicSlot* slot = FindImage(image).slot) {
    slot->colour = (slot->colour & 0x00FFFFFF) | static_cast<uint32_t>(alpha) << 24;
    slot->offset_colour[0] = 0;
  }
  AdvDebugPrint(kLogTrace,
                image >= kHexImageNumbers ? "sp_set_alpha  0x%x, %d" : "sp_set_alpha  %d, %d",
                image, alpha);
  return 1;
}

int CmdSpSetCenter(AdvContext& context) {
  const auto [layer, cx, cy] = PopArgs<3>(context);
  if (!CheckLayerOrAny(layer)) return 0;
  if (GraphicSlot* slot = FindImage(layer).slot)
    yel::YelSpriteSetCenterOffset(slot->sprite, cx, cy);
  AdvDebugPrint(kLogTrace, "sp_set_center  %d, %d, %d", layer, cx, cy);
  return 1;
}

void ApplyFilter(AdvContext& context, LayerRecord& record, int32_t filter) {
  if (!record.slot) return;
  const int32_t option = kFilterOptions[filter];
  AdvLayerSetOption(context, record.slot->sprite, option);
  // Filter 0 puts the original pixels back: every filter bit goes, the layer's other flags stay.
  if (option != 0) {
    record.flags |= 1u << filter;
  } else {
    record.flags &= ~kLayerFilterBits;
  }
}

int CmdSetFilter(AdvContext& context) {
  auto [layer, filter] = PopArgs<2>(context);
  if (!CheckLayerOrAny(layer)) return 0;
  if (filter < 0 || filter >= kFilterCount) filter = 0;
  if (layer == kAnyLayer) {
    for (LayerRecord& record : context.layers.layers) ApplyFilter(context, record, filter);
  } else {
    ApplyFilter(context, context.layers.layers[layer], filter);
  }
  AdvDebugPrint(kLogTrace, "set_filter  %d, %d", layer, filter);
  return 1;
}

int CmdSpSetRectPos(AdvContext& context) {
  const auto [layer, x, y] = PopArgs<3>(context);
  if (!AdvCheckLayer(layer)) return 0;
  if (GraphicSlot* slot = LayerSlot(context, layer)) {
    slot->rect_enabled = 1;
    yel::YelSpriteRectSetPos(slot->sprite, x, y);
    YelRect rect{};
    yel::YelSpriteGetRect(slot->sprite, &rect);
    slot->rect = {rect.left, rect.top, rect.right, rect.bottom};
  }
  AdvDebugPrint(kLogTrace, "sp_set_rect_pos %d, %d, %d", layer, x, y);
  return 1;
}

int CmdSpSetRenderMode(AdvContext& context) {
  const auto [layer, mode] = PopArgs<2>(context);
  if (!AdvCheckLayer(layer)) return 0;
  if (GraphicSlot* slot = LayerSlot(context, layer)) {
    yel::YelSpriteSetRenderMode(slot->sprite, mode + 1);
  }
  return 1;
}

void SetScale(GraphicSlot& slot, int32_t x_percent, int32_t y_percent) {
  slot.offset_scale = {0, 0};
  slot.scale = {static_cast<float>(x_percent) / 100.0f, static_cast<float>(y_percent) / 100.0f};
}

int CmdSpSetScale(AdvContext& context) {
  const auto [image, percent] = PopArgs<2>(context);
  if (GraphicSlot* slot = FindImage(image).slot) SetScale(*slot, percent, percent);
  AdvDebugPrint(kLogTrace, "sp_set_scale  %d, %d", image, percent);
  return 1;
}

int CmdSpSetScaleXy(AdvContext& context) {
  const auto [layer, sx, sy] = PopArgs<3>(context);
  if (!CheckLayerOrAny(layer)) return 0;
  if (GraphicSlot* slot = FindImage(layer).slot) SetScale(*slot, sx, sy);
  AdvDebugPrint(kLogTrace, "sp_set_scale_xy  %d, %d", layer, sx);
  return 1;
}

int CmdSpSetRotate(AdvContext& context) {
  const auto [image, rx, ry, rz] = PopArgs<4>(context);
  if (GraphicSlot* slot = FindImage(image).slot) {
    slot->rotation = {rx, ry, rz};
    slot->float_rotation = {static_cast<float>(rx), static_cast<float>(ry), static_cast<float>(rz)};
    slot->offset_rotation = {};
    slot->offset_float_rotation = {};
  }
  AdvDebugPrint(kLogTrace, "sp_set_rotate  %d, %d, %d, %d", image, rx, ry, rz);
  return 1;
}

int CmdSpSetRect(AdvContext& context) {
  const auto [layer, left, top, right, bottom] = PopArgs<5>(context);
  if (!AdvCheckLayer(layer)) return 0;
  if (GraphicSlot* slot = LayerSlot(context, layer)) {
    slot->rect_enabled = 1;
    slot->rect = {left, top, right, bottom};
  }
  AdvDebugPrint(kLogTrace, "sp_set_rect  %d, %d, %d, %d, %d", layer, left, top, right, bottom);
  return 1;
}

int CmdSpSetPosMove(AdvContext& context) {
  const auto [image, dx, dy, dz] = PopArgs<4>(context);
  if (GraphicSlot* slot = FindImage(image).slot) {
    const int32_t delta[] = {dx, dy, dz};
    for (int axis = 0; axis < 3; ++axis) {
      slot->position[axis] += delta[axis];
      slot->float_position[axis] += static_cast<float>(delta[axis]);
    }
  }
  AdvDebugPrint(kLogTrace, "sp_set_pos_move  %d, %d, %d, %d", image, dx, dy, dz);
  return 1;
}

int CmdSpSetColor(AdvContext& context) {
  const auto [image, rgb] = PopArgs<2>(context);
  if (GraphicSlot* slot = FindImage(image).slot) {
    slot->colour = (slot->colour & 0xFF000000) | static_cast<uint32_t>(rgb);
    slot->offset_colour[0] = 0;
  }
  AdvDebugPrint(kLogTrace, "sp_set_color  %d, 0x%08X", image, rgb);
  return 1;
}

void StopShake(LayerRecord& record) {
  record.shake_mode = 0, record.shake_amplitude = 0, record.shake_duration = 0;
  record.shake_start = 0;
  record.flags &= ~kLayerShake;
  record.slot->frame.shake_x = 0, record.slot->frame.shake_y = 0;
}

int CmdSpSetShake(AdvContext& context) {
  const auto [layer, direction, amplitude, duration] = PopArgs<4>(context);
  if (!AdvCheckLayer(layer)) return 0;
  AdvDebugPrint(kLogTrace, "sp_set_shake %d, %d, %d, %d", layer, direction, amplitude, duration);
  LayerRecord& record = context.layers.layers[layer];
  if (!record.slot) return 1;
  const uint32_t length = static_cast<uint32_t>(duration);
  if (length == 0) {
    StopShake(record);
    return 1;
  }
  // A timed shake is an effect that skipping and the effect switch leave out; an endless one is
  // part of the scene.
  if (length != kShakeForever && (AdvSkipState(context) != 0 || !yel::YelEffectEnableIs())) {
    return 1;
  }
  record.shake_mode = static_cast<uint32_t>(direction);
  record.flags |= kLayerShake;
  record.shake_amplitude = amplitude != 0 ? amplitude : 1;
  record.shake_duration = length;
  record.shake_start = yel::YeltimeGetTime();
  return 1;
}

int CmdSetAspectPositionType(AdvContext& context) {
  const auto [image, type] = PopArgs<2>(context);
  if (type < 0 || type >= kAspectTypeCount) {
    AdvDebugPrint(kLogError, "graph error : 範囲外の値を指定しています。no = %d", type);
    return 0;
  }
  const int32_t index = AdvImageNoToSlot(static_cast<uint32_t>(image));
  if (index < 0) return 1;
  if (GraphicSlot* slot = AdvImageNoSlot(static_cast<uint32_t>(image))) {
    slot->aspect_type = static_cast<uint32_t>(type);
  }
  AdvDebugPrint(kLogTrace, "set_aspect_position_type %d, %d", index, type);
  return 1;
}

int CmdSpSetOffsetPos(AdvContext& context) {
  const auto [image, x, y] = PopArgs<3>(context);
  const ImageTarget target = FindImage(image);
  if (!target.converted) return 0;
  if (GraphicSlot* slot = target.slot) {
    slot->offset_position[0] = x, slot->offset_position[1] = y;
    slot->offset_float_position[0] = static_cast<float>(x);
    slot->offset_float_position[1] = static_cast<float>(y);
  }
  return 1;
}

// The option words of the sprite's settings: read, changed by `change`, written back.
template <typename Change>
int SetInfoOption(int32_t image, Change change) {
  if (!CheckLayerOrAny(image)) return 0;
  const ImageTarget target = FindImage(image);
  if (!target.converted) return 0;
  YelSpriteInfo info{};
  if (target.slot && yel::YelSpriteGetInfo(target.slot->sprite, &info)) {
    change(info);
    yel::YelSpriteSetInfo(target.slot->sprite, &info);
  }
  return 1;
}

int CmdSpSetInfoOption(AdvContext& context) {
  const auto [image, value] = PopArgs<2>(context);
  return SetInfoOption(image, [value = value](YelSpriteInfo& info) { info.address_mode = value; });
}

int CmdSpSetInfoOptionFloat(AdvContext& context) {
  const auto [image, a, b] = PopArgs<3>(context);
  return SetInfoOption(image, [a = a, b = b](YelSpriteInfo& info) {
    info.skew_x = static_cast<float>(a);
    info.skew_y = static_cast<float>(b);
  });
}

int CmdSpSetInfoOption4(AdvContext& context) {
  const auto [image, value] = PopArgs<2>(context);
  return SetInfoOption(image, [value = value](YelSpriteInfo& info) { info.perspective = value; });
}

constexpr CommandSlot kSlots[] = {
    {0x06, CmdSpSetAlpha},     {0x09, CmdSpSetCenter},      {0x0C, CmdSetFilter},
    {0x0F, CmdSpSetRectPos},   {0x10, CmdSpSetRenderMode},  {0x11, CmdSpSetScale},
    {0x12, CmdSpSetRotate},    {0x18, CmdSpSetRect},        {0x19, CmdSpSetPosMove},
    {0x25, CmdSpSetColor},     {0x27, CmdSpSetShake},       {0x35, CmdSetAspectPositionType},
    {0x3E, CmdSpSetOffsetPos}, {0x4A, CmdSpSetInfoOption},  {0x55, CmdSpSetInfoOptionFloat},
    {0x57, CmdSpSetScaleXy},   {0x5A, CmdSpSetInfoOption4},
};

}  // namespace

const CommandSlotList kLayerAppearanceCommandSlots = {kSlots, std::size(kSlots)};

}  // namespace adv
