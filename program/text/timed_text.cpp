// The timed text task. Its sprite and map belong to the task from the moment they are made, so
// ending the task at any point (before its first step too) releases them, and only once.
#include "program/text/timed_text.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "program/game/adv_context.h"
#include "program/script/engine_log.h"
#include "program/script/skip_state.h"
#include "program/sound/sound_calls.h"
#include "program/startup/yel_import.h"
#include "program/text/text_layout.h"
#include "program/text/text_records.h"
#include "program/text/text_window.h"

namespace adv {
namespace {

constexpr int32_t kTimedTextPriority = 4866;
constexpr uint32_t kHoldExtraMs = 500;
constexpr int32_t kRevealTail = 64;
constexpr uint32_t kTaskLink = 2;

int32_t NextPowerOfTwo(int32_t value) {
  int32_t p = 1;
  while (p < value && p < (1 << 14)) p <<= 1;
  return p;
}

// The task's layout and map build see only the task's glyphs: the window's shown and new glyphs
// are put aside for the call and come back unchanged, so a line continued by text_cat keeps its
// earlier glyphs and the task never keys the window's.
class LentGlyphs {
 public:
  explicit LentGlyphs(GlyphList& own) : own_(own) {
    ShownGlyphList().swap(shown_);
    NewGlyphList().swap(own_);
  }
  ~LentGlyphs() {
    NewGlyphList().swap(own_);
    ShownGlyphList().swap(shown_);
  }
  LentGlyphs(const LentGlyphs&) = delete;
  LentGlyphs& operator=(const LentGlyphs&) = delete;

 private:
  GlyphList& own_;
  GlyphList shown_;
};

int32_t Setting(const TimedText& timed, int32_t SystemSettings::*word) {
  const AdvContext* context = timed.context;
  return context && context->task_data ? context->task_data->system.settings.*word : 0;
}

// The reveal time of the text; 0 when it is shown whole (text speed 0, or a font size or length
// that gives no time).
uint32_t RevealTime(const TimedText& timed) {
  return TextTimeFor(timed.length, timed.font_size, Setting(timed, &SystemSettings::text_speed));
}

void Release(TimedText& timed) {
  if (timed.sprite) yel::YelSpriteRelease(timed.render, timed.sprite);
  timed.sprite = nullptr;
  AdvRevealMapRelease(timed.map);
  timed.glyphs.clear();
  timed.running = 0;
}

void RevealStep(TimedText& timed, uint32_t now) {
  const uint32_t duration = RevealTime(timed);
  const int64_t whole = int64_t{timed.length} + kRevealTail;
  if (duration == 0) {
    timed.position = static_cast<int32_t>(std::min<int64_t>(whole, INT32_MAX));
    AdvRevealApply(timed.sprite, timed.map, timed.position);
  } else {
    const uint32_t elapsed = std::min(now - timed.reveal_start, duration);
    timed.position = static_cast<int32_t>(static_cast<double>(elapsed) / duration * whole);
    AdvRevealApply(timed.sprite, timed.map, timed.position);
    if (elapsed >= duration) {
      timed.hold_time =
          TextTimeFor(timed.length, timed.font_size, Setting(timed, &SystemSettings::auto_speed)) +
          kHoldExtraMs;
      timed.hold_start = now;
      timed.revealing = false;
    }
  }
  if (timed.context) AdvVoiceMixRunEnd(*timed.context);
}

int TimeCheckUpdate(void* data) {
  AdvTextTimeCheckStep(*static_cast<TimedText*>(data), yel::YeltimeGetTime());
  return 1;
}

int TimeCheckInit(void* data) {
  static_cast<TimedText*>(data)->running = 1;
  return yel::YelTaskChangeNextImm(TimeCheckUpdate);
}

int TimeCheckRelease(void* data) {
  auto* timed = static_cast<TimedText*>(data);
  Release(*timed);
  timed->~TimedText();
  return 1;
}

}  // namespace

YelTask* AdvTextTimeCheckStart(AdvContext& context, const char* text, int32_t x, int32_t y,
                               int32_t width, int32_t height) {
  if (width < 1 || width > kTimedTextMaxSize || height < 1 || height > kTimedTextMaxSize) {
    AdvDebugPrint(kLogError, "text_time_check_begin : size out of range %d x %d", width, height);
    return nullptr;
  }
  void* block = nullptr;
  YelTask* task = yel::YelTaskCreate(TimeCheckInit, TimeCheckRelease, sizeof(TimedText), &block,
                                     kTaskLink, nullptr, "AdvTextTimeCheckTask");
  if (!task || !block) return nullptr;
  auto* timed = new (block) TimedText();
  timed->context = &context;
  timed->render = context.render ? context.render : yel::YelRenderGetActive();
  std::memcpy(timed->text.data(), text, strnlen(text, kTimedTextBytes - 1));
  timed->x = x;
  timed->y = y;
  const int32_t font_size = std::clamp(yel::YelFontGetFontSize(), 0, kTimedTextMaxSize);
  timed->font_size = static_cast<uint16_t>(font_size);
  timed->font_type = static_cast<uint16_t>(yel::YelFontGetType());
  timed->font_effect = static_cast<uint16_t>(yel::YelFontGetEffect());
  width = (width + 3) / 4 * 4;
  const int32_t map_width = font_size + width;
  const int32_t sprite_height =
      NextPowerOfTwo(std::clamp(TextLayout().height_offset + height, 1, kTimedTextMaxSize));
  timed->sprite = yel::YelSpriteCreate(timed->render, NextPowerOfTwo(map_width), sprite_height,
                                       context.skip.priority_base + kTimedTextPriority);
  if (!timed->sprite) {
    AdvDebugPrint(kLogError, "text_time_check_begin : no sprite %d x %d", map_width, height);
    yel::YelTaskFree(task);
    return nullptr;
  }
  yel::YelSpriteSetPos(timed->sprite, static_cast<float>(x), static_cast<float>(y), 0);
  AdvRevealMapInit(map_width, height, font_size, 0, timed->map);
  // The map covers no pixel the texture lacks.
  int32_t pitch = 0, rows = 0;
  if (yel::YelSpriteLock(timed->sprite, &pitch, &rows)) {
    yel::YelSpriteUnlock(timed->sprite);
    AdvRevealMapFitTexture(timed->map, pitch, rows);
  } else {
    AdvRevealMapFitTexture(timed->map, 0, 0);
  }
  std::array<uint32_t, 2> colours{};
  yel::YelFontGetColor(&colours[0], &colours[1]);
  {
    LentGlyphs lent(timed->glyphs);
    timed->length = AdvDrawText(context, timed->sprite, timed->text.data(), nullptr, nullptr, width,
                                height, font_size, 0, colours, &timed->map);
  }
  yel::YelSpriteViewCtrl(timed->sprite, 1);
  return task;
}

TimedText* AdvTextTimeCheckData(YelTask* task) {
  return task ? static_cast<TimedText*>(yel::YelTaskGetTaskData(task)) : nullptr;
}

void AdvTextTimeCheckEnd(TextWindow& window) {
  YelTask* task = window.time_check_task;
  window.time_check_task = nullptr;
  if (!task) return;
  if (TimedText* timed = AdvTextTimeCheckData(task)) Release(*timed);
  yel::YelTaskFree(task);
}

void AdvTextTimeCheckClear(TextWindow& window) {
  TimedText* timed = AdvTextTimeCheckData(window.time_check_task);
  // A text shown whole has no saved alpha to bring its pixels back with.
  if (!timed || timed->hold_time != 0 || !timed->sprite || !timed->map.ready) return;
  int32_t pitch = 0, rows = 0;
  uint32_t* pixels = yel::YelSpriteLock(timed->sprite, &pitch, &rows);
  if (!pixels) return;
  for (int32_t row = 0; row < rows; ++row) {
    uint32_t* line = pixels + static_cast<size_t>(row) * pitch;
    for (int32_t column = 0; column < pitch; ++column) line[column] &= 0x00FFFFFF;
  }
  yel::YelSpriteUnlock(timed->sprite);
  AdvRevealApply(timed->sprite, timed->map, timed->position);
}

void AdvTextTimeCheckStep(TimedText& timed, uint32_t now) {
  if (!timed.sprite) return;
  if (!timed.revealing) {
    if (now - timed.hold_start < timed.hold_time) return;
    timed.hold_time = 0;
    timed.reveal_start = now;
    AdvRevealMapReset(timed.map);
    timed.revealing = true;
    // A text shown whole is never hidden: there is no time to reveal it in.
    if (RevealTime(timed) != 0 && timed.context) {
      LentGlyphs lent(timed.glyphs);
      AdvRevealMapBuild(AdvSkipState(*timed.context), timed.sprite, timed.map);
    }
  }
  RevealStep(timed, now);
}

}  // namespace adv
