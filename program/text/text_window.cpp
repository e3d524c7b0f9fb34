// Starting a line in the message window: the scene-skip stop at unread text, the name, the text
// (fetched, marked read, expanded, laid out, drawn and hidden for its reveal), appended text,
// and the line's time.
#include "program/text/text_window.h"

#include <algorithm>
#include <cstring>

#include "program/game/adv_context.h"
#include "program/game/game_task.h"
#include "program/layers/graphic_slots.h"
#include "program/savedata/snapshot_services.h"
#include "program/script/engine_log.h"
#include "program/script/script_names.h"
#include "program/script/script_run.h"
#include "program/script/skip_state.h"
#include "program/startup/yel_import.h"
#include "program/text/text_layout.h"
#include "program/text/text_services.h"
#include "program/text/text_units.h"
#include "program/text/timed_text.h"

namespace adv {
namespace {

constexpr size_t kNameRecordBytes = 256;
constexpr int32_t kNameSpriteWidth = 1024;
constexpr int32_t kNameSpriteHeight = 64;
constexpr size_t kHistoryTextBytes = 383;

bool ForcedSkip(AdvContext& context) {
  return (AdvSkipState(context) & SKIP_MASK_FORCED) != 0;
}

YelSprite* SpriteOf(const GraphicSlot* slot) {
  return slot ? slot->sprite : nullptr;
}

void Paint(AdvContext& context, GraphicSlot* slot) {
  if (!ForcedSkip(context) && SpriteOf(slot)) {
    yel::YelSpritePaint(slot->sprite, nullptr, TextLayout().paint_colour);
  }
}

// A "Text.dat" record: its number and its text.
struct TextRecord {
  uint32_t number = 0;
  std::array<char, kTextBytes + 4> bytes{};
  const char* text() const { return bytes.data() + 4; }
};
void FetchText(AdvContext& context, uint32_t operand, TextRecord& record, size_t size) {
  AdvGetString(context, reinterpret_cast<uint8_t*>(record.bytes.data()), size, operand);
  record.bytes[size - 1] = 0;
  std::memcpy(&record.number, record.bytes.data(), 4);
}

// Copies whole characters of `text` into `out` of `size` bytes, terminated.
void CopyWhole(char* out, size_t size, const char* text) {
  const size_t n = WholeCharacterBytes(text, size - 1);
  std::memcpy(out, text, n);
  std::memset(out + n, 0, size - n);
}

bool ReadColoursWanted(const TextWindow& window) {
  return TextLayout().read_colour_on && window.line_read == 1;
}

// The colours the line's text is drawn in: the read-text colours for a line read before.
std::array<uint32_t, 2> LineColours(const TextWindow& window) {
  if (!ReadColoursWanted(window)) return window.colours;
  const auto& read = TextLayout().read_colours;
  yel::YelFontSetColor(read[0], read[1]);
  return read;
}

void RestoreWindowColours(const TextWindow& window) {
  if (ReadColoursWanted(window)) yel::YelFontSetColor(window.colours[0], window.colours[1]);
}

int32_t TextSpeed(AdvContext& context) {
  return context.task_data ? context.task_data->system.settings.text_speed : 0;
}

void RecordHistoryText(AdvContext& context, const char* text) {
  if (context.history.off) return;
  auto& entry = context.history.entries[0].text;
  CopyWhole(entry.data(), std::min(entry.size(), kHistoryTextBytes + 1), text);
}

// One 48-byte entry of the speaker colour table in the settings' words 12-203.
struct SpeakerColour {
  int32_t in_use;
  uint32_t first, second;
  int32_t name_length;
  char name[32];
};
static_assert(sizeof(SpeakerColour) == 48);
constexpr int32_t kSpeakerColourCount = 16;

}  // namespace

uint32_t TextTimeFor(int32_t length, int32_t unit, int32_t ms_per_character) {
  if (unit < 1 || length < 0) return 0;
  return static_cast<uint32_t>(length / unit) * static_cast<uint32_t>(ms_per_character);
}

int AdvTextSceneSkipStop(AdvContext& context, TextWindow& window) {
  if (!context.skip.scene_skip || context.skip.scene_skip_past_unread != 0) return 0;
  TextRecord record;
  FetchText(context, window.text_operand, record, sizeof record.bytes);
  if (context.task_data &&
      TextReadFlagTest(context.task_data->system.text_read_bitmap, record.number)) {
    return 0;
  }
  const uint32_t kind = window.line_kind >> 16;
  if (kind == 1 || kind == 2 || kind == 8) ValueStackPush(context, window.time_word);
  ValueStackPush(context, static_cast<int32_t>(window.text_operand));
  ValueStackPush(context, static_cast<int32_t>(window.name_operand));
  ValueStackPush(context, static_cast<int32_t>(window.voice_operand));
  if (!ForcedSkip(context)) context.script.pc -= 12;
  AdvDebugPrint(kLogTrace, "cancel scene skip text\n");
  context.skip.scene_skip = 0;
  TakeSavePoint(context, context.script.pc - 12);
  ReloadSnapshot(context);
  return 1;
}

void AdvTextSpeakerColor(AdvContext& context, TextWindow& window, const char* name) {
  if (!context.task_data) return;
  const auto& words = context.task_data->system.settings.reserved;
  const size_t length = std::strlen(name);
  for (int32_t i = 0; i < kSpeakerColourCount; ++i) {
    SpeakerColour entry;
    std::memcpy(&entry, words.data() + i * 12, sizeof entry);
    if (!entry.in_use || entry.name_length < 0 ||
        static_cast<size_t>(entry.name_length) != length || length >= sizeof entry.name ||
        std::memcmp(entry.name, name, length) != 0) {
      continue;
    }
    window.colours = {entry.first, entry.second};
    yel::YelFontSetColor(entry.first, entry.second);
    return;
  }
}

bool AdvTextGetName(AdvContext& context, TextWindow& window, uint32_t operand, char* name) {
  if (operand == kNoTextOperand) return false;
  TextRecord record;
  FetchText(context, operand, record, kNameRecordBytes);
  CopyWhole(name, kNameRecordBytes, record.text());
  if (name[0] == 0) return false;
  AdvTextSpeakerColor(context, window, name);
  if (name[0] == '/' && name[1] == 'n') {
    const PlayerNameState& player = context.player_name;
    const size_t length = std::min<size_t>(std::max(player.name_length, 0), player.name.size());
    std::memset(name, 0, kNameRecordBytes);
    std::memcpy(name, player.name.data(), WholeCharacterBytes(player.name.data(), length));
  }
  return true;
}

void AdvTextLayoutName(AdvContext& context, TextWindow& window, uint32_t operand) {
  Paint(context, window.name_slot);
  window.line.name.fill(0);
  char name[kNameRecordBytes] = {};
  if (!AdvTextGetName(context, window, operand, name)) {
    if (!context.history.off) {
      auto& entry = context.history.entries[0].name;
      entry[0] = 0;
      entry[1] = static_cast<char>(0x81);
    }
    return;
  }
  CopyWhole(window.line.name.data(), window.line.name.size(), name);
  std::array<uint32_t, 2> colours = window.colours;
  int32_t y = 2;
  if (window.text_mode == 1) {
    y = 0;
    TextRecord record;
    FetchText(context, window.text_operand, record, 1024);
    if (TextLayout().read_colour_on && context.task_data &&
        TextReadFlagTest(context.task_data->system.text_read_bitmap, record.number)) {
      colours = TextLayout().read_colours;
      yel::YelFontSetColor(colours[0], colours[1]);
    }
  }
  int32_t x = 0;
  AdvDrawText(context, SpriteOf(window.name_slot), name, &x, &y, kNameSpriteWidth,
              kNameSpriteHeight, window.font_size, 0, colours, nullptr);
  if (colours != window.colours) yel::YelFontSetColor(window.colours[0], window.colours[1]);
  window.line_state |= 1;
  if (!context.history.off) {
    auto& entry = context.history.entries[0].name;
    CopyWhole(entry.data(), entry.size(), name);
  }
}

void AdvTextMarkRead(AdvContext& context, TextWindow& window, uint32_t number) {
  if (!context.task_data) {
    window.line_read = 0;
    return;
  }
  SystemData& system = context.task_data->system;
  if (TextReadFlagTest(system.text_read_bitmap, number)) {
    window.line_read = 1;
    return;
  }
  TextReadFlagSet(system.text_read_bitmap, number);
  window.line_read = 0;
  if (system.settings.skip_switch == 0 && context.skip.skip_mode) {
    window.auto_word = 0;
    context.events.slots[1] = {1, 0};
    context.events.pending = 1;
  }
}

void AdvTextLayoutLine(AdvContext& context, TextWindow& window, uint32_t operand) {
  Paint(context, window.text_slot);
  AdvRevealMapReset(window.reveal_map);
  TextRecord record;
  FetchText(context, operand, record, sizeof record.bytes);
  AdvTextMarkRead(context, window, record.number);
  const std::array<uint32_t, 2> colours = LineColours(window);
  AdvTextExpand(context, window.line.text.data(), window.line.text.size(), record.text());
  window.cursor_x = 0;
  window.cursor_y = 0;
  window.reveal_head_start = 0;
  window.reveal_map.new_key_base = 64;
  window.laid_out_length =
      AdvDrawText(context, SpriteOf(window.text_slot), window.line.text.data(), &window.cursor_x,
                  &window.cursor_y, window.text_width, window.text_height, window.font_size,
                  window.ruby_size, colours, &window.reveal_map);
  RestoreWindowColours(window);
  if (TextLayout().space_skip) window.laid_out_length += 64;
  if ((window.time_word != 0 || TextSpeed(context) != 0) && SpriteOf(window.text_slot)) {
    AdvRevealMapBuild(AdvSkipState(context), window.text_slot->sprite, window.reveal_map);
  }
  RecordHistoryText(context, window.line.text.data());
}

void AdvTextAppendLine(AdvContext& context, TextWindow& window, uint32_t operand) {
  TextRecord record;
  FetchText(context, operand, record, sizeof record.bytes);
  AdvTextMarkRead(context, window, record.number);
  const std::array<uint32_t, 2> colours = LineColours(window);
  std::array<char, kTextBytes> expanded{};
  AdvTextExpand(context, expanded.data(), expanded.size(), record.text());
  window.reveal_head_start =
      TextTimeFor(window.laid_out_length, window.font_size, TextSpeed(context));
  // The appended glyphs are keyed from where the shown text's reveal ends.
  window.reveal_map.new_key_base = std::max(window.laid_out_length, 64);
  window.laid_out_length +=
      AdvDrawText(context, SpriteOf(window.text_slot), expanded.data(), &window.cursor_x,
                  &window.cursor_y, window.text_width, window.text_height, window.font_size,
                  window.ruby_size, colours, &window.reveal_map);
  RestoreWindowColours(window);
  if (SpriteOf(window.text_slot)) {
    AdvRevealMapBuild(AdvSkipState(context), window.text_slot->sprite, window.reveal_map);
  }
  // The page text keeps what fits, in whole characters.
  char* text = window.line.text.data();
  const size_t used = strnlen(text, kTextBytes - 1);
  CopyWhole(text + used, kTextBytes - used, expanded.data());
  RecordHistoryText(context, text);
}

// The voice start names the line's voice itself: the voice of the previous line stays named
// until its hooks have ended.
void AdvTextLineVoice(AdvContext& context, TextWindow& window, uint32_t operand) {
  if (AdvTextVoiceStart(context, operand, window.line.voice.data(), window.line.voice.size())) {
    window.line_state |= 2;
  }
}

void AdvTextSetTime(AdvContext& context, TextWindow& window, int32_t time_word, uint32_t now) {
  if (time_word == 0) {
    window.wait_time = TextTimeFor(window.laid_out_length, window.font_size, TextSpeed(context));
  } else {
    if (time_word < 0) window.line_kind |= kLineAtOnce;
    window.wait_time = static_cast<uint32_t>(time_word);
  }
  window.wait_start = now;
}

void AdvPrintCurrentText(AdvContext& context) {
  const TextLine& line = context.text_window.line;
  AdvDebugPrint(kLogError, "name=%s / voice=%s / %s", line.name.data(), line.voice.data(),
                line.text.data());
}

void AdvTextWindowRelease(AdvContext& context) {
  TextWindow& window = context.text_window;
  AdvTextTimeCheckEnd(window);
  AdvGraphicSlotFreeNow(window.base_slot);
  for (TextIcon& icon : window.icons) {
    if (icon.animation) yel::YelAnimationRelease(icon.animation);
    AdvGraphicSlotFreeNow(icon.slot);
  }
  AdvGraphicSlotFreeNow(window.name_slot);
  AdvGraphicSlotFreeNow(window.text_slot);
  AdvGraphicSlotFreeNow(window.page_slot);
  AdvRevealMapRelease(window.reveal_map);
  ShownGlyphList().clear();
  NewGlyphList().clear();
  window = TextWindow{};
}

}  // namespace adv
