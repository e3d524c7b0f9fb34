// Layer text, face and animation commands (group 3): texts drawn as sprites or into a layer's
// sprite, the faces shown with the message window, and frame animations bound to a layer.
#include <array>
#include <cstring>
#include <iterator>
#include <string>

#include "program/commands/sprite_commands.h"
#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_faces.h"
#include "program/layers/layer_services.h"
#include "program/layers/layer_table.h"
#include "program/layers/layer_text_items.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"
#include "program/script/value_stores.h"
#include "program/startup/yel_import.h"
#include "program/text/text_layout.h"

namespace adv {
namespace {

constexpr uint32_t kStartAnimation = 0xF0000001;
constexpr int32_t kUnusedAnimeValues = 8;  // sp_set_anime_ex pops them and uses none

std::string TextArgument(AdvContext& context, int32_t reference) {
  return AdvGetStringText(context, static_cast<uint32_t>(reference), kLayerTextBuffer);
}

int CmdFaceInit(AdvContext& context) {
  const auto [face, layer, anchor_x, anchor_y, priority] = PopArgs<5>(context);
  return AdvFaceInit(context, face, layer, anchor_x, anchor_y, priority);
}

int CmdFaceSet(AdvContext& context) {
  const auto [file, face, dx, dy] = PopArgs<4>(context);
  return AdvFaceSet(context, static_cast<uint32_t>(file), face, dx, dy);
}

int CmdFaceCls(AdvContext& context) {
  return AdvFaceCls(context, PopArg(context));
}

int CmdSpText(AdvContext& context) {
  const auto [target, reference, x, y, z] = PopArgs<5>(context);
  const std::string text = TextArgument(context, reference);
  AdvDebugPrint(kLogTrace, "sp_text  %d, %s, %d, %d, %d", target, text.c_str(), x, y, z);
  return AdvLayerSpText(context, target, text, x, y, z);
}

// The message window's font size and colours; before text_init gives it any, the platform's
// current ones, so that drawing never leaves the font at size 0.
void WindowFont(const TextWindow& window, int32_t* size, std::array<uint32_t, 2>* colours) {
  if (window.font_size > 0) {
    *size = window.font_size;
    *colours = window.colours;
    return;
  }
  *size = yel::YelFontGetFontSize();
  yel::YelFontGetColor(&(*colours)[0], &(*colours)[1]);
}

int CmdDrawText(AdvContext& context) {
  const auto [layer, reference, start_x, start_y, fifth] = PopArgs<5>(context);
  if (!AdvCheckLayer(layer)) return 0;
  const std::string text = TextArgument(context, reference);
  const GraphicSlot* slot = context.layers.layers[layer].slot;
  if (!slot) return 1;
  YelSprite* sprite = slot->sprite;
  int32_t x = start_x, y = start_y;
  if (sprite) {
    YelRect rect{};
    yel::YelSpriteGetRect(sprite, &rect);
    int32_t size = 0;
    std::array<uint32_t, 2> colours{};
    WindowFont(context.text_window, &size, &colours);
    AdvDrawText(context, sprite, text.c_str(), &x, &y, yel::YelSpriteGetWidth(sprite),
                yel::YelSpriteGetHeight(sprite), size, context.text_window.ruby_size, colours,
                nullptr);
    yel::YelSpriteSetRect(sprite, &rect);
  }
  AdvDebugPrint(kLogTrace, "draw_text  %d, %s, %d, %d, %d", layer, text.c_str(), x, y, fifth);
  return 1;
}

int CmdSpTextGetSize(AdvContext& context) {
  const std::string text = TextArgument(context, PopArg(context));
  int32_t size[2] = {0, 0};
  yel::YelFontGetSize(text.c_str(), size);
  const int32_t w = size[0], h = size[1];
  const int32_t result =
      static_cast<int32_t>(static_cast<uint32_t>(h) << 16 ^ (static_cast<uint32_t>(w) & 0xFFFF));
  AdvDebugPrint(kLogTrace, "sp_text_get_size  %s, (w=%d [%08X], h=%d [%08X]) / ret=&H%08X",
                text.c_str(), w, w, h, h, result);
  SetCommandResult(context, result);
  return 1;
}

// Binds a new frame animation of the ".ani" file to the layer's slot, started now or by the next
// commit. `more` marks the trace of a command with further (unused) arguments.
int SetAnime(AdvContext& context, int32_t layer, uint32_t file, int32_t later, const char* command,
             bool more) {
  uint8_t name[kGraphicDatNameSize + 1] = {};
  AdvGetFileName(context, name, file, true);
  GraphicSlot* slot = context.layers.layers[layer].slot;
  if (!slot) {
    AdvDebugPrint(kLogError, "not image : %s %d", command, layer);
    return 1;
  }
  AdvAnimUnload(slot->animation_id);
  GraphicDatRecord record = slot->record;
  record.flags |= kGraphicAnimation;
  std::memcpy(record.animation.data(), name, kGraphicDatNameSize);
  AdvGraphicApplyAttributes(*slot, record, kGraphicAnimation);
  if (later) {
    DisplayOp start;
    start.code = kStartAnimation;
    start.words[0] = static_cast<int32_t>(slot->animation_id);
    DisplayQueueAppend(context, start);
  } else {
    AdvAnimStart(slot->animation_id);
  }
  AdvDebugPrint(kLogTrace, "%s  %d, %s, %d%s", command, layer, reinterpret_cast<char*>(name), later,
                more ? ", ..." : "");
  return 1;
}

int CmdSpSetAnime(AdvContext& context) {
  const auto [layer, file, later] = PopArgs<3>(context);
  if (!AdvCheckLayer(layer)) return 0;
  return SetAnime(context, layer, static_cast<uint32_t>(file), later, "sp_set_anime", false);
}

int CmdSpSetAnimeEx(AdvContext& context) {
  const auto [layer, file, later] = PopArgs<3>(context);
  PopArgs<kUnusedAnimeValues>(context);
  if (static_cast<uint32_t>(layer) >= static_cast<uint32_t>(kLayerCount)) {
    AdvDebugPrint(kLogError, "illegal layer : sp_set_anime_ex %d", layer);
    return 0;
  }
  return SetAnime(context, layer, static_cast<uint32_t>(file), later, "sp_set_anime_ex", true);
}

int CmdSpAnimeClear(AdvContext& context) {
  const int32_t layer = PopArg(context);
  if (!AdvCheckLayer(layer)) return 0;
  if (const GraphicSlot* slot = context.layers.layers[layer].slot) {
    AdvAnimUnload(slot->animation_id);
  }
  AdvDebugPrint(kLogTrace, "sp_anime_clear %d", layer);
  return 1;
}

constexpr CommandSlot kSlots[] = {
    {0x13, CmdFaceInit}, {0x14, CmdFaceSet},       {0x16, CmdSpText},
    {0x17, CmdFaceCls},  {0x21, CmdSpAnimeClear},  {0x39, CmdSpSetAnime},
    {0x3A, CmdDrawText}, {0x42, CmdSpTextGetSize}, {0x5C, CmdSpSetAnimeEx},
};

}  // namespace

const CommandSlotList kLayerTextCommandSlots = {kSlots, std::size(kSlots)};

}  // namespace adv
