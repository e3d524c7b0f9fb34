// Command group 0x0E (`CmdGroupHistory`): the history page's settings, its opening, scrolling and
// closing, the face, jump and separator switches, and reading the stored lines; the group's
// handler table. The page itself is program/text/history_page.cpp.
#include <iterator>
#include <string>
#include <utility>

#include "program/buttons/button_manager.h"
#include "program/commands/text_arguments.h"
#include "program/game/adv_context.h"
#include "program/script/command_args.h"
#include "program/script/command_table.h"
#include "program/script/script_names.h"
#include "program/sound/name_prefix.h"
#include "program/sound/sound_services.h"
#include "program/startup/yel_import.h"
#include "program/text/history_page.h"

namespace adv {
namespace {

constexpr int32_t kSoundTypeSystem = 5;
constexpr uint32_t kOpaque = 0xFF000000;

HistoryPage& Page(AdvContext& context) {
  return context.history.page;
}

// A file argument's resolved name (empty for none).
void FileName(AdvContext& context, uint32_t file, std::array<char, 32>& out) {
  uint8_t name[33] = {};
  AdvGetFileName(context, name, file, true);
  for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char>(name[i]);
  out[31] = 0;
}

// A sound of type 5 from a file argument; 0 when there is none or it does not load.
uint32_t LoadSound(AdvContext& context, uint32_t file) {
  if (file == 0 || file == kNoTextOperand) return 0;
  std::array<char, 32> name{};
  FileName(context, file, name);
  if (name[0] == 0) return 0;
  return AdvSoundLoad(context, name.data(), kSoundTypeSystem, nullptr);
}

bool EntryValid(AdvContext& context, int32_t index, const char* command) {
  if (index >= 0 && index < context.history.count && index < kHistoryEntryCount) return true;
  AdvDebugPrint(kLogError, "%s : no history line %d (%d lines)", command, index,
                context.history.count);
  return false;
}

int CmdHistoryInit(AdvContext& context) {
  const auto [nx, ny, tx, ty, ix, iy, spacing, normal, highlight] = PopArgs<9>(context);
  HistoryPage& page = Page(context);
  page.name_x = nx;
  page.name_y = ny;
  page.text_x = tx;
  page.text_y = ty;
  page.icon_x = ix;
  page.icon_y = iy;
  page.spacing = spacing;
  page.normal_colour = static_cast<uint32_t>(normal) | kOpaque;
  page.highlight_colour = static_cast<uint32_t>(highlight) | kOpaque;
  YelInitParam system{};
  yel::YelGetSystemParameters(&system);
  page.rect = {0, 0, system.game_width, system.game_height};
  context.history.entries = {};
  page.icon_set = 0;
  page.icon_name.fill(0);
  AdvDebugPrint(kLogTrace, "history_init %d, %d, %d, %d, %d, %d, %d, 0x%x, 0x%x", nx, ny, tx, ty,
                ix, iy, spacing, normal, highlight);
  return 1;
}

int CmdHistoryBegin(AdvContext& context) {
  AdvHistoryBegin(context);
  return 1;
}

int CmdHistoryEnd(AdvContext& context) {
  AdvHistoryEnd(context);
  return 1;
}

int CmdHistoryGetCount(AdvContext& context) {
  SetCommandResult(context, context.history.count);
  return 1;
}

int CmdHistorySetPos(AdvContext& context) {
  const int32_t position = PopArg(context);
  if (position == Page(context).position) return 1;
  if (!AdvHistoryBuildPage(context, position)) {
    AdvDebugPrint(kLogError, "history_set_pos : position %d outside 0-%d", position,
                  context.history.count);
  }
  return 1;
}

int CmdHistoryGetHeight(AdvContext& context) {
  SetCommandResult(context, Page(context).height);
  AdvDebugPrint(kLogTrace, "[%d] history_get_height", Page(context).height);
  return 1;
}

int CmdHistoryUpdate(AdvContext& context) {
  AdvHistoryUpdate(context);
  return 1;
}

int CmdHistoryGetPos(AdvContext& context) {
  SetCommandResult(context, Page(context).position);
  return 1;
}

int CmdHistoryGetMaxPos(AdvContext& context) {
  SetCommandResult(context, Page(context).max_position);
  return 1;
}

int CmdHistoryGetLines(AdvContext& context) {
  SetCommandResult(context, Page(context).lines);
  return 1;
}

int CmdHistorySetRect(AdvContext& context) {
  const auto [left, top, right, bottom] = PopArgs<4>(context);
  Page(context).rect = {left, top, right, bottom};
  AdvDebugPrint(kLogTrace, "history_set_rect %d, %d, %d, %d", left, top, right, bottom);
  return 1;
}

int CmdHistoryClear(AdvContext& context) {
  context.history.entries = {};
  context.history.count = 0;
  context.history.off = 0;
  AdvDebugPrint(kLogTrace, "history_clear");
  return 1;
}

int CmdHistorySet(AdvContext& context) {
  const auto file = static_cast<uint32_t>(PopArg(context));
  HistoryPage& page = Page(context);
  page.icon_set = 1;
  FileName(context, file, page.icon_name);
  AdvDebugPrint(kLogTrace, "history_set %s", page.icon_name.data());
  return 1;
}

int CmdHistorySetFace(AdvContext& context) {
  const auto [on, x, y] = PopArgs<3>(context);
  HistoryPage& page = Page(context);
  page.face_flag_base = on != 0 ? 1 : 0;
  context.history.face_flag = page.face_flag_base;
  page.face_x = x;
  page.face_y = y;
  return 1;
}

int CmdHistoryFaceEnable(AdvContext& context) {
  const int32_t on = PopArg(context);
  context.history.face_flag = on != 0 ? Page(context).face_flag_base : 0;
  return 1;
}

// The sounds are loaded again on every call: the handles of the last call go first, so that
// repeated calls do not use up the platform's channels.
int CmdHistorySetFaceButton(AdvContext& context) {
  const auto [group, sound, label] = PopArgs<3>(context);
  HistoryPage& page = Page(context);
  if (!ButtonGroupValid(group)) {
    AdvDebugPrint(kLogError, "history_set_face_button : group %d outside 0-15", group);
    return 1;
  }
  page.face_group = group;
  page.face_label = 0;
  if (!page.face_flag_base) return 1;
  for (uint32_t& handle : page.button_sounds) HistorySoundRelease(handle);
  const ButtonGroup& owner = context.buttons.groups[group];
  page.button_sounds[0] = LoadSound(context, owner.hover_sound);
  page.button_sounds[1] = LoadSound(context, owner.decide_sound);
  page.button_sounds[2] = LoadSound(context, static_cast<uint32_t>(sound));
  page.face_label = label;
  return 1;
}

int CmdHistoryReleaseButtonSound(AdvContext& context) {
  HistoryPage& page = Page(context);
  if (!page.face_flag_base) return 1;
  for (uint32_t& handle : page.button_sounds) HistorySoundRelease(handle);
  return 1;
}

int CmdHistorySetFaceCall(AdvContext& context) {
  const int32_t label = PopArg(context);
  Page(context).face_label = label;
  AdvDebugPrint(kLogTrace, "history_set_face_call %d", label);
  return 1;
}

int CmdHistorySetFaceSound(AdvContext& context) {
  const auto file = static_cast<uint32_t>(PopArg(context));
  HistoryPage& page = Page(context);
  std::array<char, 32> name{};
  if (file != 0) {
    FileName(context, file, name);
    HistorySoundRelease(page.hover_sound);
    page.hover_sound =
        name[0] != 0 ? AdvSoundLoad(context, name.data(), kSoundTypeSystem, nullptr) : 0;
  }
  AdvDebugPrint(kLogTrace, "history_set_face_sound %s", name.data());
  return 1;
}

int CmdHistorySetFaceSoundRelease(AdvContext& context) {
  HistorySoundRelease(Page(context).hover_sound);
  AdvDebugPrint(kLogTrace, "history_set_face_sound_release");
  return 1;
}

int CmdHistoryGetText(AdvContext& context) {
  const auto [index, name_var, voice_var, text_var] = PopArgs<4>(context);
  for (const int32_t variable : {name_var, voice_var, text_var}) {
    if (!(static_cast<uint32_t>(variable) & kStringVariableBit)) {
      AdvDebugPrint(kLogError, "history_get_text : string型以外の型を指定しました。");
      SetCommandResult(context, 0);
      return 0;
    }
  }
  SetCommandResult(context, 0);
  if (!EntryValid(context, index, "history_get_text")) return 1;
  const HistoryEntry& entry = context.history.entries[index];
  const std::string name(FieldText(entry.name));
  const std::string voice(FieldText(entry.voice));
  const std::string text(FieldText(entry.text));
  const std::pair<int32_t, const std::string*> targets[] = {
      {name_var, &name}, {voice_var, &voice}, {text_var, &text}};
  for (const auto& [variable, value] : targets) {
    const std::span<char> slot =
        StringVariableFor(context, static_cast<uint32_t>(variable), "history_get_text");
    if (!slot.empty()) StoreStringVariable(slot, *value);
  }
  SetCommandResult(context, static_cast<int32_t>(entry.script_point));
  AdvDebugPrint(kLogTrace, "history_get_text %s %s %s", name.c_str(), voice.c_str(), text.c_str());
  return 1;
}

int CmdHistoryGetFileNo(AdvContext& context) {
  const int32_t index = PopArg(context);
  if (!EntryValid(context, index, "history_get_file_no")) {
    SetCommandResult(context, -1);
    return 1;
  }
  SetCommandResult(context, context.history.entries[index].file_number);
  return 1;
}

int CmdHistorySetJumpButton(AdvContext& context) {
  const auto [group, file, label1, label2, arrival] = PopArgs<5>(context);
  HistoryPage& page = Page(context);
  page.jump_group = 0;
  page.jump_label1 = 0;
  context.history.restart_label = 0;
  if (!context.history.save_files) return 1;
  if (!ButtonGroupValid(group)) {
    AdvDebugPrint(kLogError, "history_set_jump_button : group %d outside 0-15", group);
    return 1;
  }
  page.jump_group = group;
  FileName(context, static_cast<uint32_t>(file), page.jump_image);
  page.jump_label1 = label1;
  page.jump_label2 = label2;
  context.history.restart_label = ButtonLabelOffset(context, arrival);
  return 1;
}

int CmdHistoryClearJumpButton(AdvContext& context) {
  if (!context.history.save_files) return 1;
  HistoryPage& page = Page(context);
  page.jump_group = 0;
  page.jump_label1 = 0;
  page.jump_label2 = 0;
  return 1;
}

int CmdHistorySetJump(AdvContext& context) {
  const auto [on, x, y] = PopArgs<3>(context);
  context.history.save_files = on != 0 ? 1 : 0;
  Page(context).jump_x = x;
  Page(context).jump_y = y;
  return 1;
}

int CmdHistorySetSeparator(AdvContext& context) {
  const auto [on, file, x, y] = PopArgs<4>(context);
  HistoryPage& page = Page(context);
  page.separator_on = on != 0 ? 1 : 0;
  FileName(context, static_cast<uint32_t>(file), page.separator_image);
  page.separator_x = x;
  page.separator_y = y;
  return 1;
}

constexpr CommandHandler kHistorySlots[] = {
    CmdHistoryInit,
    CmdHistoryBegin,
    CmdHistoryEnd,
    CmdHistoryGetCount,
    CmdHistorySetPos,
    CmdHistoryGetHeight,
    CmdHistoryUpdate,
    CmdHistoryGetPos,
    CmdHistoryGetMaxPos,
    CmdHistoryGetLines,
    CmdHistorySetRect,
    CmdHistoryClear,
    CmdHistorySet,
    CmdHistorySetFace,
    CmdHistoryFaceEnable,
    CmdHistorySetFaceButton,
    CmdHistoryReleaseButtonSound,
    CmdHistorySetFaceCall,
    CmdHistorySetFaceSound,
    CmdHistorySetFaceSoundRelease,
    CmdHistoryGetText,
    CmdHistoryGetFileNo,
    CmdHistorySetJumpButton,
    CmdHistoryClearJumpButton,
    CmdHistorySetJump,
    CmdHistorySetSeparator,
};
static_assert(std::size(kHistorySlots) == 0x1A);

}  // namespace

const CommandHandlers kCmdGroupHistoryHandlers = {kHistorySlots, std::size(kHistorySlots)};

}  // namespace adv
