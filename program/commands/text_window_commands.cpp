// Command group 0x02: the rest of the message window's set-up and display: its button group, the
// cells of its base image and icons, the window alpha, the timed text, redrawing the line, the
// text modes and the visual-novel page.
#include <algorithm>
#include <array>
#include <cstring>

#include "program/commands/text_data_commands.h"
#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"
#include "program/script/skip_state.h"
#include "program/startup/yel_import.h"
#include "program/text/text_layout.h"
#include "program/text/text_line.h"
#include "program/text/text_reveal.h"
#include "program/text/text_window.h"
#include "program/text/timed_text.h"

namespace adv {
namespace {

bool ForcedSkip(AdvContext& context) {
  return (AdvSkipState(context) & SKIP_MASK_FORCED) != 0;
}

void Paint(AdvContext& context, const GraphicSlot* slot) {
  if (!ForcedSkip(context) && slot && slot->sprite) {
    yel::YelSpritePaint(slot->sprite, nullptr, TextLayout().paint_colour);
  }
}

// The page fields from the page name flag to the end of the page text.
void ClearPage(TextWindow& window) {
  window.page_name_flag = 0;
  window.page_line_x = window.page_end_y = 0;
  window.page_icon_x = window.page_icon_y = 0;
  window.page_text.fill(0);
}

YelInitParam GameSize() {
  YelInitParam system{};
  yel::YelGetSystemParameters(&system);
  return system;
}

}  // namespace

int CmdTextSetBtn(AdvContext& context) {
  const int32_t group = PopArg(context);
  if (!AdvTextWindowReady(context, "text_set_btn")) return 0;
  TextWindow& window = context.text_window;
  if (group == -1) {  // the window without buttons
    window.button_group = kNoButtonGroup;
  } else if (group < 0 || group >= kButtonGroupCount) {
    AdvDebugPrint(kLogError, "text_set_btn : [%d]範囲外のボタングループです", group);
    return 0;
  } else {
    window.button_group = static_cast<uint16_t>(group);
    context.buttons.groups[group].lock = 0;
  }
  AdvDebugPrint(kLogTrace, "text_set_btn %d", group);
  return 1;
}

int CmdTextSetRect(AdvContext& context) {
  const auto a = PopArgs<5>(context);
  if (!AdvTextWindowReady(context, "text_set_rect")) return 0;
  TextWindow& window = context.text_window;
  if (a[0] < 0 || a[0] > 3) {
    AdvDebugPrint(kLogError, "text_set_rect : invalid param");
    return 0;
  }
  const GraphicSlot* slot = a[0] == 0 ? window.base_slot : window.icons[a[0] - 1].slot;
  if (!slot || !slot->sprite) return 1;
  const YelRect rect{0, 0, a[1], a[2]};
  yel::YelSpriteSetRect(slot->sprite, &rect);
  yel::YelSpriteSetOffsetRect(slot->sprite, a[3], a[4]);
  return 1;
}

int CmdTextWindowSetAlpha(AdvContext& context) {
  const auto [alpha, keep] = PopArgs<2>(context);
  if (!AdvTextWindowReady(context, "text_window_set_alpha")) return 0;
  if (keep && context.task_data) context.task_data->system.settings.window_alpha = alpha;
  AdvDebugPrint(kLogTrace, "text_window_set_alpha %d, %d", alpha, keep);
  GraphicSlot* base = context.text_window.base_slot;
  if (!base) {
    AdvDebugPrint(kLogError, "text_window_set_alpha : no base image");
    return 1;
  }
  base->colour = (base->colour & 0xFFFFFF) | static_cast<uint32_t>(alpha) << 24;
  base->offset_colour[0] = 0;
  return 1;
}

int CmdTextTimeCheckBegin(AdvContext& context) {
  const auto a = PopArgs<5>(context);
  TextWindow& window = context.text_window;
  // A second begin ends the first task: its handle would be lost with its sprite on screen.
  AdvTextTimeCheckEnd(window);
  std::array<uint8_t, kTimedTextBytes + 4> record{};
  AdvGetString(context, record.data(), record.size(), static_cast<uint32_t>(a[0]));
  record.back() = 0;
  window.time_check_task = AdvTextTimeCheckStart(
      context, reinterpret_cast<const char*>(record.data() + 4), a[1], a[2], a[3], a[4]);
  return 1;
}

int CmdTextTimeCheckEnd(AdvContext& context) {
  AdvTextTimeCheckEnd(context.text_window);
  return 1;
}

int CmdTextTimeCheckClear(AdvContext& context) {
  AdvTextTimeCheckClear(context.text_window);
  return 1;
}

int CmdTextRedraw(AdvContext& context) {
  TextWindow& window = context.text_window;
  context.history.off = 1;
  ShownGlyphList().clear();
  if (window.text_operand == 0) {
    context.history.off = 0;
    return 1;
  }
  window.wait_time = 0;
  if (window.text_mode != 1) {
    std::array<uint32_t, 2> colours{};
    yel::YelFontGetColor(&colours[0], &colours[1]);
    window.colours = colours;
    AdvTextLayoutName(context, window, window.name_operand);
    AdvTextLayoutLine(context, window, window.text_operand);
    yel::YelFontSetColor(colours[0], colours[1]);
    if (window.text_slot && window.text_slot->sprite) {
      AdvRevealApply(window.text_slot->sprite, window.reveal_map, window.laid_out_length + 64);
    }
  } else {
    window.line_kind = kLineClickWait;
    Paint(context, window.name_slot);
    Paint(context, window.text_slot);
    Paint(context, window.page_slot);
    AdvDrawText(context, window.page_slot ? window.page_slot->sprite : nullptr,
                window.page_text.data(), nullptr, nullptr, window.text_width,
                GameSize().game_height, window.font_size, window.ruby_size, window.colours,
                nullptr);
  }
  AdvTextIconPlace(context, window);
  AdvDebugPrint(kLogTrace, "text_redraw");
  context.history.off = 0;
  return 1;
}

int CmdSetTextMode(AdvContext& context) {
  const int32_t mode = PopArg(context);
  if (mode < 0 || mode > 2) {
    AdvDebugPrint(kLogError, "set_text_mode : [%d]範囲外のモードです", mode);
    return 0;
  }
  TextWindow& window = context.text_window;
  window.text_mode = mode;
  AdvGraphicSlotFreeNow(window.page_slot);
  window.page_slot = nullptr;
  if (mode != 1) {
    window.page_rect = {};
    ClearPage(window);
    TextSlotPlace(window.name_slot, window.name_x, window.name_y);
    TextSlotPlace(window.text_slot, window.text_x, window.text_y);
  } else {
    const YelInitParam size = GameSize();
    window.page_slot = AdvTextSpriteSlot(context, 6, size.game_width, size.game_height,
                                         window.page_rect[0], window.page_rect[1]);
    if (!window.page_slot) return 0;
  }
  AdvDebugPrint(kLogTrace, "set_text_mode %d", mode);
  return 1;
}

int CmdTextInitVisualNovelMode(AdvContext& context) {
  const auto a = PopArgs<4>(context);
  TextWindow& window = context.text_window;
  ClearPage(window);
  window.page_rect = {a[0], a[1], a[2], a[3]};
  AdvDebugPrint(kLogTrace, "text_init_visualnovelmode %d, %d, %d, %d", a[0], a[1], a[2], a[3]);
  return 1;
}

int CmdTextVnBr(AdvContext& context) {
  char* page = context.text_window.page_text.data();
  const size_t used = strnlen(page, kTextBytes - 1);
  if (used + 4 <= kTextBytes - 1) std::memcpy(page + used, "<br>", 5);
  AdvDebugPrint(kLogTrace, "text_vn_br");
  return 1;
}

}  // namespace adv
