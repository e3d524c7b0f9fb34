// Texts on layers: the items a layer keeps of what sp_text drew on it, drawing them again, and
// the text sprites of sp_text and of the save-slot drawing commands.
#include "program/layers/layer_text_items.h"

#include <cstring>

#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_services.h"
#include "program/layers/layer_table.h"
#include "program/script/engine_log.h"
#include "program/script/skip_state.h"
#include "program/script/value_stores.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr uint32_t kShowText = 0x30016;
constexpr uint32_t kOwnColour = 0xFFFFFFFF;
// A text layer's image is a transparent plane named in its slot, which a rebuilt layer loads
// before it draws its items again.
constexpr char kTextLayerImage[] = "#00000000";
constexpr uint32_t kNamedImageWord = 0x10000000;
// The save-slot drawing commands put their texts in front of every layer.
constexpr int32_t kSaveTextPriority = 4866;

// The platform's font settings, read so that they can be put back.
struct FontSettings {
  int32_t type = 0;
  int32_t effect = 0;
  int32_t size = 0;
  uint32_t colours[2] = {0, 0};
};

FontSettings CurrentFont() {
  FontSettings font;
  font.type = yel::YelFontGetType();
  font.effect = yel::YelFontGetEffect();
  font.size = yel::YelFontGetFontSize();
  yel::YelFontGetColor(&font.colours[0], &font.colours[1]);
  return font;
}

void SetFont(const FontSettings& font) {
  yel::YelFontSetType(font.type);
  yel::YelFontSetEffect(font.effect);
  yel::YelFontSetFontSize(font.size);
  yel::YelFontSetColor(font.colours[0], font.colours[1]);
}

int CreateError(const std::string& text) {
  AdvDebugPrint(kLogError, "sp_text create error[%s]", text.c_str());
  return 0;
}

// An empty layer gets a slot with a text sprite of its own at (x, y, z), shown by the next commit.
int NewTextLayer(AdvContext& context, int32_t layer, const LayerTextItem& item, int32_t z) {
  GraphicSlot* slot = AdvGraphicSlotAlloc(kSlotBankLayer, layer);
  if (!slot) return CreateError(item.text);
  YelSprite* sprite = yel::YelSpriteCreateText(yel::YelRenderGetActive(), item.text.c_str(),
                                               AdvLayerPriority(context, layer, 0), kOwnColour);
  if (!sprite) {
    AdvGraphicSlotFreeNow(slot);
    return CreateError(item.text);
  }
  YelSpriteInfo info{};
  yel::YelSpriteGetInfo(sprite, &info);
  slot->sprite = sprite;
  std::memcpy(slot->name.data(), kTextLayerImage, sizeof kTextLayerImage);
  slot->image_word = kNamedImageWord;
  slot->position = {item.x, item.y, z};
  slot->float_position = {static_cast<float>(item.x), static_cast<float>(item.y),
                          static_cast<float>(z)};
  slot->rotation = {static_cast<int32_t>(info.rotation_x), static_cast<int32_t>(info.rotation_y),
                    static_cast<int32_t>(info.angle)};
  slot->float_rotation = {info.rotation_x, info.rotation_y, info.angle};
  slot->scale = {info.scale_x, info.scale_y};
  slot->colour = info.colour;
  LayerRecord& record = context.layers.layers[layer];
  record.slot = slot;
  record.text_items.push_back(item);
  AdvGraphicSlotApply(context, *slot);
  DisplayOp show;
  show.code = kShowText;
  show.words[0] = layer;
  DisplayQueueAppend(context, show);
  return 1;
}

}  // namespace

LayerTextItem AdvLayerTextItem(const std::string& text, int32_t x, int32_t y) {
  const FontSettings font = CurrentFont();
  LayerTextItem item;
  item.font_type = static_cast<uint32_t>(font.type);
  item.font_effect = static_cast<uint32_t>(font.effect) & 0xFFFF;
  item.font_size = static_cast<uint32_t>(font.size) & 0xFFFF;
  item.colours = {font.colours[0], font.colours[1]};
  item.x = x;
  item.y = y;
  item.text = text;
  return item;
}

void AdvLayerClearTags(LayerRecord& record) {
  record.text_items.clear();
}

void AdvLayerTextRender(LayerRecord& record) {
  YelSprite* sprite = record.slot ? record.slot->sprite : nullptr;
  for (const LayerTextItem& item : record.text_items) {
    if (!sprite) {
      AdvDebugPrint(kLogError, "error hSprite or lpImage = nullptr");
      continue;
    }
    const FontSettings saved = CurrentFont();
    FontSettings font;
    font.type = static_cast<int32_t>(item.font_type);
    font.effect = static_cast<int32_t>(item.font_effect);
    font.size = static_cast<int32_t>(item.font_size);
    font.colours[0] = item.colours[0];
    font.colours[1] = item.colours[1];
    SetFont(font);
    yel::YelSpriteCreateTextEx(sprite, item.text.c_str(), item.x, item.y, kOwnColour);
    SetFont(saved);
  }
}

int AdvLayerSpText(AdvContext& context, int32_t target, const std::string& text, int32_t x,
                   int32_t y, int32_t z) {
  const LayerTextItem item = AdvLayerTextItem(text, x, y);
  if (static_cast<uint32_t>(target) >= static_cast<uint32_t>(kLayerCount)) {
    GraphicSlot* slot = AdvImageNoToSlot(static_cast<uint32_t>(target)) >= 0
                            ? AdvImageNoSlot(static_cast<uint32_t>(target))
                            : nullptr;
    if (!slot || !yel::YelSpriteCreateTextEx(slot->sprite, text.c_str(), x, y, kOwnColour)) {
      return CreateError(text);
    }
    return 1;
  }
  LayerRecord& record = context.layers.layers[target];
  if (!record.slot) return NewTextLayer(context, target, item, z);
  // A rebuilt scene draws the items when it makes the layer's pixels; until then only the item
  // is kept.
  if (!(AdvSkipState(context) & SKIP_MASK_FORCED) &&
      !yel::YelSpriteCreateTextEx(record.slot->sprite, text.c_str(), x, y, kOwnColour)) {
    return CreateError(text);
  }
  record.text_items.push_back(item);
  return 1;
}

bool AdvLayerDrawText(AdvContext& context, int32_t layer, const char* text, int32_t x, int32_t y) {
  if (layer < 0 || layer >= kLayerCount || !text) return false;
  LayerRecord& record = context.layers.layers[layer];
  if (record.slot) {
    return yel::YelSpriteCreateTextEx(record.slot->sprite, text, x, y, kOwnColour) != 0;
  }
  GraphicSlot* slot = AdvGraphicSlotAlloc(kSlotBankLayer, layer);
  if (!slot) return false;
  YelSprite* sprite = yel::YelSpriteCreateText(
      yel::YelRenderGetActive(), text, context.skip.priority_base + kSaveTextPriority, kOwnColour);
  if (!sprite) {
    AdvGraphicSlotFreeNow(slot);
    return false;
  }
  AdvLayerPlaceNewSlot(context, record, slot, sprite, x, y);
  return true;
}

}  // namespace adv
