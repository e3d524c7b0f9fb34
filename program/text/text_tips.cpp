// The in-text tips: what the layout records of each tip link, and the begin and end hooks that
// call the script's tips labels as subroutines (the return record leads back to the waiting
// line, whose script point holds the interpreter once the label returns).
#include "program/text/text_tips.h"

#include <algorithm>
#include <cstring>

#include "program/game/adv_context.h"
#include "program/script/engine_log.h"
#include "program/script/script_run.h"
#include "program/script/script_state.h"
#include "program/startup/yel_import.h"
#include "program/text/text_layout.h"
#include "program/text/text_services.h"
#include "program/text/text_units.h"
#include "program/text/tips_area.h"

namespace adv {

namespace {

constexpr uint32_t kBeginArmed = 0x00FF;
constexpr uint32_t kEndArmed = 0xFF00;
constexpr uint32_t kBothArmed = 0x0101;

// Words of a TipsEntry.
enum TipsWord : size_t {
  kNumber = 0,
  kFirstX = 1,
  kFirstY = 2,
  kFirstRight = 3,
  kFirstBottom = 4,
  kSecondX = 5,
  kSecondY = 6,
  kSecondRight = 7,
  kSecondBottom = 8,
  kFontSize = 9,
  kLinePitch = 10,
};

// The tip's number after "<d": -1 without digits; false for one beyond 32 bits.
bool TipNumber(const char* digits, int32_t* number) {
  if (*digits < '0' || *digits > '9') {
    *number = -1;
    return true;
  }
  int64_t n = 0;
  for (; *digits >= '0' && *digits <= '9'; ++digits) {
    n = n * 10 + (*digits - '0');
    if (n > INT32_MAX) return false;
  }
  *number = static_cast<int32_t>(n);
  return true;
}

// Copies [from, to) into a tip string, cut to whole characters of its 2,046 bytes.
void CopyTipText(std::array<char, kTipsStringSize>& out, const char* from, const char* to) {
  const size_t limit = std::min(static_cast<size_t>(to - from), kTipsStringSize - 1);
  const size_t n = WholeCharacterBytes(from, limit);
  std::memcpy(out.data(), from, n);
  out[n] = 0;
}

// The left edge of a part that does not start a line sits past the previous glyph's margin.
void WidenLeft(int32_t& x) {
  if (x > 0) x += TextLayout().wrap_margin;
}

void CallTipsLabel(AdvContext& context, uint32_t label) {
  // Without its return record the label's "ret" would have nowhere to go: the label is not run.
  if (!PushDataEntry(context, kListReturnPoint, context.script.pc, kReturnContinue)) return;
  context.script.pc = context.script.origin + label;
}

}  // namespace

void TipsLinks::Open(const char* tag, const char* text, int32_t x, int32_t y) {
  if (!area_) return;
  int32_t number = 0;
  if (!TipNumber(tag + 2, &number)) {
    AdvDebugPrint(kLogError, "tips : number out of range : %.*s", static_cast<int>(text - tag),
                  tag);
    entry_ = nullptr;
    return;
  }
  // The last entry is never filled: a full area starts again at entry 0.
  if (area_->count >= static_cast<uint32_t>(kTipsEntryCount - 1)) area_->count = 0;
  entry_ = &area_->entries[area_->count];
  entry_->words[kNumber] = number;
  entry_->words[kFirstX] = x;
  entry_->words[kFirstY] = y;
  entry_->wrapped = 0;
  start_ = text;
  split_ = nullptr;
  second_part_ = false;
  if (area_->colour_flag) yel::YelFontSetColor(area_->colours[0], area_->colours[1]);
  entry_->font = {yel::YelFontGetType(), yel::YelFontGetFontSize(), yel::YelFontGetEffect()};
}

void TipsLinks::Wrap(const char* unit, int32_t x, int32_t y, int32_t pitch) {
  // Only the first wrap splits the tip: a tip over three lines keeps its first line as the
  // first part and the rest as the second.
  if (!entry_ || entry_->wrapped) return;
  entry_->wrapped = 1;
  WidenLeft(entry_->words[kFirstX]);
  entry_->words[kFirstRight] = x + TextLayout().wrap_margin;
  entry_->words[kFirstBottom] = y + pitch;
  split_ = unit;
  second_part_ = true;
}

void TipsLinks::WrapDone(int32_t y) {
  if (!entry_ || !second_part_) return;
  entry_->words[kSecondX] = 0;
  entry_->words[kSecondY] = y;
  second_part_ = false;
}

void TipsLinks::Close(const char* at, int32_t x, int32_t y, int32_t size, int32_t pitch,
                      const std::array<uint32_t, 2>& colours) {
  if (!area_ || !entry_) return;
  TipsEntry& entry = *entry_;
  entry_ = nullptr;
  for (auto& text : entry.strings) text.fill(0);
  CopyTipText(entry.strings[0], start_, at);
  const int32_t margin = TextLayout().wrap_margin;
  if (!entry.wrapped) {
    entry.words[kFirstBottom] = y + pitch;
    WidenLeft(entry.words[kFirstX]);
    entry.words[kFirstRight] = x + margin;
  } else {
    entry.words[kSecondRight] = x + margin;
    entry.words[kSecondBottom] = y + pitch;
    CopyTipText(entry.strings[1], start_, split_);
    CopyTipText(entry.strings[2], split_, at);
  }
  entry.words[kFontSize] = size;
  entry.words[kLinePitch] = pitch;
  if (++area_->count >= static_cast<uint32_t>(kTipsEntryCount)) area_->count = 1;
  area_->state = (area_->state & ~0xFFFFu) | kBothArmed;
  if (area_->colour_flag) yel::YelFontSetColor(colours[0], colours[1]);
}

void AdvTipsBeginHook(AdvContext& context) {
  TipsArea& tips = context.tips;
  if (tips.pause != 0 || !(tips.state & kBeginArmed) || tips.begin_label == 0) return;
  CallTipsLabel(context, tips.begin_label);
  tips.pause = 1;
}

void AdvTipsEndHook(AdvContext& context) {
  TipsArea& tips = context.tips;
  if (!(tips.state & kEndArmed) || tips.end_label == 0) return;
  CallTipsLabel(context, tips.end_label);
  tips.pause = 0;
}

}  // namespace adv
