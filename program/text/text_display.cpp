// What the player sees of the message window besides the glyphs: showing and hiding it with its
// sprites, the wait icons (where they stand, which one shows) and the visual-novel page, which
// stacks the lines of a page in text mode 1.
#include <cstring>

#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_table.h"
#include "program/layers/sprite_loader.h"
#include "program/script/engine_log.h"
#include "program/script/skip_state.h"
#include "program/sound/sound_calls.h"
#include "program/startup/yel_import.h"
#include "program/text/text_layout.h"
#include "program/text/text_services.h"
#include "program/text/text_units.h"
#include "program/text/text_window.h"

namespace adv {
namespace {

void View(const GraphicSlot* slot, int32_t visible) {
  if (slot && slot->sprite) yel::YelSpriteViewCtrl(slot->sprite, visible);
}

int32_t RubyLift(const TextWindow& window) {
  return window.ruby_size + (TextLayout().ruby_space ? 4 : 0);
}

// Appends whole characters of `text` to the page text while they fit; a piece that does not fit
// whole is dropped.
void PageAppend(TextWindow& window, const char* text) {
  char* page = window.page_text.data();
  const size_t used = strnlen(page, kTextBytes - 1);
  const size_t n = std::strlen(text);
  if (used + n > kTextBytes - 1) return;
  std::memcpy(page + used, text, n);
  page[used + n] = 0;
}

}  // namespace

void TextSlotPlace(GraphicSlot* slot, int32_t x, int32_t y) {
  if (!slot) return;
  slot->position[0] = x;
  slot->position[1] = y;
  slot->float_position[0] = static_cast<float>(x);
  slot->float_position[1] = static_cast<float>(y);
}

int32_t TextTextureSide(int32_t value) {
  int32_t p = 1;
  while (p < value && p < (1 << 14)) p <<= 1;
  return p;
}

GraphicSlot* AdvTextSpriteSlot(AdvContext& context, int32_t entry, int32_t width, int32_t height,
                               int32_t x, int32_t y) {
  GraphicSlot* slot = AdvGraphicSlotAlloc(kSlotBankSystem, entry);
  if (!slot) return nullptr;
  slot->sprite = yel::YelSpriteCreate(context.render ? context.render : yel::YelRenderGetActive(),
                                      width, height, TextLayout().text_priority);
  if (!slot->sprite) {
    AdvGraphicSlotFreeNow(slot);
    return nullptr;
  }
  TextSlotPlace(slot, x, y);
  return slot;
}

bool AdvTextAreaFits(const char* command, int32_t text_width, int32_t text_height,
                     int32_t font_size) {
  // The sides TextTextureSide gives, without its cap, so a size past it shows as what it is.
  const auto side = [](int64_t value) {
    int64_t p = 1;
    while (p < value) p <<= 1;
    return p;
  };
  const int64_t line_width = int64_t{text_width} + font_size + TextLayout().wrap_margin;
  return AdvTextureFits(command, side(line_width), side(text_height));
}

void AdvTextMakeTextSlot(AdvContext& context, TextWindow& window) {
  const int32_t line_width = window.text_width + window.font_size + TextLayout().wrap_margin;
  AdvRevealMapInit(line_width, window.text_height, window.font_size, window.ruby_size,
                   window.reveal_map);
  AdvGraphicSlotFreeNow(window.text_slot);
  window.text_slot =
      AdvTextSpriteSlot(context, 4, TextTextureSide(line_width),
                        TextTextureSide(window.text_height), window.text_x, window.text_y);
  int32_t pitch = 0, rows = 0;
  if (window.text_slot && yel::YelSpriteLock(window.text_slot->sprite, &pitch, &rows)) {
    yel::YelSpriteUnlock(window.text_slot->sprite);
  }
  AdvRevealMapFitTexture(window.reveal_map, pitch, rows);
}

void AdvTextWindowShow(AdvContext& context, TextWindow& window, int32_t visible) {
  window.visible = visible;
  if (window.button_group != kNoButtonGroup) {
    AdvTextButtonGroupView(context, window.button_group, visible);
  }
  View(window.text_slot, visible);
  if (window.text_mode != 2) View(window.name_slot, visible);
  View(window.page_slot, visible);
  View(window.base_slot, visible);
  AdvFaceSetView(context, visible);
  const GraphicSlot* icon = window.icons[window.current_icon].slot;
  if (icon && icon->sprite) {
    if (!visible) {
      View(icon, 0);
    } else if (window.line_kind & kLineClickWait) {
      View(icon, 1);
    }
  }
  if (visible) AdvTextButtonsUpdate(context, window);
}

int AdvTextButtonsUpdate(AdvContext& context, TextWindow& window) {
  if (window.button_group == kNoButtonGroup) return 0;
  const bool name_shown =
      window.text_mode == 0 && window.line.name[0] != 0 && (window.line_state & 1) != 0;
  AdvTextSpecialButtonsUpdate(context, window.button_group, name_shown, window.line.voice[0] != 0,
                              (window.line_state & 2) != 0);
  return 1;
}

int AdvTextIconPlace(AdvContext& context, TextWindow& window) {
  if (AdvSkipState(context) & SKIP_MASK_FORCED) return 1;
  const int32_t width_offset = TextLayout().width_offset;
  for (TextIcon& icon : window.icons) {
    if (!icon.slot) break;
    int32_t x = 0, y = 0;
    if (window.icon_mode == 1 && window.text_mode == 1) {
      x = window.page_icon_x + width_offset;
      y = window.page_icon_y + RubyLift(window);
    } else if (window.icon_mode == 1) {
      x = window.text_x + window.cursor_x + width_offset;
      y = window.text_y + window.cursor_y + RubyLift(window);
      if (window.cursor_x > window.text_width) {
        x = window.text_x;
        if (window.font_size + window.ruby_size + window.cursor_y <= window.text_height) {
          y += window.font_size + RubyLift(window);
        }
      }
    }
    TextSlotPlace(icon.slot, x, y);
  }
  return 1;
}

void AdvTextIconSelect(AdvContext& context, TextWindow& window, int32_t icon) {
  if (icon < 0 || icon > 2) return;
  if (!window.icons[window.current_icon].slot) {
    AdvVoiceMixRunEnd(context);
    return;
  }
  View(window.icons[window.current_icon].slot, 0);
  window.current_icon = icon;
  const GraphicSlot* slot = window.icons[icon].slot;
  if (slot && window.visible) {
    if (window.external_word) {
      AdvDebugPrint(16, "bExternal = 1 : %s", window.line.text.data());
    } else if ((icon == 0 && (window.line_kind & kLineClickWait)) ||
               (icon != 0 && window.text_mode != 1)) {
      View(slot, 1);
    }
  }
  AdvVoiceMixRunEnd(context);
}

void AdvTextPageLayout(AdvContext& context, TextWindow& window) {
  const TextSettings& settings = TextLayout();
  const YelSprite* text_sprite = window.text_slot ? window.text_slot->sprite : nullptr;
  const int32_t text_height =
      text_sprite ? yel::YelSpriteGetHeight(const_cast<YelSprite*>(text_sprite)) : 0;
  if (int64_t{window.page_end_y} + text_height + window.font_size + window.page_rect[1] +
          settings.line_interval >
      window.page_rect[3]) {
    window.page_name_flag = 0;
    window.page_line_x = window.page_end_y = 0;
    window.page_icon_x = window.page_icon_y = 0;
    window.page_text.fill(0);
  }
  YelSprite* page = window.page_slot ? window.page_slot->sprite : nullptr;
  if (!(AdvSkipState(context) & SKIP_MASK_FORCED) && page) {
    yel::YelSpritePaint(page, nullptr, settings.paint_colour);
  }
  const std::array<uint32_t, 2> colours =
      settings.read_colour_on ? settings.read_colours : window.colours;
  yel::YelFontSetColor(colours[0], colours[1]);
  int32_t y = 0;
  YelInitParam system{};
  yel::YelGetSystemParameters(&system);
  const int32_t game_height = system.game_height;
  AdvDrawText(context, page, window.page_text.data(), nullptr, &y, window.text_width, game_height,
              window.font_size, window.ruby_size, colours, nullptr);
  y += window.page_rect[1];
  const int32_t x = window.page_rect[0];
  if (settings.read_colour_on) yel::YelFontSetColor(window.colours[0], window.colours[1]);
  const int32_t outline = yel::YelFontGetEffect() == 3 ? 2 : 0;
  const int32_t ruby_extra = settings.ruby_space ? 1 : -2;
  const int32_t pitch =
      window.font_size + window.ruby_size + ruby_extra + settings.line_interval + outline;
  if (window.name_operand != kNoTextOperand && window.name_operand != 0) {
    window.page_name_flag = 1;
    if (window.page_text[0] != 0) {
      PageAppend(window, "<br>");
      y += pitch;
    }
    if (window.ruby_size != 0) y += window.ruby_size + ruby_extra;
    TextSlotPlace(window.name_slot, x, y);
    PageAppend(window, window.line.name.data());
    PageAppend(window, "<br>");
    y += window.font_size + settings.line_interval + outline;
  } else if (window.page_name_flag) {
    window.page_name_flag = 0;
    PageAppend(window, "<br>");
    y += pitch;
  }
  TextSlotPlace(window.text_slot, x, y);
  PageAppend(window, window.line.text.data());
  PageAppend(window, "<br>");
  PageAppend(window, "<reset>");
  window.page_icon_x = window.cursor_x + x;
  window.page_icon_y = window.cursor_y + y;
  window.page_line_x = x;
  window.page_end_y = y + text_height;
}

}  // namespace adv
