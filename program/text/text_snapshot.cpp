// The message window's snapshot block: written field by field, read and checked whole into a
// SavedTextWindow before anything changes, and applied on a reset scene.
#include "program/text/text_snapshot.h"

#include <cstring>
#include <string>
#include <string_view>

#include "program/data/byte_io.h"
#include "program/data/sprite_info_record.h"
#include "program/game/adv_context.h"
#include "program/layers/frame_animation.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_services.h"
#include "program/layers/sprite_loader.h"
#include "program/savedata/snapshot_image.h"
#include "program/script/engine_log.h"
#include "program/script/script_names.h"
#include "program/startup/yel_import.h"
#include "program/text/text_layout.h"
#include "program/text/text_services.h"
#include "program/text/text_window.h"

namespace adv {
namespace {

constexpr int32_t kNameSpriteWidth = 1024;
constexpr int32_t kNameSpriteHeight = 64;
constexpr uint32_t kRestoredAttributes = 0x6000;
constexpr uint16_t kGroupPadding = 0xFFFF;  // text_init stores the group as a 32-bit -1

void WriteSlotState(const GraphicSlot* slot, SnapshotWriter& out) {
  if (!slot) {
    const std::array<uint8_t, kSlotStateSize> zeros{};
    out.Bytes(zeros.data(), kSlotStateSize);
    return;
  }
  const std::string state = SlotState(*slot);
  out.Bytes(state.data(), static_cast<uint32_t>(state.size()));
}

void WriteImage(const GraphicSlot* slot, YelTask* animation, bool icon, SnapshotWriter& out) {
  // A slot with image word 0 (file 0 of "File.dat") cannot be told from no slot in this block.
  const uint32_t word = slot && slot->sprite ? slot->image_word : 0;
  out.U32(word);
  if (word == 0) return;
  YelSpriteInfo info{};
  yel::YelSpriteGetInfo(slot->sprite, &info);
  ByteWriter info_bytes;
  WriteSpriteInfo(info_bytes, info);
  out.Bytes(info_bytes.bytes().data(), static_cast<uint32_t>(info_bytes.bytes().size()));
  WriteSlotState(slot, out);
  if (icon) out.U32(animation ? static_cast<uint32_t>(yel::YelAnimationGetTime(animation)) : 0);
}

bool ReadImage(SnapshotReader& in, SavedTextImage& image, bool icon) {
  image.image_word = in.U32();
  if (image.image_word == 0) return in.ok();
  char info_bytes[kSpriteInfoSize];
  if (!in.Bytes(info_bytes, sizeof info_bytes)) return false;
  ByteReader info_in(std::string_view(info_bytes, sizeof info_bytes));
  ReadSpriteInfo(info_in, image.info);
  image.info.file_name[sizeof image.info.file_name - 1] = 0;
  in.Bytes(image.state.data(), image.state.size());
  if (icon) image.animation_time = in.U32();
  return in.ok();
}

template <size_t N>
bool Terminated(SnapshotReader& in, const std::array<char, N>& text, const char* what) {
  return in.Check(std::memchr(text.data(), 0, N) != nullptr, what);
}

YelInitParam GameSize() {
  YelInitParam system{};
  yel::YelGetSystemParameters(&system);
  return system;
}

// The base image or an icon of a restored window, hidden, in its saved sprite state; null when
// its image does not load.
GraphicSlot* RestoreImage(AdvContext& context, int32_t entry, uint32_t word,
                          const SavedTextImage& saved) {
  GraphicSlot* slot = AdvGraphicSlotAlloc(kSlotBankSystem, entry);
  if (!slot) return nullptr;
  SetSlotState(*slot, saved.state);
  char name[33] = {};
  AdvGetFileName(context, reinterpret_cast<uint8_t*>(name), word, true);
  GraphicDatRecord record;
  const bool indexed = AdvGraphicDatFind(name, &record);
  char load[33] = {};
  std::memcpy(load, indexed ? record.file_name.data() : name, kGraphicDatNameSize);
  const YelInitParam size = GameSize();
  YelSprite* sprite =
      AdvSpriteLoadUnlocked(context, load, size.game_width, size.game_height, saved.info.priority);
  if (!sprite) {
    AdvDebugPrint(kLogError, "text load error [%s]", load);
    AdvGraphicSlotFreeNow(slot);
    return nullptr;
  }
  slot->sprite = sprite;
  yel::YelSpriteSetInfo(sprite, &saved.info);
  if (indexed) AdvGraphicApplyAttributes(*slot, record, kRestoredAttributes);
  yel::YelSpriteViewCtrl(sprite, 0);
  slot->image_word = word;
  return slot;
}

}  // namespace

void AdvTextSave(const AdvContext& context, SnapshotWriter& out) {
  const TextWindow& w = context.text_window;
  out.I32(w.initialised);
  if (!w.initialised) return;
  out.I32(w.text_mode);
  out.I32(w.icon_mode);
  for (int32_t word : {w.font_size, w.ruby_size, w.text_x, w.text_y, w.text_width, w.text_height,
                       w.name_x, w.name_y}) {
    out.I32(word);
  }
  out.U16(w.button_group);
  out.U16(kGroupPadding);
  out.Words(w.page_rect);
  for (int32_t word :
       {w.page_name_flag, w.page_line_x, w.page_end_y, w.page_icon_x, w.page_icon_y}) {
    out.I32(word);
  }
  out.Chars(w.page_text);
  WriteSlotState(w.text_slot, out);
  WriteSlotState(w.name_slot, out);
  if (w.text_mode == 1) WriteSlotState(w.page_slot, out);
  WriteImage(w.base_slot, nullptr, false, out);
  for (const TextIcon& icon : w.icons) WriteImage(icon.slot, icon.animation, true, out);
  out.Chars(w.line.name);
  out.Chars(w.line.text);
  out.Chars(w.line.voice);
  const TextSettings& settings = TextLayout();
  out.I32(settings.read_colour_on);
  out.Words(settings.read_colours);
}

bool AdvTextRead(SnapshotReader& in, SavedTextWindow& s) {
  s = SavedTextWindow{};
  s.initialised = in.I32();
  if (!s.initialised) return in.ok();
  s.text_mode = in.I32();
  s.icon_mode = in.I32();
  for (int32_t* word : {&s.font_size, &s.ruby_size, &s.text_x, &s.text_y, &s.text_width,
                        &s.text_height, &s.name_x, &s.name_y}) {
    *word = in.I32();
  }
  s.button_group = in.U16();
  in.U16();
  in.Words(s.page_rect);
  for (int32_t* word :
       {&s.page_name_flag, &s.page_line_x, &s.page_end_y, &s.page_icon_x, &s.page_icon_y}) {
    *word = in.I32();
  }
  in.Chars(s.page_text);
  // What text_init and set_text_mode can give the window, and nothing else.
  if (!in.Bounded(s.text_mode, 0, 2, "text mode") ||
      !in.Bounded(s.font_size, 0, kTextSizeMax, "font size") ||
      !in.Bounded(s.ruby_size, 0, kTextSizeMax, "ruby size") ||
      !in.Bounded(s.text_width, 0, kTextSizeMax, "text width") ||
      !in.Check(s.text_width % 4 == 0, "text width not a multiple of 4") ||
      !in.Bounded(s.text_height, 0, kTextSizeMax, "text height") ||
      !in.Check(s.button_group == kNoButtonGroup || s.button_group < kButtonGroupCount,
                "text window button group out of range") ||
      !Terminated(in, s.page_text, "page text without an end")) {
    return false;
  }
  in.Bytes(s.text_state.data(), kSlotStateSize);
  in.Bytes(s.name_state.data(), kSlotStateSize);
  if (s.text_mode == 1) in.Bytes(s.page_state.data(), kSlotStateSize);
  if (!ReadImage(in, s.base, false)) return false;
  for (SavedTextImage& icon : s.icons) {
    if (!ReadImage(in, icon, true)) return false;
  }
  in.Chars(s.line.name);
  in.Chars(s.line.text);
  in.Chars(s.line.voice);
  s.read_colour_on = in.I32();
  in.Words(s.read_colours);
  return in.ok() && Terminated(in, s.line.name, "line name without an end") &&
         Terminated(in, s.line.text, "line text without an end") &&
         Terminated(in, s.line.voice, "line voice without an end");
}

void AdvTextLoad(AdvContext& context, const SavedTextWindow& s) {
  if (!s.initialised) return;
  TextWindow& w = context.text_window;
  w.initialised = 1;
  w.text_mode = s.text_mode;
  w.icon_mode = s.icon_mode;
  w.font_size = s.font_size;
  w.ruby_size = s.ruby_size;
  w.text_x = s.text_x;
  w.text_y = s.text_y;
  w.text_width = s.text_width;
  w.text_height = s.text_height;
  w.name_x = s.name_x;
  w.name_y = s.name_y;
  w.button_group = s.button_group;
  w.page_rect = s.page_rect;
  w.page_name_flag = s.page_name_flag;
  w.page_line_x = s.page_line_x;
  w.page_end_y = s.page_end_y;
  w.page_icon_x = s.page_icon_x;
  w.page_icon_y = s.page_icon_y;
  w.page_text = s.page_text;
  if (w.button_group != kNoButtonGroup) AdvTextButtonGroupView(context, w.button_group, 0);
  AdvTextMakeTextSlot(context, w);
  if (w.text_slot) SetSlotState(*w.text_slot, s.text_state);
  w.name_slot =
      AdvTextSpriteSlot(context, 5, kNameSpriteWidth, kNameSpriteHeight, w.name_x, w.name_y);
  if (w.name_slot) SetSlotState(*w.name_slot, s.name_state);
  if (w.text_mode == 1) {
    const YelInitParam size = GameSize();
    w.page_slot = AdvTextSpriteSlot(context, 6, size.game_width, size.game_height, w.page_rect[0],
                                    w.page_rect[1]);
    if (w.page_slot) SetSlotState(*w.page_slot, s.page_state);
  }
  const SystemSettings* settings =
      context.task_data ? &context.task_data->system.settings : nullptr;
  if (s.base.image_word != 0) {
    // The player's own base image and alpha, chosen in the settings, stand in for the saved ones.
    uint32_t word = s.base.image_word;
    if (settings && settings->text_base != -1) word = static_cast<uint32_t>(settings->text_base);
    w.base_slot = RestoreImage(context, 0, word, s.base);
    if (w.base_slot && settings && settings->window_alpha != -1) {
      w.base_slot->colour =
          static_cast<uint32_t>(settings->window_alpha) << 24 | (s.base.info.colour & 0xFFFFFF);
    }
    if (w.base_slot) AdvAnimStart(w.base_slot->animation_id);
  }
  for (int32_t i = 0; i < 3; ++i) {
    const SavedTextImage& saved = s.icons[i];
    if (saved.image_word == 0) continue;
    TextIcon& icon = w.icons[i];
    icon.slot = RestoreImage(context, 1 + i, saved.image_word, saved);
    if (icon.slot) icon.animation = yel::YelAnimation(icon.slot->sprite, 1, saved.animation_time);
  }
  w.current_icon = 0;
  yel::YelFontGetColor(&w.colours[0], &w.colours[1]);
  w.saved_colours = w.colours;
  w.line = s.line;
  TextSettings& layout = TextLayout();
  layout.read_colour_on = s.read_colour_on;
  layout.read_colours = s.read_colours;
  if (w.line.name[0] != 0 && w.name_slot) {
    AdvDrawText(context, w.name_slot->sprite, w.line.name.data(), nullptr, nullptr,
                kNameSpriteWidth, kNameSpriteHeight, w.font_size, 0, w.colours, nullptr);
    w.line_state |= 1;
  }
  if (w.line.text[0] != 0 && w.text_slot) {
    // The restored line was read before: it takes the read-text colours when they are on.
    const std::array<uint32_t, 2> colours = layout.read_colour_on ? layout.read_colours : w.colours;
    yel::YelFontSetColor(colours[0], colours[1]);
    w.laid_out_length =
        AdvDrawText(context, w.text_slot->sprite, w.line.text.data(), &w.cursor_x, &w.cursor_y,
                    w.text_width, w.text_height, w.font_size, w.ruby_size, colours, &w.reveal_map);
    yel::YelFontSetColor(w.colours[0], w.colours[1]);
    AdvTextIconPlace(context, w);
  }
  if (w.line.voice[0] != 0) w.line_state |= 2;
  yel::YelFontSetColor(w.saved_colours[0], w.saved_colours[1]);
}

}  // namespace adv
