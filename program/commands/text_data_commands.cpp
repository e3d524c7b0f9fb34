// Command group 0x02: the shown line's data (its texts, kind word and read flag), replaying its
// voice and the voice cut, recording a line in the history without showing it, the text-read
// bitmap, the click-through switch and the in-text tips the window met in the shown text.
#include <algorithm>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

#include "program/commands/text_arguments.h"
#include "program/commands/text_data_commands.h"
#include "program/game/adv_context.h"
#include "program/game/game_task.h"
#include "program/layers/graphic_slots.h"
#include "program/savedata/snapshot_services.h"
#include "program/script/command_args.h"
#include "program/script/instructions.h"
#include "program/script/script_names.h"
#include "program/sound/sound_state.h"
#include "program/sound/voice_channels.h"
#include "program/startup/yel_import.h"
#include "program/text/history_store.h"
#include "program/text/text_line.h"
#include "program/text/text_services.h"
#include "program/text/text_window.h"

namespace adv {
namespace {

constexpr size_t kNameBytes = 256;
// The special-button words of the window's group that follow whether a line has a voice.
constexpr int32_t kStyle2Word = 2;
constexpr int32_t kRecordWord = 4;
constexpr int32_t kUnvoicedRow = 3;
constexpr uint32_t kTipsStateBegin = 1;
constexpr uint32_t kTipsStateStopped = 256;
constexpr uint32_t kNoColour = 0xFFFFFFFF;

// The text number of a text argument.
uint32_t TextNumber(AdvContext& context, uint32_t operand) {
  uint8_t record[8] = {};
  AdvGetString(context, record, sizeof record, operand);
  uint32_t number = 0;
  std::memcpy(&number, record, sizeof number);
  return number;
}

std::vector<uint8_t>* ReadBitmap(AdvContext& context) {
  return context.task_data ? &context.task_data->system.text_read_bitmap : nullptr;
}

// The window's style-2 and record buttons show whether the recorded line has a voice.
void VoiceButtonsFollow(AdvContext& context, uint16_t group_index, bool voiced) {
  if (group_index >= kButtonGroupCount) return;
  ButtonGroup& group = context.buttons.groups[group_index];
  for (int32_t word : {kStyle2Word, kRecordWord}) {
    const int32_t index = group.special[word];
    if (index < 0 || index >= kButtonsPerGroup) continue;
    const GraphicSlot* slot = group.buttons[index].slot;
    if (!slot || !slot->sprite) continue;
    yel::YelButtonCtrl(group.object, slot->sprite, voiced ? 1 : 0);
    yel::YelSpriteRectSetPos(slot->sprite, 0, voiced ? 0 : kUnvoicedRow);
  }
}

int SetHistoryLine(AdvContext& context, HistoryPart commit) {
  const auto a = PopArgs<3>(context);
  const auto voice = static_cast<uint32_t>(a[0]);
  const auto name_operand = static_cast<uint32_t>(a[1]);
  const auto text_operand = static_cast<uint32_t>(a[2]);
  TextWindow& window = context.text_window;
  window.voice_operand = voice;
  window.name_operand = name_operand;
  window.set_history_text = text_operand;
  window.line_kind = 0;
  std::array<uint32_t, 2> colours{};
  yel::YelFontGetColor(&colours[0], &colours[1]);
  HistoryAddLine(context, nullptr, HistoryPart::kOpen);
  char name[kNameBytes] = {};
  const bool named = AdvTextGetName(context, window, name_operand, name);
  HistoryAddLine(context, named ? name : nullptr, HistoryPart::kName);
  std::array<uint8_t, kTextBytes + 4> record{};
  AdvGetString(context, record.data(), record.size(), text_operand);
  record.back() = 0;
  std::array<char, kTextBytes> expanded{};
  AdvTextExpand(context, expanded.data(), expanded.size(),
                reinterpret_cast<const char*>(record.data() + 4));
  HistoryAddLine(context, expanded.data(), HistoryPart::kText);
  // The expansion stops one byte short of its buffer, so it always fits the save text with its
  // terminator.
  SaveTextSet(context, expanded.data(), strnlen(expanded.data(), expanded.size()));
  AdvDebugPrint(kLogTrace, "set_history %s", expanded.data());
  const bool voiced = voice != kNoTextOperand;
  if (voiced) {
    char file[33] = {};
    AdvGetFileName(context, reinterpret_cast<uint8_t*>(file), voice, true);
    HistoryAddLine(context, file, HistoryPart::kVoice);
    window.line.voice.fill(0);
    std::memcpy(window.line.voice.data(), file, strnlen(file, window.line.voice.size() - 1));
  }
  if (window.button_group != kNoButtonGroup) {
    VoiceButtonsFollow(context, window.button_group, voiced);
  }
  HistoryAddLine(context, nullptr, commit);
  yel::YelFontSetColor(colours[0], colours[1]);
  return 1;
}

// Swaps a word for the popped value; the old value is the result.
int SwapWord(AdvContext& context, int32_t& word) {
  const int32_t value = PopArg(context);
  SetCommandResult(context, word);
  word = value;
  return 1;
}

// The entry an index names; null (logged at level 0, as a type error is) outside 0-31.
TipsEntry* TipsEntryAt(AdvContext& context, int32_t index, const char* command) {
  if (index < 0 || index >= kTipsEntryCount) {
    AdvDebugPrint(kLogError, "%s : [%d]範囲外のtipsを指定しました。", command, index);
    return nullptr;
  }
  return &context.tips.entries[index];
}

int32_t EffectExtra() {
  switch (yel::YelFontGetEffect() & 0xFFFF) {
    case 1:
    case 2:
      return 2;
    case 3:
      return 4;
    default:
      return 0;
  }
}

}  // namespace

int CmdTextVoicePlay(AdvContext& context) {
  const int32_t loop = PopArg(context);
  if (!AdvTextWindowReady(context, "text_voice_play")) return 0;
  const char* voice = context.text_window.line.voice.data();
  AdvTextLineVoicesStop(context);
  if (voice[0] != 0) AdvVoicePlay(context, 0, voice, loop ? kVoiceLoop : 0, 0, true);
  AdvDebugPrint(kLogTrace, "text_voice_play %d : %s", loop, voice);
  return 1;
}

int CmdSetHistory(AdvContext& context) {
  return SetHistoryLine(context, HistoryPart::kCommit);
}

int CmdSetHistoryEx(AdvContext& context) {
  return SetHistoryLine(context, HistoryPart::kCommitAtResume);
}

int CmdEnableVoiceCut(AdvContext& context) {
  const int32_t on = PopArg(context);
  context.sound.voice_cut = on;
  AdvDebugPrint(kLogTrace, "enable_voice_cut %d", on);
  return 1;
}

int CmdIsVoiceCut(AdvContext& context) {
  SetCommandResult(context, context.sound.voice_cut);
  AdvDebugPrint(kLogTrace, "[%d]is_voice_cut", context.script_position);
  return 1;
}

int CmdTextHistoryEnable(AdvContext& context) {
  context.history.off = PopArg(context) == 0 ? 1 : 0;
  return 1;
}

int CmdGetText(AdvContext& context) {
  const auto a = PopArgs<3>(context);
  std::span<char> slots[3];
  for (int i = 0; i < 3; ++i) {
    slots[i] = StringVariableFor(context, static_cast<uint32_t>(a[i]), "Get Tex");
    if (slots[i].empty()) {
      SetCommandResult(context, 0);
      return 0;
    }
  }
  const TextLine& line = context.text_window.line;
  // Each field is cut at its last whole character that fits the 2,047-byte variable.
  StoreStringVariable(
      slots[0], std::string_view(line.name.data(), strnlen(line.name.data(), line.name.size())));
  StoreStringVariable(
      slots[1], std::string_view(line.voice.data(), strnlen(line.voice.data(), line.voice.size())));
  StoreStringVariable(
      slots[2], std::string_view(line.text.data(), strnlen(line.text.data(), line.text.size())));
  SetCommandResult(context, 1);
  AdvDebugPrint(kLogTrace, "Get Text %s %s %s", slots[0].data(), slots[1].data(), slots[2].data());
  return 1;
}

int CmdTextIsRead(AdvContext& context) {
  const uint32_t number = TextNumber(context, static_cast<uint32_t>(PopArg(context)));
  const std::vector<uint8_t>* bitmap = ReadBitmap(context);
  const bool read = bitmap && TextReadFlagTest(*bitmap, number);
  SetCommandResult(context, read ? 1 << (number & 7) : 0);
  return 1;
}

int CmdTextSetRead(AdvContext& context) {
  const uint32_t number = TextNumber(context, static_cast<uint32_t>(PopArg(context)));
  if (std::vector<uint8_t>* bitmap = ReadBitmap(context)) TextReadFlagSet(*bitmap, number);
  return 1;
}

int CmdTextSetKind(AdvContext& context) {
  const auto kind = static_cast<uint32_t>(PopArg(context));
  SetCommandResult(context, static_cast<int32_t>(context.text_window.line_kind));
  context.text_window.line_kind = kind;
  return 1;
}

int CmdTextGetKind(AdvContext& context) {
  SetCommandResult(context, static_cast<int32_t>(context.text_window.line_kind));
  return 1;
}

int CmdTextSetReadFlag(AdvContext& context) {
  return SwapWord(context, context.text_window.line_read);
}

int CmdTextClearLine(AdvContext& context) {
  context.text_window.line.text.fill(0);
  context.save.save_text.fill(0);
  return 1;
}

int CmdTextSetClickThrough(AdvContext& context) {
  Advance().click_through = PopArg(context) != 0 ? 1 : 0;
  return 1;
}

int CmdTextGetClickThrough(AdvContext& context) {
  SetCommandResult(context, Advance().click_through);
  return 1;
}

int CmdTextHideIcon(AdvContext& context) {
  TextWindow& window = context.text_window;
  const GraphicSlot* slot = window.icons[window.current_icon].slot;
  if (window.current_icon != 1 && slot && slot->sprite) yel::YelSpriteViewCtrl(slot->sprite, 0);
  window.line_kind = 0;
  return 1;
}

int CmdTipsSetLabel(AdvContext& context) {
  const auto a = PopArgs<2>(context);
  TipsArea& tips = context.tips;
  uint32_t* labels[2] = {&tips.begin_label, &tips.end_label};
  for (int i = 0; i < 2; ++i) {
    uint32_t offset = 0;
    if (a[i] == 0 || !LabelOffset(context, static_cast<uint32_t>(a[i]), &offset)) offset = 0;
    *labels[i] = offset;
  }
  tips.entries = {};
  return 1;
}

int CmdTipsGetLast(AdvContext& context) {
  const uint32_t count = context.tips.count;
  SetCommandResult(context, count == 0 ? 0 : static_cast<int32_t>(count) - 1);
  return 1;
}

int CmdTipsGetStr(AdvContext& context) {
  const auto a = PopArgs<3>(context);
  TipsEntry* entry = TipsEntryAt(context, a[0], "tips_get_str");
  const std::span<char> slot =
      StringVariableFor(context, static_cast<uint32_t>(a[1]), "tips_get_str");
  const bool index_ok = a[2] >= 0 && a[2] < 3;
  if (!index_ok) AdvDebugPrint(kLogError, "tips_get_str : [%d]バッファ指定ミス", a[2]);
  if (!entry || slot.empty() || !index_ok) {
    SetCommandResult(context, 0);
    return 0;
  }
  const auto& text = entry->strings[a[2]];
  StoreStringVariable(slot, std::string_view(text.data(), strnlen(text.data(), text.size())));
  SetCommandResult(context, entry->words[0]);
  AdvDebugPrint(kLogTrace, "tips_get_str %s", slot.data());
  return 1;
}

int CmdTipsGetParam(AdvContext& context) {
  const auto [index, parameter] = PopArgs<2>(context);
  AdvDebugPrint(kLogTrace, "tips_get_param %d %d", index, parameter);
  const TipsEntry* entry = TipsEntryAt(context, index, "tips_get_param");
  if (!entry) {
    SetCommandResult(context, 0);
    return 0;
  }
  const TextWindow& window = context.text_window;
  int32_t value = 0;
  if (parameter >= 0 && parameter <= 8) {
    value = entry->words[parameter];
  } else if (parameter == 9) {
    value = entry->wrapped ? 1 : 0;
  } else if (parameter == 10 || parameter == 11) {
    value = entry->words[parameter - 1] + EffectExtra();
  } else if (parameter >= 12 && parameter <= 17) {
    const int32_t window_words[] = {window.font_size, window.text_x, window.text_y,
                                    window.name_x,    window.name_y, window.ruby_size};
    value = window_words[parameter - 12];
  } else if (parameter >= 18 && parameter <= 20) {
    value = entry->font[parameter - 18];
  }
  SetCommandResult(context, value);
  return 1;
}

int CmdTipsReset(AdvContext& context) {
  TipsArea& tips = context.tips;
  const uint32_t count = tips.count;
  if (count < static_cast<uint32_t>(kTipsEntryCount)) tips.entries[count] = TipsEntry{};
  tips.count = 0;
  tips.state = kTipsStateBegin;
  tips.entries[0] = TipsEntry{};
  AdvDebugPrint(kLogTrace, "tips_reset %d", static_cast<int32_t>(count));
  return 1;
}

int CmdTipsSearch(AdvContext& context) {
  const std::span<char> slot =
      StringVariableFor(context, static_cast<uint32_t>(PopArg(context)), "tips_search");
  if (slot.empty()) {
    SetCommandResult(context, -1);
    return 1;
  }
  const std::string_view key = StringVariableText(slot);
  const TipsArea& tips = context.tips;
  const uint32_t count = std::min<uint32_t>(tips.count, kTipsEntryCount);
  int32_t found = -1;
  for (uint32_t i = 0; i < count; ++i) {
    const auto& text = tips.entries[i].strings[0];
    if (std::string_view(text.data(), strnlen(text.data(), text.size())) == key) {
      found = static_cast<int32_t>(i);
    }
  }
  SetCommandResult(context, found);
  AdvDebugPrint(kLogTrace, "tips_search [%s] %d", slot.data(), found);
  return 1;
}

int CmdTipsSetColor(AdvContext& context) {
  const auto a = PopArgs<2>(context);
  TipsArea& tips = context.tips;
  const auto first = static_cast<uint32_t>(a[0]);
  if (first != kNoColour) tips.colours = {first, static_cast<uint32_t>(a[1])};
  tips.colour_flag = first != kNoColour ? 1 : 0;
  AdvDebugPrint(kLogTrace, "tips_set_color [%d] [%x][%x]", tips.colour_flag, tips.colours[0],
                tips.colours[1]);
  return 1;
}

int CmdTipsStop(AdvContext& context) {
  context.tips.state = kTipsStateStopped;
  AdvDebugPrint(kLogTrace, "tips_stop %d", static_cast<int32_t>(context.tips.state));
  return 1;
}

int CmdTipsGetFlag(AdvContext& context) {
  SetCommandResult(context, context.tips.pause);
  AdvDebugPrint(kLogTrace, "[%d]tips_get_flag", context.script_position);
  return 1;
}

int CmdTipsInit(AdvContext& context) {
  context.tips = TipsArea{};
  AdvDebugPrint(kLogTrace, "tips_init");
  return 1;
}

int CmdTipsPause(AdvContext& context) {
  SetCommandResult(context, context.tips.pause);
  context.tips.pause ^= 1;
  AdvDebugPrint(kLogTrace, "[%d]tips_pause", context.script_position);
  return 1;
}

}  // namespace adv
