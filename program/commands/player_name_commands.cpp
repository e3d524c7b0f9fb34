// The player-name commands of group 0x12: the entry field over the game (begin, update, check,
// reset, end), the name set directly, and its queries. The field is created, placed and
// destroyed on the UI thread through YelAttachProcess; its picture and its text belong to the
// script's thread.
#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <string>

#include "os/encoding.h"
#include "program/commands/extra_commands.h"
#include "program/commands/text_arguments.h"
#include "program/dialogs/modal_dialog.h"
#include "program/dialogs/player_name_field.h"
#include "program/game/adv_context.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr size_t kNameTextBuffer = 260;

void BufferOverBox(const char* command) {
  ShowBoxOnUiThread(os::Sjis("バッファオーバー"), command, os::BoxButtons::kOk,
                    os::BoxIcon::kWarning);
}

std::string StoredName(const PlayerNameState& block) {
  const size_t length = static_cast<size_t>(std::clamp<int32_t>(block.name_length, 0, 32));
  return std::string(block.name.data(), length);
}

// The name and its length together, so the two never disagree; the rest of the field is zero.
void StoreName(PlayerNameState& block, std::string_view text) {
  const size_t length = WholeCharacterPrefix(text, kPlayerNameBytes);
  block.name.fill(0);
  std::memcpy(block.name.data(), text.data(), length);
  block.name_length = static_cast<int32_t>(length);
}

int CmdIsPlayername(AdvContext& context) {
  SetCommandResult(context, context.player_name.changed);
  AdvDebugPrint(kLogTrace, "[%d]is_playername", context.player_name.changed);
  return 1;
}

void OpenField(AdvContext& context, const std::string& text, int32_t limit,
               const std::array<int32_t, 5>& rect) {
  PlayerNameState& block = context.player_name;
  // The typed name never grows past the script's limit or the stored name's 32 bytes.
  const size_t capacity = limit > 0 ? std::min<size_t>(2 * static_cast<size_t>(limit), 32) : 32;
  auto* window = new PlayerNameWindow(capacity);
  block.window = window;
  window->window_mode = yel::YelCheckWindowMode();
  window->client_width = AdvWindowWidth;
  window->client_height = AdvWindowHeight;
  window->game_x = window->client_x = rect[0];
  window->game_y = window->client_y = rect[1];
  window->game_width = window->client_w = std::max(rect[2], 1);
  window->game_height = window->client_h = std::max(rect[3], 1);
  window->game_font_height = window->client_font_height = rect[4];
  PlayerNameWindowLayout(block);
  window->field.SetText(text);
}

int CmdPlayerNameSetBegin(AdvContext& context) {
  const auto [text_ref, limit, x, y, width, height, font_height] = PopArgs<7>(context);
  const std::string text =
      AdvGetStringText(context, static_cast<uint32_t>(text_ref), kNameTextBuffer);
  if (text.size() > kPlayerNameBytes) {
    BufferOverBox("player_name_set_begin");
    return 0;
  }
  // A second begin replaces the open field rather than leaving it behind.
  PlayerNameWindowClose(context);
  PlayerNameState& block = context.player_name;
  block.byte_limit = 2 * limit;
  StoreName(block, std::string_view(text).substr(
                       0, static_cast<size_t>(std::clamp<int32_t>(block.byte_limit, 0, 32))));
  OpenField(context, text, limit, {x, y, width, height, font_height});
  yel::YelAttachProcess(PlayerNameWindowCreate, reinterpret_cast<uintptr_t>(&block));
  AdvDebugPrint(kLogTrace, "player_name_set_begin %s, %d, %d, %d, %d, %d, %d", text.c_str(), limit,
                x, y, width, height, font_height);
  PlayerNameFieldCatchUp(context);
  if (!NameWindow(block)->sprite) {
    ShowBoxOnUiThread(os::Sjis("名前変更に失敗"), os::Sjis("エラー"), os::BoxButtons::kOk,
                      os::BoxIcon::kWarning);
  }
  NameWindow(block)->state = kNameFieldOpen;
  return 1;
}

int CmdPlayerNameSetEnd(AdvContext& context) {
  PlayerNameState& block = context.player_name;
  PlayerNameWindow* window = NameWindow(block);
  if (!window) {
    AdvDebugPrint(kLogTrace, "player_name_set_end not run");
    return 1;
  }
  // An accepted field takes no more typing, so what is stored is the text the check accepted.
  if (window->state == kNameFieldAccepted) StoreName(block, window->field.text());
  PlayerNameWindowClose(context);
  AdvDebugPrint(kLogTrace, "player_name_set_end");
  return 1;
}

int CmdPlayerNameSetCheck(AdvContext& context) {
  PlayerNameState& block = context.player_name;
  PlayerNameWindow* window = NameWindow(block);
  if (!window || window->state != kNameFieldOpen) {
    SetCommandResult(context, 0);
    AdvDebugPrint(kLogTrace, "player_name_set_check not run");
    return 1;
  }
  PlayerNameFieldCatchUp(context);
  const std::string text = window->field.text();
  int32_t result = 0;
  if (NameHasSingleByteChar(text) || !NameHasVisibleChar(text)) {
    window->field.SetText(StoredName(block));
    window->picture_stale = true;
    PlayerNameFieldCatchUp(context);
  } else {
    block.changed = text != StoredName(block) ? 1 : 0;
    window->state = kNameFieldAccepted;
    result = 1;
  }
  SetCommandResult(context, result);
  AdvDebugPrint(kLogTrace, "[%d]player_name_set_check", result);
  return 1;
}

int CmdPlayerNameUpdate(AdvContext& context) {
  PlayerNameState& block = context.player_name;
  PlayerNameWindow* window = NameWindow(block);
  if (!window || window->state != kNameFieldOpen) return 1;
  PlayerNameFieldCatchUp(context);
  if (PlayerNameWindowLayout(block)) {
    yel::YelAttachProcess(PlayerNameWindowPlace, reinterpret_cast<uintptr_t>(&block));
  }
  return 1;
}

int CmdPlayerNameReset(AdvContext& context) {
  PlayerNameWindow* window = NameWindow(context.player_name);
  if (!window || window->state != kNameFieldOpen) {
    AdvDebugPrint(kLogTrace, "player_name_reset not run");
    return 1;
  }
  PlayerNameFieldCatchUp(context);
  window->field.SetText(StoredName(context.player_name));
  window->picture_stale = true;
  PlayerNameFieldCatchUp(context);
  AdvDebugPrint(kLogTrace, "player_name_reset");
  return 1;
}

int CmdPlayerNameSetDirect(AdvContext& context) {
  const std::string text =
      AdvGetStringText(context, static_cast<uint32_t>(PopArg(context)), kNameTextBuffer);
  if (text.size() > kPlayerNameBytes) {
    BufferOverBox("player_name_set_direct");
    return 0;
  }
  PlayerNameState& block = context.player_name;
  StoreName(block, text);
  block.byte_limit = block.name_length;
  AdvDebugPrint(kLogTrace, "player_name_set_direct %s", StoredName(block).c_str());
  return 1;
}

int CmdPlayerNameGetStr(AdvContext& context) {
  const std::span<char> slot =
      StringVariableFor(context, static_cast<uint32_t>(PopArg(context)), "player_name_get_str");
  if (slot.empty()) {
    SetCommandResult(context, -1);
    return 1;
  }
  const std::array<char, 32>& name = context.player_name.name;
  StoreStringVariable(slot, std::string_view(name.data(), strnlen(name.data(), name.size())));
  SetCommandResult(context, 0);
  return 1;
}

constexpr CommandSlot kSlots[] = {
    {0x02, CmdIsPlayername},        {0x16, CmdPlayerNameSetBegin}, {0x17, CmdPlayerNameSetEnd},
    {0x18, CmdPlayerNameSetCheck},  {0x19, CmdPlayerNameUpdate},   {0x1A, CmdPlayerNameReset},
    {0x1B, CmdPlayerNameSetDirect}, {0xA4, CmdPlayerNameGetStr},
};

}  // namespace

const CommandSlotList kPlayerNameCommandSlots = {kSlots, std::size(kSlots)};

}  // namespace adv
