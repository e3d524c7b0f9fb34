// The line commands of group 0x02. Each takes a save point at itself, pops voice, name, text
// (and time), lets the message window lay the line out and start its voice, records it in the
// history when it is a recorded line, and holds the script until the text wait ends the line, or
// only ends the frame's script work. `text`, `text_w` and `text_n` take the voiced road while the
// voiced-text switch is on.
#include "program/commands/text_line_commands.h"

#include "program/game/adv_context.h"
#include "program/savedata/snapshot_services.h"
#include "program/script/command_args.h"
#include "program/script/engine_log.h"
#include "program/script/script_run.h"
#include "program/startup/yel_import.h"
#include "program/text/text_layout.h"
#include "program/text/text_line.h"
#include "program/text/text_reveal.h"
#include "program/text/text_services.h"
#include "program/text/text_window.h"

namespace adv {
namespace {

enum LineVariant {
  kPlain,
  kAppend,  // text_cat: the text goes after the shown text, the shown glyphs stay
  kHidden,  // text_h: time -2 shows the line at once and ends it in the next frame
};

struct LineRules {
  const char* name;  // in the error of a window not set up
  const char* log;
  uint32_t kind;
  bool has_time;
  bool voiced;  // takes the voiced road while the voiced-text switch is on
  bool recorded;
  int32_t latch;  // the advance latch while the main script runs
  LineVariant variant;
};

// clang-format off
//                   name        log             kind     time   voiced recorded latch
constexpr LineRules kText   {"text",     "text  %s",     0x10001, true,  true,  true,  0, kPlain};
constexpr LineRules kTextW  {"text_w",   "text_w  %s",   0x20001, true,  true,  true,  1, kPlain};
constexpr LineRules kTextA  {"text_a",   "text_a  %s",   0x40001, false, false, true,  0, kPlain};
constexpr LineRules kTextWa {"text_wa",  "text_wa  %s",  0x60001, false, false, true,  1, kPlain};
constexpr LineRules kTextN  {"_text_n",  "text_n  %s",   0x80001, true,  true,  false, 1, kPlain};
constexpr LineRules kTextCat{"text_cat", "text_cat  %s", 0x10001, true,  false, false, 0, kAppend};
constexpr LineRules kTextH  {"text_h",   "text_h  %s",   0x10001, true,  false, false, 0, kHidden};
constexpr LineRules kTextWh {"text_wh",  "text_wh  %s",  0x20001, true,  false, false, 1, kPlain};
// clang-format on

constexpr int32_t kShowAtOnceTime = -2;
constexpr uint32_t kHiddenLineKind = 0x40009;

struct LineArgs {
  uint32_t voice = 0, name = 0, text = 0;
  int32_t time = 0;
};

LineArgs PopLine(AdvContext& context, bool has_time) {
  LineArgs a;
  a.voice = static_cast<uint32_t>(PopArg(context));
  a.name = static_cast<uint32_t>(PopArg(context));
  a.text = static_cast<uint32_t>(PopArg(context));
  if (has_time) a.time = PopArg(context);
  return a;
}

bool ShowsAtOnce(const LineRules& command, const LineArgs& args) {
  return command.variant == kHidden && args.time == kShowAtOnceTime;
}

// The glyph lists of a new line: an appended line keeps the glyphs on show fully revealed.
void PrepareGlyphs(const LineRules& command) {
  if (command.variant == kAppend) {
    ShownGlyphList().insert(ShownGlyphList().end(), NewGlyphList().begin(), NewGlyphList().end());
  } else {
    ShownGlyphList().clear();
  }
}

// Stores the line's operands and kind; false when the scene-skip stop took the line over. The
// stop gives the arguments back as the script pushed them, so the window holds them as popped
// while it looks, and the stored variants of text_h and text_cat only afterwards.
bool StoreLine(AdvContext& context, TextWindow& window, const LineRules& command,
               const LineArgs& args) {
  window.voice_operand = args.voice;
  window.name_operand = args.name;
  window.text_operand = args.text;
  if (command.has_time) window.time_word = args.time;
  window.line_kind = command.kind;
  if (command.variant != kAppend) window.line_state = 0;
  window.external_word = 0;
  if (AdvTextSceneSkipStop(context, window)) return false;
  if (ShowsAtOnce(command, args)) window.time_word = -1;
  if (command.variant == kAppend) window.text_operand = window.set_history_text;
  return true;
}

// The appended text's reveal starts where the shown text's ended, in proportion to its time.
void AppendHeadStart(TextWindow& window, int32_t before, int32_t time) {
  const TextSettings& s = TextLayout();
  if (s.animation_type || !s.animation_fade || s.space_skip || time == 0) return;
  if (window.laid_out_length <= 0) return;
  const float share = static_cast<float>(before) / static_cast<float>(window.laid_out_length);
  window.reveal_head_start =
      static_cast<uint32_t>(static_cast<int32_t>(share * static_cast<float>(time)));
}

void SetLineTime(AdvContext& context, TextWindow& window, const LineRules& command,
                 const LineArgs& args, int32_t before) {
  if (!command.has_time) return;
  const uint32_t now = yel::YeltimeGetTime();
  if (ShowsAtOnce(command, args)) {
    window.line_kind = kHiddenLineKind;
    window.wait_time = 0xFFFFFFFF;
    window.wait_start = now;
    window.click_wait_time = 0;
    return;
  }
  AdvTextSetTime(context, window, window.time_word, now);
  if (command.variant == kAppend) AppendHeadStart(window, before, args.time);
}

int RunLine(AdvContext& context, const LineRules& command) {
  AdvDebugPrint(kLogTrace, "script_point %08x(%08x)", context.script.pc, context.script_position);
  AdvDumpReturnStack(context);
  if (GetScriptThreadId() == kRunMain) Advance().on = command.latch;
  TextRevealDone() = {};
  PrepareGlyphs(command);
  TakeSavePoint(context, context.script.pc - 12);
  if (command.voiced && TextLayout().voice_async) {
    const LineArgs a = PopLine(context, true);
    return AdvTextShowWithVoice(context, a.voice, a.name, a.text, a.time, command.kind);
  }
  const LineArgs args = PopLine(context, command.has_time);
  if (!AdvTextWindowReady(context, command.name)) return 0;
  TextWindow& window = context.text_window;
  if (!StoreLine(context, window, command, args)) return 1;
  const bool appends = command.variant == kAppend;
  AdvTextLineBegin(context, window, command.recorded, appends);
  AdvTextLayoutName(context, window, window.name_operand);
  const int32_t before = window.laid_out_length;
  if (appends) {
    AdvTextAppendLine(context, window, args.text);
  } else {
    AdvTextLayoutLine(context, window, window.text_operand);
    AdvTextLineVoice(context, window, window.voice_operand);
  }
  AdvTextLineCommit(context, window, command.recorded);
  SetLineTime(context, window, command, args, before);
  AdvTextLineAfterTime(context, window, command.recorded);
  if (appends) AdvTextRevealStep(context, window, 0, yel::YeltimeGetTime());
  const bool page_pass = command.kind != kTextN.kind && !appends && !ShowsAtOnce(command, args);
  AdvTextLineShow(context, window, !(window.line_kind & kLineNotHeld), page_pass);
  AdvDebugPrint(kLogTrace, command.log, window.line.text.data());
  return 1;
}

}  // namespace

int CmdText(AdvContext& context) {
  return RunLine(context, kText);
}
int CmdTextW(AdvContext& context) {
  return RunLine(context, kTextW);
}
int CmdTextA(AdvContext& context) {
  return RunLine(context, kTextA);
}
int CmdTextWa(AdvContext& context) {
  return RunLine(context, kTextWa);
}
int CmdTextN(AdvContext& context) {
  return RunLine(context, kTextN);
}
int CmdTextCat(AdvContext& context) {
  return RunLine(context, kTextCat);
}
int CmdTextH(AdvContext& context) {
  return RunLine(context, kTextH);
}
int CmdTextWh(AdvContext& context) {
  return RunLine(context, kTextWh);
}

}  // namespace adv
