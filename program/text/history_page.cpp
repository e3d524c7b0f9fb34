#include "program/text/history_page.h"

#include <algorithm>
#include <cstring>

#include "program/buttons/button_manager.h"
#include "program/data/graphic_dat.h"
#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_services.h"
#include "program/layers/layer_table.h"
#include "program/layers/sprite_loader.h"
#include "program/script/engine_log.h"
#include "program/sound/favourite_voices.h"
#include "program/sound/sound_calls.h"
#include "program/sound/voice_channels.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"
#include "program/text/text_layout.h"
#include "program/text/text_window.h"

namespace adv {
namespace {

constexpr int32_t kTextPriority = 4867;
constexpr int32_t kImagePriority = 4871;
constexpr int32_t kButtonPriority = 4866;
constexpr int32_t kPriorityStep = 134;
constexpr int32_t kNameWidth = 1024;
constexpr int32_t kNameHeight = 64;
constexpr uint32_t kHighlightColour = 0xFF4E4E4E;
constexpr uint32_t kPrimaryMouseButton = 0x800000;

int32_t PowerOfTwo(int32_t n) {
  int32_t p = 1;
  while (p < n && p < (1 << 14)) p <<= 1;
  return p;
}

bool NoName(const HistoryEntry& entry) {
  return entry.name[0] == 0 && static_cast<uint8_t>(entry.name[1]) == 0x81;
}

YelRender* Render(AdvContext& context) {
  return context.render ? context.render : yel::YelRenderGetActive();
}

// The height a text takes laid out in the window's text rectangle: down to the bottom of its last
// line; nothing for an empty text.
int32_t DrawnHeight(AdvContext& context, YelSprite* sprite, const char* text, int32_t width,
                    int32_t height) {
  if (text[0] == 0) return 0;
  const TextWindow& window = context.text_window;
  int32_t x = 0, y = 0;
  AdvDrawText(context, sprite, text, &x, &y, width, height, window.font_size, window.ruby_size,
              window.colours, nullptr);
  return y + LinePitch(window.font_size, window.ruby_size);
}

// Copies a stored field so that it ends within its array whatever a snapshot put there.
template <size_t N>
std::array<char, N + 1> Field(const std::array<char, N>& field) {
  std::array<char, N + 1> copy{};
  std::memcpy(copy.data(), field.data(), N);
  return copy;
}

// A line button in group `group`: record `line`, bank-2 slot (group x 128 + line). Groups outside
// 0-15 and the lines of group 15 past its slots get none. True when the button was made.
bool MakeLineButton(AdvContext& context, int32_t group, int32_t line, const char* image, int32_t x,
                    int32_t y, int32_t label1, int32_t label2) {
  if (!ButtonIndexValid(group, line)) return false;
  ButtonGroup& owner = context.buttons.groups[group];
  if (ButtonFind(context, group, line)) AdvButtonRelease(context, group, line);
  char load_name[33] = {};
  std::strncpy(load_name, image, 32);
  GraphicDatRecord record;
  int32_t priority = context.skip.priority_base + kButtonPriority - line;
  if (AdvGraphicDatFind(load_name, &record)) {
    std::memcpy(load_name, record.file_name.data(), kGraphicDatNameSize);
    priority += kPriorityStep * record.priority_step;
  }
  GraphicSlot* slot = AdvGraphicSlotAlloc(kSlotBankButton, ButtonSlotEntry(group, line));
  if (!slot) return false;
  YelSprite* sprite =
      AdvSpriteLoadUnlocked(context, load_name, AdvWindowWidth, AdvWindowHeight, priority);
  if (!sprite) {
    AdvGraphicSlotFreeNow(slot);
    return false;
  }
  if (owner.object) yel::YelButtonEntryEx(owner.object, sprite, 1);
  YelSpriteInfo info{};
  yel::YelSpriteGetInfo(sprite, &info);
  slot->position = {x, y, 0};
  slot->float_position = {static_cast<float>(x), static_cast<float>(y), 0};
  slot->offset_position = {record.x, record.y, 0};
  slot->offset_float_position = {static_cast<float>(record.x), static_cast<float>(record.y), 0};
  uint8_t name[33] = {};
  std::memcpy(name, image, std::strlen(image) < 32 ? std::strlen(image) : 32);
  AdvSlotTakeSprite(*slot, sprite, info, record, 0, name);
  ButtonRecord& button = owner.buttons[line];
  button = ButtonRecord{};
  button.slot = slot;
  button.click_label = ButtonLabelOffset(context, label1);
  button.on_label = ButtonLabelOffset(context, label2);
  AdvGraphicSlotApply(context, *slot);
  yel::YelSpriteViewCtrl(sprite, 1);
  yel::YelSpriteSetPos(sprite, static_cast<float>(x), static_cast<float>(y), 0);
  return true;
}

// The face and jump buttons the page made for the line.
void DeleteLineButtons(AdvContext& context, int32_t line) {
  const HistoryPageLine& shown = context.history.page.page[line];
  for (const int32_t group : {shown.face_group, shown.jump_group}) {
    if (ButtonIndexValid(group, line) && ButtonFind(context, group, line)) {
      AdvButtonRelease(context, group, line);
    }
  }
}

void ReleaseLine(AdvContext& context, int32_t line) {
  HistoryPageLine& shown = context.history.page.page[line];
  YelSprite* sprites[] = {shown.separator, shown.name, shown.text, shown.icon};
  yel::YelSpriteReleaseArray(Render(context), sprites, 4);
  DeleteLineButtons(context, line);
  shown = HistoryPageLine{};
}

// The lines on the page, last line first.
void ReleasePage(AdvContext& context) {
  HistoryPage& page = context.history.page;
  for (int32_t n = page.lines - 1; n >= 0; --n) {
    const int32_t line = page.position + n;
    if (line >= 0 && line < kHistoryPageLines) ReleaseLine(context, line);
  }
  for (HistoryPageLine& shown : page.page) shown = HistoryPageLine{};
  page.lines = 0;
}

YelSprite* LoadImage(AdvContext& context, const char* name) {
  return AdvSpriteLoadUnlocked(context, name, AdvWindowWidth, AdvWindowHeight,
                               context.skip.priority_base + kImagePriority);
}

}  // namespace

std::string HistoryFaceImageName(const char* voice) {
  std::string name = "IC";
  if (voice[0] != 0 && voice[1] != 0 && voice[2] >= '0' && voice[2] <= '9') {
    name += voice[2];
    if (voice[3] != 0) name += voice[3];
  } else {
    name += "99";
  }
  return name;
}

void AdvHistoryBegin(AdvContext& context) {
  HistoryBlock& history = context.history;
  HistoryPage& page = history.page;
  const TextWindow& window = context.text_window;
  page.open = 1;
  for (HistoryPageLine& shown : page.page) shown.voiced = false;
  if (page.measure) yel::YelSpriteRelease(Render(context), page.measure);
  page.measure = yel::YelSpriteCreate(
      Render(context), PowerOfTwo(window.text_width + window.font_size),
      PowerOfTwo(window.text_height), context.skip.priority_base + kTextPriority);
  const int32_t count = std::min(history.count, kHistoryEntryCount);
  const int32_t top = page.rect[1];
  const int32_t bottom = page.rect[3];
  int32_t y = top;
  int32_t reached = -1;
  for (int32_t i = count - 1; i >= 0; --i) {
    const HistoryEntry& entry = history.entries[i];
    y += DrawnHeight(context, nullptr, Field(entry.text).data(), window.text_width,
                     window.text_height);
    if (!NoName(entry)) {
      y += DrawnHeight(context, nullptr, Field(entry.name).data(), window.text_width,
                       window.text_height);
    }
    if (y >= bottom) {
      reached = i;
      break;
    }
    y += page.spacing;
  }
  if (reached < 0) {
    page.max_position = 0;
    // No line at all takes no room.
    page.height = count == 0 ? 0 : y - top - page.spacing;
  } else {
    page.max_position = reached + 1;
    page.height = bottom - top;
  }
  AdvHistoryBuildPage(context, 0);
  if (page.measure) {
    const YelRect empty{0, 0, 0, 0};
    yel::YelSpriteSetRect(page.measure, &empty);
    yel::YelSpritePaint(page.measure, nullptr, kHighlightColour);
    yel::YelSpriteSetRenderMode(page.measure, 2);
  }
  AdvDebugPrint(kLogTrace, "history_begin");
}

int AdvHistoryBuildPage(AdvContext& context, int32_t position) {
  HistoryBlock& history = context.history;
  HistoryPage& page = history.page;
  TextWindow& window = context.text_window;
  ReleasePage(context);
  const int32_t count = std::min(history.count, kHistoryEntryCount);
  // A position before the newest line would read before the store.
  if (position < 0 || position > count) return 0;
  page.position = position;
  YelRender* render = Render(context);
  int32_t y = page.rect[3];
  const int32_t x = TextLayout().ruby_space ? page.rect[0] : 0;
  const int32_t priority = context.skip.priority_base + kTextPriority;
  const std::array<uint32_t, 2> window_colours = window.colours;
  uint32_t font_colours[2] = {};
  yel::YelFontGetColor(&font_colours[0], &font_colours[1]);
  page.lines = count - position;
  for (int32_t i = position; i < count; ++i) {
    const HistoryEntry& entry = history.entries[i];
    HistoryPageLine& shown = page.page[i];
    const auto name = Field(entry.name);
    const auto text = Field(entry.text);
    const auto voice = Field(entry.voice);
    window.colours = {font_colours[0], font_colours[1]};
    AdvTextSpeakerColor(context, window, name.data());
    shown.voiced = voice[0] != 0;
    shown.text = yel::YelSpriteCreate(render, PowerOfTwo(window.text_width + window.font_size + 8),
                                      PowerOfTwo(window.text_height + 4), priority);
    const int32_t text_height =
        DrawnHeight(context, shown.text, text.data(), window.text_width, window.text_height);
    y -= text_height;
    shown.name = yel::YelSpriteCreate(render, kNameWidth, kNameHeight, priority);
    const int32_t name_height =
        DrawnHeight(context, shown.name, name.data(), kNameWidth, kNameHeight);
    // Each sprite shows, takes the mouse and lends the highlight only the area its text covers:
    // the rest of its texture would lie over the neighbouring lines.
    const YelRect text_rect{0, 0, window.text_width + window.font_size, text_height};
    const YelRect name_rect{0, 0, kNameWidth, name_height};
    if (shown.text) yel::YelSpriteSetRect(shown.text, &text_rect);
    if (shown.name) yel::YelSpriteSetRect(shown.name, &name_rect);
    if (NoName(entry)) {
      yel::YelSpriteViewCtrl(shown.name, 0);
      yel::YelSpriteSetPos(shown.text, static_cast<float>(x + page.text_x), static_cast<float>(y),
                           0);
    } else {
      if (shown.voiced && page.icon_set) shown.icon = LoadImage(context, page.icon_name.data());
      if (page.face_flag_base && entry.face_flag && voice[0] == 'V' && voice[1] == 'O') {
        if (MakeLineButton(context, page.face_group, i, HistoryFaceImageName(voice.data()).c_str(),
                           x + page.face_x, y + page.face_y, page.face_label, 0)) {
          shown.face_group = page.face_group;
        }
      }
      y -= name_height;
      yel::YelSpriteSetPos(shown.name, static_cast<float>(x + page.name_x),
                           static_cast<float>(y + page.name_y), 0);
      yel::YelSpriteSetPos(shown.text, static_cast<float>(x + page.text_x),
                           static_cast<float>(y + page.text_y), 0);
      if (shown.icon) {
        yel::YelSpriteSetPos(shown.icon, static_cast<float>(x + page.icon_x),
                             static_cast<float>(y + page.icon_y), 0);
      }
    }
    yel::YelFontSetColor(font_colours[0], font_colours[1]);
    window.colours = window_colours;
    if (history.save_files && page.jump_image[0] != 0 && entry.file_number != -1) {
      if (MakeLineButton(context, page.jump_group, i, page.jump_image.data(), x + page.jump_x,
                         y + page.jump_y, page.jump_label1, page.jump_label2)) {
        shown.jump_group = page.jump_group;
      }
    }
    if (page.separator_on) {
      shown.separator = LoadImage(context, page.separator_image.data());
      if (shown.separator) {
        const int32_t sy = y - (page.spacing - yel::YelSpriteGetHeight(shown.separator)) / 2;
        if (sy >= page.rect[1]) {
          yel::YelSpriteSetPos(shown.separator, static_cast<float>(x + page.separator_x),
                               static_cast<float>(sy + page.separator_y), 0);
        } else {
          yel::YelSpriteRelease(render, shown.separator);
          shown.separator = nullptr;
        }
      }
    }
    if (y < page.rect[1]) {
      ReleaseLine(context, i);
      page.lines = i - position;
      break;
    }
    for (YelSprite* sprite : {shown.separator, shown.text, shown.icon}) {
      if (sprite) yel::YelSpriteViewCtrl(sprite, 1);
    }
    if (shown.name && !NoName(entry)) yel::YelSpriteViewCtrl(shown.name, 1);
    y -= page.spacing;
  }
  return 1;
}

void AdvHistoryEnd(AdvContext& context) {
  HistoryPage& page = context.history.page;
  page.open = 0;
  ReleasePage(context);
  if (page.measure) yel::YelSpriteRelease(Render(context), page.measure);
  page.measure = nullptr;
  AdvDebugPrint(kLogTrace, "history_end");
}

void AdvHistoryUpdate(AdvContext& context) {
  HistoryBlock& history = context.history;
  HistoryPage& page = history.page;
  if (page.measure) {
    yel::YelSpriteViewCtrl(page.measure, 0);
    const YelRect empty{0, 0, 0, 0};
    yel::YelSpriteSetRect(page.measure, &empty);
  }
  const int32_t mouse_y = yel::YelInputGetMouseY();
  const int32_t mouse_x = yel::YelInputGetMouseX();
  YelSprite* hit = yel::YelSpriteGetForeground(mouse_x, mouse_y, 0);
  const uint32_t keys =
      context.buttons.input_mode ? yel::YelInputGetKeyPull() : yel::YelInputGetKeyPush();
  for (int32_t n = 0; n < page.lines; ++n) {
    const int32_t line = page.position + n;
    if (line < 0 || line >= kHistoryPageLines) break;
    HistoryPageLine& shown = page.page[line];
    if (shown.name) yel::YelSpriteSetColor(shown.name, page.normal_colour);
    if (shown.text) yel::YelSpriteSetColor(shown.text, page.normal_colour);
    if (!shown.voiced || !shown.text || shown.text != hit) continue;
    if (shown.name) yel::YelSpriteSetColor(shown.name, page.highlight_colour);
    yel::YelSpriteSetColor(shown.text, page.highlight_colour);
    if (page.measure) {
      YelSpriteInfo info{};
      yel::YelSpriteGetInfo(shown.text, &info);
      YelRect rect{};
      yel::YelSpriteGetRect(shown.text, &rect);
      yel::YelSpriteSetRect(page.measure, &rect);
      yel::YelSpriteSetPos(page.measure, info.x, info.y, 0);
      yel::YelSpriteViewCtrl(page.measure, 1);
    }
    if (keys & kPrimaryMouseButton) {
      const auto voice = Field(history.entries[line].voice);
      AdvVoiceMixRunEnd(context);
      AdvVoiceStop(context, -1);
      AdvVoicePlay(context, 0, voice.data(), kVoiceNoAutopan, 0, false);
    }
  }
}

void HistorySoundRelease(uint32_t& handle) {
  if (handle == 0) return;
  yel::YelSoundStop(handle);
  yel::YelSoundRelease(handle);
  handle = 0;
}

int32_t AdvHistoryFavAdd(AdvContext& context, int32_t n) {
  return AdvHisFavAdd(context, n, context.history.page.button_sounds[2]);
}

}  // namespace adv
