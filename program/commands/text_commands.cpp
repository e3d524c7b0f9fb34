// Command group 0x02: the message window. Setting it up (size, font, icons, base image, colours
// and the switches of text layout), and showing and hiding it; the line commands are
// text_line_commands.cpp.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "program/buttons/choices.h"
#include "program/commands/text_data_commands.h"
#include "program/commands/text_line_commands.h"
#include "program/game/adv_context.h"
#include "program/layers/frame_animation.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_services.h"
#include "program/layers/sprite_loader.h"
#include "program/savedata/snapshot_services.h"
#include "program/script/command_args.h"
#include "program/script/command_table.h"
#include "program/script/script_names.h"
#include "program/script/script_run.h"
#include "program/script/skip_state.h"
#include "program/startup/yel_import.h"
#include "program/text/text_layout.h"
#include "program/text/text_line.h"
#include "program/text/text_services.h"
#include "program/text/text_units.h"
#include "program/text/text_window.h"

namespace adv {
namespace {

constexpr int32_t kNameSpriteWidth = 1024;
constexpr int32_t kNameSpriteHeight = 64;
constexpr int32_t kIconPriorityBase = 4871;
constexpr uint32_t kIconFrameMs = 100;

bool Initialised(AdvContext& context, const char* name) {
  if (context.text_window.initialised) return true;
  AdvDebugPrint(kLogError, "text initialize error : %s", name);
  return false;
}

bool ForcedSkip(AdvContext& context) {
  return (AdvSkipState(context) & SKIP_MASK_FORCED) != 0;
}

int32_t RoundUpToFour(int32_t value) {
  return value % 4 == 0 ? value : (value / 4 + 1) * 4;
}

int CmdTextInit(AdvContext& context) {
  const auto a = PopArgs<8>(context);
  TextWindow& window = context.text_window;
  const int32_t font_size = std::clamp(a[0], 0, kTextSizeMax);
  const int32_t text_width = RoundUpToFour(std::clamp(a[3], 0, kTextSizeMax));
  const int32_t text_height = std::clamp(a[4], 0, kTextSizeMax);
  // A text area whose texture the renderer cannot hold is refused; the window stays as it was.
  if (!AdvTextAreaFits("text_init", text_width, text_height, font_size)) return 1;
  window.font_size = font_size;
  window.text_x = a[1];
  window.text_y = a[2];
  window.text_width = text_width;
  window.text_height = text_height;
  window.name_x = a[5];
  window.name_y = a[6];
  window.ruby_size = std::clamp(a[7], 0, kTextSizeMax);
  window.button_group = kNoButtonGroup;
  window.cursor_x = window.text_x;
  window.cursor_y = window.text_y;
  window.visible = 0;
  window.initialised = 1;
  yel::YelFontSetFontSize(window.font_size);
  AdvTextMakeTextSlot(context, window);
  AdvGraphicSlotFreeNow(window.name_slot);
  window.name_slot = AdvTextSpriteSlot(context, 5, kNameSpriteWidth, kNameSpriteHeight,
                                       window.name_x, window.name_y);
  AdvDebugPrint(kLogTrace, "text_init %d, %d, %d, %d, %d, %d, %d, %d", a[0], a[1], a[2], a[3], a[4],
                a[5], a[6], a[7]);
  return 1;
}

int CmdTextInitEx(AdvContext& context) {
  const auto a = PopArgs<4>(context);
  TextWindow& window = context.text_window;
  const int32_t font_size = std::clamp(a[0], 0, kTextSizeMax);
  const int32_t text_width = RoundUpToFour(std::clamp(a[1], 0, kTextSizeMax));
  const int32_t text_height = std::clamp(a[2], 0, kTextSizeMax);
  // The sizes the next text texture is made for, refused as text_init refuses them.
  if (!AdvTextAreaFits("text_init_ex", text_width, text_height, font_size)) return 1;
  window.font_size = font_size;
  window.text_width = text_width;
  window.text_height = text_height;
  window.ruby_size = std::clamp(a[3], 0, kTextSizeMax);
  yel::YelFontSetFontSize(window.font_size);
  AdvDebugPrint(kLogTrace, "text_init_ex %d, %d, %d, %d", a[0], a[1], a[2], a[3]);
  return 1;
}

int CmdTextUninit(AdvContext& context) {
  if (!Initialised(context, "text_uninit")) return 0;
  AdvTextWindowRelease(context);
  return 1;
}

int CmdTextShow(AdvContext& context) {
  const int32_t stop = PopArg(context);
  if (ForcedSkip(context)) return 1;
  if (!Initialised(context, "_text_show")) return 0;
  AdvSelectSetVisible(context, 1);
  AdvTextWindowShow(context, context.text_window, 1);
  if (stop) context.script.stop = 1;
  AdvDebugPrint(kLogTrace, "text_show %d", stop);
  return 1;
}

int CmdTextHide(AdvContext& context) {
  const int32_t stop = PopArg(context);
  if (ForcedSkip(context) || !context.text_window.initialised) return 1;
  AdvSelectSetVisible(context, 0);
  AdvTextWindowShow(context, context.text_window, 0);
  if (stop) context.script.stop = 1;
  AdvDebugPrint(kLogTrace, "text_hide %d", stop);
  return 1;
}

int CmdTextClear(AdvContext& context) {
  if (!Initialised(context, "text_clear")) return 0;
  TextWindow& window = context.text_window;
  if (!ForcedSkip(context)) {
    for (GraphicSlot* slot : {window.text_slot, window.name_slot}) {
      if (slot && slot->sprite)
        yel::YelSpritePaint(slot->sprite, nullptr, TextLayout().paint_colour);
    }
  }
  window.line = TextLine{};
  window.name_operand = window.text_operand = 0;
  window.line_state = window.line_kind = 0;
  window.laid_out_length = 0;
  if (window.text_mode == 1) {
    if (!ForcedSkip(context) && window.page_slot && window.page_slot->sprite) {
      yel::YelSpritePaint(window.page_slot->sprite, nullptr, TextLayout().paint_colour);
    }
    window.page_name_flag = window.page_line_x = window.page_end_y = 0;
    window.page_icon_x = window.page_icon_y = 0;
    window.page_text.fill(0);
  }
  AdvDebugPrint(kLogTrace, "text_clear");
  return 1;
}

int CmdTextSetTime(AdvContext& context) {
  const auto value = static_cast<uint32_t>(PopArg(context));
  if (context.task_data) {
    context.task_data->system.settings.text_speed = static_cast<int32_t>(std::min(value, 100u));
  }
  return 1;
}

int CmdTextGetTime(AdvContext& context) {
  const int32_t speed = context.task_data ? context.task_data->system.settings.text_speed : 0;
  SetCommandResult(context, speed);
  AdvDebugPrint(kLogTrace, "text_get_time [%d]", speed);
  return 1;
}

int CmdTextSetAuto(AdvContext& context) {
  context.text_window.auto_word = 1;
  return 1;
}

int CmdTextSetIconAnimationTime(AdvContext& context) {
  const auto a = PopArgs<2>(context);
  if (a[0] < 0 || a[0] > 2) return 1;
  if (!Initialised(context, "text_set_icon_animation_time")) return 0;
  if (YelTask* animation = context.text_window.icons[a[0]].animation) {
    yel::YelAnimationSetTime(animation, static_cast<uint32_t>(a[1]));
  }
  AdvDebugPrint(kLogTrace, "text_set_icon_animation_time %d, %d", a[0], a[1]);
  return 1;
}

// Loads an image for a window slot of bank 0; the slot is placed at (x, y), or where the image
// says when both are 0x0FFFFFFF. Null when it does not load.
GraphicSlot* LoadWindowImage(AdvContext& context, uint32_t file, int32_t entry, int32_t x,
                             int32_t y, int32_t width, int32_t height, int32_t priority,
                             char* name) {
  AdvGetFileName(context, reinterpret_cast<uint8_t*>(name), file, true);
  GraphicDatRecord record{};
  const bool listed = AdvGraphicDatFind(name, &record);
  if (listed)
    std::memcpy(name, record.file_name.data(), std::min<size_t>(31, record.file_name.size()));
  GraphicSlot* slot = AdvGraphicSlotAlloc(kSlotBankSystem, entry);
  if (!slot) return nullptr;
  slot->sprite = AdvSpriteLoadUnlocked(context, name, width, height, priority);
  if (!slot->sprite) {
    AdvGraphicSlotFreeNow(slot);
    return nullptr;
  }
  YelSpriteInfo info{};
  yel::YelSpriteGetInfo(slot->sprite, &info);
  if (x == static_cast<int32_t>(kNoTextOperand) && y == static_cast<int32_t>(kNoTextOperand)) {
    x = static_cast<int32_t>(info.x);
    y = static_cast<int32_t>(info.y);
  }
  TextSlotPlace(slot, x, y);
  slot->image_word = file;
  // The record's position is an offset from the placed one; its other attributes, the frame
  // animation among them, go to the sprite.
  if (listed) {
    slot->offset_position = {record.x, record.y, 0};
    slot->offset_float_position = {static_cast<float>(record.x), static_cast<float>(record.y), 0};
    AdvGraphicApplyAttributes(*slot, record, 0xFFFFFFFF);
  }
  return slot;
}

int CmdTextSetIcon(AdvContext& context) {
  const auto a = PopArgs<4>(context);
  if (!Initialised(context, "text_set_icon")) return 0;
  // Entries 1-3 are the icons'; entry 4 is the text sprite's and nothing lies beyond icon 2.
  if (a[0] < 0 || a[0] > 2) {
    AdvDebugPrint(kLogError, "text_set_icon : [%d]範囲外のアイコンです", a[0]);
    return 0;
  }
  TextIcon& icon = context.text_window.icons[a[0]];
  AdvGraphicSlotFreeNow(icon.slot);
  icon.slot = nullptr;
  if (icon.animation) yel::YelAnimationRelease(icon.animation);
  icon.animation = nullptr;
  char name[32] = {};
  icon.slot = LoadWindowImage(context, static_cast<uint32_t>(a[1]), a[0] + 1, a[2], a[3], 0, 0,
                              kIconPriorityBase - (a[0] + 1), name);
  if (icon.slot) icon.animation = yel::YelAnimation(icon.slot->sprite, 1, kIconFrameMs);
  AdvDebugPrint(kLogTrace, "text_set_icon %d, %s, %d, %d", a[0], name, a[2], a[3]);
  return 1;
}

int CmdTextSetBase(AdvContext& context) {
  const auto a = PopArgs<4>(context);
  if (!Initialised(context, "text_set_base")) return 0;
  TextWindow& window = context.text_window;
  AdvGraphicSlotFreeNow(window.base_slot);
  YelInitParam system{};
  yel::YelGetSystemParameters(&system);
  char name[32] = {};
  window.base_slot =
      LoadWindowImage(context, static_cast<uint32_t>(a[0]), 0, a[1], a[2], system.game_width,
                      system.game_height, kIconPriorityBase, name);
  if (a[3] == 1 && context.task_data) context.task_data->system.settings.text_base = a[0];
  if (window.base_slot) AdvAnimStart(window.base_slot->animation_id);
  AdvDebugPrint(kLogTrace, "text_set_base %s, %d, %d, %d", name, a[1], a[2], a[3]);
  return 1;
}

int CmdIsTextVisible(AdvContext& context) {
  SetCommandResult(context, context.text_window.visible);
  return Initialised(context, "is_text_visible") ? 1 : 0;
}

int CmdTextSetColor(AdvContext& context) {
  const auto a = PopArgs<4>(context);
  if (a[0] < 0 || a[0] >= 16) {
    AdvDebugPrint(kLogError, "over : text_set_color %d", a[0]);
    return 0;
  }
  const std::string name = AdvGetStringText(context, static_cast<uint32_t>(a[1]), 260);
  char kept[32] = {};
  std::memcpy(kept, name.data(), WholeCharacterBytes(name.c_str(), 31));
  if (context.task_data) {
    int32_t* entry = context.task_data->system.settings.reserved.data() + a[0] * 12;
    entry[0] = 1;
    entry[1] = a[2];
    entry[2] = a[3];
    entry[3] = static_cast<int32_t>(std::strlen(kept));
    std::memcpy(entry + 4, kept, sizeof kept);
  }
  AdvDebugPrint(kLogTrace, "text_set_color %d, %s, %06X, %06X", a[0], kept, a[2], a[3]);
  return 1;
}

int CmdTextSetIconMode(AdvContext& context) {
  const int32_t mode = PopArg(context);
  context.text_window.icon_mode = mode;
  AdvDebugPrint(kLogTrace, "text_set_icon_mode %d", mode);
  return 1;
}

int CmdTextAnimationSetMode(AdvContext& context) {
  const auto a = PopArgs<3>(context);
  TextSettings& s = TextLayout();
  s.animation_type = a[0];
  s.animation_fade = a[1];
  s.space_skip = a[2];
  AdvDebugPrint(kLogTrace, "text_animation_set_mode [type=%d,fade=%d,spaceskip=%d]", a[0], a[1],
                a[2]);
  return 1;
}

// The layout switches that take a new value and give the old one as the result.
int SwapLayoutSwitch(AdvContext& context, int32_t& field) {
  const int32_t value = PopArg(context);
  SetCommandResult(context, field);
  field = value;
  return 1;
}

int CmdTextSetVoiceAsync(AdvContext& context) {
  return SwapLayoutSwitch(context, TextLayout().voice_async);
}

int CmdTextSetPaintColor(AdvContext& context) {
  const auto colour = static_cast<uint32_t>(PopArg(context));
  SetCommandResult(context, static_cast<int32_t>(TextLayout().paint_colour));
  TextLayout().paint_colour = colour;
  AdvDebugPrint(kLogTrace, "text_set_paint_color [color=%08X(h)]", colour);
  return 1;
}

int CmdTextSetLineInterval(AdvContext& context) {
  const auto a = PopArgs<3>(context);
  TextSettings& s = TextLayout();
  SetCommandResult(context, s.line_interval);
  s.line_interval = a[0];
  s.width_offset = a[1];
  s.height_offset = a[2];
  TextWindow& window = context.text_window;
  window.reveal_map.line_pitch = LinePitch(window.font_size, window.ruby_size);
  AdvDebugPrint(kLogTrace, "text_set_line_interval [interval=%d widthOffset=%d heightOffset=%d]",
                a[0], a[1], a[2]);
  return 1;
}

int CmdTextSetPriority(AdvContext& context) {
  TextLayout().text_priority = PopArg(context);
  return 1;
}

int CmdTextSetWrapMargin(AdvContext& context) {
  return SwapLayoutSwitch(context, TextLayout().wrap_margin);
}

int CmdTextSetWrapMode(AdvContext& context) {
  return SwapLayoutSwitch(context, TextLayout().wrap_mode);
}

int CmdTextSetReadColor(AdvContext& context) {
  const auto a = PopArgs<3>(context);
  TextSettings& s = TextLayout();
  s.read_colour_on = a[0] != 0;
  s.read_colours = {static_cast<uint32_t>(a[1]), static_cast<uint32_t>(a[2])};
  return 1;
}

constexpr CommandHandler kTextCommands[] = {
    CmdTextInit,                  // 0x020000 text_init
    CmdTextSetIcon,               // 0x020001 text_set_icon
    CmdText,                      // 0x020002 text
    CmdTextHide,                  // 0x020003 text_hide
    CmdTextShow,                  // 0x020004 text_show
    CmdTextSetBtn,                // 0x020005 text_set_btn
    CmdTextUninit,                // 0x020006 text_uninit
    CmdTextSetRect,               // 0x020007 text_set_rect
    CmdTextClear,                 // 0x020008 text_clear
    CmdTextSetTime,               // 0x020009 text_set_time
    CmdTextGetTime,               // 0x02000A text_get_time
    CmdTextWindowSetAlpha,        // 0x02000B text_window_set_alpha
    CmdTextVoicePlay,             // 0x02000C text_voice_play
    CmdTextSetAuto,               // 0x02000D text_set_auto
    CmdTextSetIconAnimationTime,  // 0x02000E text_set_icon_animation_time
    CmdTextW,                     // 0x02000F text_w
    CmdTextA,                     // 0x020010 text_a
    CmdTextWa,                    // 0x020011 text_wa
    CmdTextN,                     // 0x020012 text_n
    CmdTextCat,                   // 0x020013 text_cat
    CmdSetHistory,                // 0x020014 set_history
    CmdIsTextVisible,             // 0x020015 is_text_visible
    CmdTextSetBase,               // 0x020016 text_set_base
    CmdEnableVoiceCut,            // 0x020017 enable_voice_cut
    CmdIsVoiceCut,                // 0x020018 is_voice_cut
    CmdTextTimeCheckBegin,        // 0x020019 text_time_check_begin
    CmdTextTimeCheckEnd,          // 0x02001A text_time_check_end
    CmdTextTimeCheckClear,        // 0x02001B text_time_check_clear
    CmdTextSetColor,              // 0x02001C text_set_color
    CmdTextRedraw,                // 0x02001D text_redraw
    CmdSetTextMode,               // 0x02001E set_text_mode
    CmdTextInitVisualNovelMode,   // 0x02001F text_init_visualnovelmode
    CmdTextSetIconMode,           // 0x020020 text_set_icon_mode
    CmdTextVnBr,                  // 0x020021 text_vn_br
    CmdTextHistoryEnable,         // 0x020022 text_history_enable
    CmdGetText,                   // 0x020023 get_text
    CmdTipsSetLabel,              // 0x020024 tips_set_label
    CmdTipsGetLast,               // 0x020025 tips_get_last
    CmdTipsGetStr,                // 0x020026 tips_get_str
    CmdTipsGetParam,              // 0x020027 tips_get_param
    CmdTipsReset,                 // 0x020028 tips_reset
    CmdTipsSearch,                // 0x020029 tips_search
    CmdTipsSetColor,              // 0x02002A tips_set_color
    CmdTipsStop,                  // 0x02002B tips_stop
    CmdTipsGetFlag,               // 0x02002C tips_get_flag
    CmdTipsInit,                  // 0x02002D tips_init
    CmdTipsPause,                 // 0x02002E tips_pause
    CmdTextAnimationSetMode,      // 0x02002F text_animation_set_mode
    CmdTextSetVoiceAsync,         // 0x020030 text_set_voice_async
    CmdTextSetPaintColor,         // 0x020031 text_set_paint_color
    CmdTextSetLineInterval,       // 0x020032 text_set_line_interval
    CmdTextSetPriority,           // 0x020033 text_set_priority
    CmdSetHistoryEx,              // 0x020034 set_history_ex
    CmdTextIsRead,                // 0x020035 text_is_read
    CmdTextSetRead,               // 0x020036 text_set_read
    CmdTextSetKind,               // 0x020037 text_set_kind
    CmdTextSetReadFlag,           // 0x020038 text_set_read_flag
    CmdTextClearLine,             // 0x020039 text_clear_line
    CmdTextSetClickThrough,       // 0x02003A text_set_click_through
    CmdTextGetClickThrough,       // 0x02003B text_get_click_through
    CmdTextSetWrapMargin,         // 0x02003C text_set_wrap_margin
    CmdTextSetWrapMode,           // 0x02003D text_set_wrap_mode
    CmdTextH,                     // 0x02003E text_h
    CmdTextWh,                    // 0x02003F text_wh
    CmdTextGetKind,               // 0x020040 text_get_kind
    CmdTextHideIcon,              // 0x020041 text_hide_icon
    CmdTextSetReadColor,          // 0x020042 text_set_read_color
    CmdTextInitEx,                // 0x020043 text_init_ex
};
static_assert(std::size(kTextCommands) == 0x44);

}  // namespace

const CommandHandlers kCmdGroupTextHandlers = {kTextCommands, std::size(kTextCommands)};

}  // namespace adv
