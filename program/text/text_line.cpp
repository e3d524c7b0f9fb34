// The steps the line commands share, and the voiced road: the line's arguments wait in the
// pending line while the work thread loads its voice, and the AsyncFunction shows the line once
// the load has ended (or never began within its time-out).
#include "program/text/text_line.h"

#include <array>
#include <cstring>

#include "program/game/adv_context.h"
#include "program/layers/action_manager.h"
#include "program/script/engine_log.h"
#include "program/script/script_names.h"
#include "program/script/script_run.h"
#include "program/script/skip_state.h"
#include "program/sound/sound_calls.h"
#include "program/sound/voice_channels.h"
#include "program/sound/voice_load_worker.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"
#include "program/text/text_units.h"
#include "program/text/text_window.h"

namespace adv {
namespace {

// Skip bits under which a line's voice is not loaded: skip mode, Control, forced skips.
constexpr int32_t kNoVoiceLoadSkipBits = 0x35;

// The arguments of the line whose voice loads. The AsyncFunction takes no argument, so the line
// also keeps the context it belongs to. Main thread.
struct PendingTextLine {
  uint32_t voice = 0;
  uint32_t name = 0;
  uint32_t text = 0;
  int32_t time = 0;
  uint32_t kind = 0;
  AdvContext* context = nullptr;
};
PendingTextLine g_pending;
// The voice of a line shown while skipping: named by the line, never loaded. Main thread.
std::array<char, kVoiceNameSize> g_kept_name{};

bool ForcedSkip(AdvContext& context) {
  return (AdvSkipState(context) & SKIP_MASK_FORCED) != 0;
}

bool Recorded(uint32_t kind) {
  return !(kind & kLineEndsAfterReveal);
}

void CopyName(std::array<char, kVoiceNameSize>& out, const char* name) {
  out.fill(0);
  std::memcpy(out.data(), name, strnlen(name, out.size() - 1));
}

// The voice belongs to the line and plays: named, its hook started, recorded.
void NameLineVoice(AdvContext& context, TextWindow& window, const char* name, const char* log) {
  CopyName(window.line.voice, name);
  AdvVoiceMixRunStart(context);
  if (name[0] == 0) return;
  HistoryAddLine(context, name, HistoryPart::kVoice);
  AdvDebugPrint(kLogTrace, log, name);
  window.line_state |= 2;
}

// While skipping the voice is only named; else its load is posted. 0 when posted.
int LoadOrKeep(AdvContext& context, const char* name) {
  if (AdvSkipState(context) & kNoVoiceLoadSkipBits) {
    AdvVoiceCheck(context.sound, name, 1);
    CopyName(g_kept_name, name);
    return 1;
  }
  VoiceLoadRequest request;
  request.state = &context.sound;
  request.channel = 0;
  std::memcpy(request.name.data(), name, strnlen(name, request.name.size() - 1));
  request.request = 1;
  if (VoiceLoadStart(request)) return 0;
  AdvDebugPrint(kLogError, "text* : voice load not started %s", name);
  return 1;
}

void ShowPendingLine(AdvContext& context, TextWindow& window) {
  AdvTextLineBegin(context, window, Recorded(g_pending.kind));
  AdvTextLayoutName(context, window, g_pending.name);
  AdvTextLayoutLine(context, window, g_pending.text);
}

}  // namespace

bool AdvTextWindowReady(AdvContext& context, const char* name) {
  if (context.text_window.initialised) return true;
  AdvDebugPrint(kLogError, "text initialize error : %s", name);
  return false;
}

void AdvTextLineBegin(AdvContext& context, TextWindow& window, bool recorded, bool appends) {
  if (!appends) window.line.text.fill(0);
  yel::YelFontGetColor(&window.saved_colours[0], &window.saved_colours[1]);
  window.colours = window.saved_colours;
  if (recorded) {
    HistoryAddLine(context, nullptr, HistoryPart::kOpen);
  } else {
    context.history.off = 1;
  }
}

void AdvTextLineCommit(AdvContext& context, TextWindow& window, bool recorded) {
  if (recorded) {
    HistoryAddLine(context, nullptr, HistoryPart::kCommit);
    // The shown text always fits the save text with its terminator: it is cut to whole
    // characters within the buffer.
    auto& save_text = context.save.save_text;
    save_text.fill(0);
    std::memcpy(save_text.data(), window.line.text.data(),
                WholeCharacterBytes(window.line.text.data(), save_text.size() - 1));
  }
  window.colours = window.saved_colours;
  yel::YelFontSetColor(window.colours[0], window.colours[1]);
}

void AdvTextLineAfterTime(AdvContext& context, TextWindow& window, bool recorded) {
  window.auto_word = 0;
  if (!recorded) context.history.off = 0;
}

void AdvTextLineShow(AdvContext& context, TextWindow& window, bool holds, bool page_pass) {
  AdvTextWindowShow(context, window, 1);
  if (ForcedSkip(context)) AdvActionClearReserve(context);
  if (holds) ScriptPointPush(context);
  if (page_pass && window.text_mode == 1) AdvTextPageLayout(context, window);
  AdvTextIconPlace(context, window);
  context.script.stop = 1;
}

int AdvTextShowWithVoice(AdvContext& context, uint32_t voice, uint32_t name, uint32_t text,
                         int32_t time, uint32_t kind) {
  AdvDebugPrint(kLogTrace, "script_point %08x(%08x)", context.script.pc, context.script_position);
  AdvDumpReturnStack(context);
  g_pending = PendingTextLine{voice, name, text, time, kind, &context};
  AdvSetAsyncFunction(nullptr);
  if (!AdvTextWindowReady(context, "text*")) return 0;
  TextWindow& window = context.text_window;
  window.voice_operand = voice;
  window.name_operand = name;
  window.text_operand = text;
  window.time_word = time;
  window.line_state = 0;
  window.external_word = 0;
  // The scene-skip stop gives the time word back by the line's kind, so the kind is set while it
  // looks; the line has none while its voice loads.
  window.line_kind = kind;
  if (AdvTextSceneSkipStop(context, window)) return 1;
  window.line_kind = 0;
  AdvVoiceLoadPendingSet(true);
  if (AdvTextVoiceStart(context, window, voice) == 0) {
    AdvSetAsyncFunction(AdvTextVoiceAsyncPoll);
    return 1;
  }
  AdvVoiceLoadPendingSet(false);
  ShowPendingLine(context, window);
  NameLineVoice(context, window, g_kept_name.data(), "text* : voice %s");
  return AdvTextFinishVoicedLine(context, yel::YeltimeGetTime());
}

int AdvTextVoiceStart(AdvContext& context, TextWindow& window, uint32_t voice) {
  g_kept_name.fill(0);
  char name[kVoiceNameSize] = {};
  if (voice != kNoTextOperand) {
    AdvGetFileName(context, reinterpret_cast<uint8_t*>(name), voice, true);
    name[kVoiceNameSize - 1] = 0;
  }
  if (voice != kNoTextOperand && !AdvTextVoiceOfMissingPack(name)) {
    AdvTextLineVoicesStop(context);
    context.sound.voice_wait_mask = 0;
    window.line.voice.fill(0);
    if (name[0] != 0) return LoadOrKeep(context, name);
  }
  if (context.sound.voice_cut) AdvTextLineVoicesStop(context);
  window.line.voice.fill(0);
  return 1;
}

void AdvTextVoiceAsyncPoll() {
  if (!g_pending.context) {
    AdvSetAsyncFunction(nullptr);
    return;
  }
  AdvTextVoicePollStep(*g_pending.context, yel::YeltimeGetTime());
}

int AdvTextVoicePollStep(AdvContext& context, uint32_t now) {
  const VoiceLoadStatus status = VoiceLoadPoll();
  if (status == VoiceLoadStatus::kPending) return 0;
  AdvSetAsyncFunction(nullptr);
  // The end or a scene reset settled the load: its line belongs to a scene that is gone.
  if (!AdvVoiceLoadPendingGet()) return 0;
  const VoiceLoadRequest& request = VoiceLoadCurrentRequest();
  if (status == VoiceLoadStatus::kDropped) {
    AdvDebugPrint(kLogError, "text : voice load dropped %s", request.name.data());
  }
  TextWindow& window = context.text_window;
  ShowPendingLine(context, window);
  AdvVoiceLoadPendingSet(false);
  if (status == VoiceLoadStatus::kDone && VoiceLoadResult() == kVoiceStarted) {
    VoiceStartLoaded(context.sound, request.loaded, request.flags, request.fade);
    NameLineVoice(context, window, request.name.data(), "text : voice %s");
  }
  AdvTextFinishVoicedLine(context, now);
  return 1;
}

int AdvTextFinishVoicedLine(AdvContext& context, uint32_t now) {
  TextWindow& window = context.text_window;
  const uint32_t kind = g_pending.kind;
  window.line_kind = kind;
  AdvTextLineCommit(context, window, Recorded(kind));
  AdvTextSetTime(context, window, g_pending.time, now);
  AdvTextLineAfterTime(context, window, Recorded(kind));
  AdvDebugPrint(kLogTrace, "text*  %s", window.line.text.data());
  AdvTextLineShow(context, window, !(kind & kLineNotHeld), Recorded(kind));
  return 1;
}

}  // namespace adv
