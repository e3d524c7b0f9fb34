#include "program/sound/voice_hooks.h"

#include "program/game/adv_context.h"
#include "program/script/engine_log.h"
#include "program/script/script_run.h"
#include "program/sound/name_prefix.h"
#include "program/sound/sound_calls.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

// A hook is a short piece of script; one that runs this long without its ret is cut.
constexpr int32_t kHookStepLimit = 1 << 20;

// Main thread only: a hook that starts or stops voices does not start another hook.
bool g_hook_running = false;

int32_t ReturnDepth(AdvContext& context) {
  YelList* list = context.display_queue;
  return list ? yel::YelListGetDataCount(list, kListReturnPoint) : 0;
}

// Drops the return records a cut hook left above `depth`.
void DropReturnRecords(AdvContext& context, int32_t depth) {
  while (ReturnDepth(context) > depth) {
    auto* entry =
        reinterpret_cast<DataEntry*>(yel::YelListPop(context.display_queue, kListReturnPoint));
    if (!entry) break;
    yel::YelMemoryFree(entry);
  }
}

// Runs until the hook's own return record is gone, it yields, or the step limit.
bool StepUntilReturn(AdvContext& context, int32_t depth) {
  for (int32_t steps = 0; steps < kHookStepLimit && !yel::IsSystemEnd(); ++steps) {
    const ScriptStepResult result = ScriptStep(context);
    if (ReturnDepth(context) <= depth) return true;
    if (result != ScriptStepResult::kGoOn) return false;
  }
  return false;
}

}  // namespace

bool RunHookLabel(AdvContext& context, uint32_t offset) {
  if (g_hook_running) return false;
  ScriptState& script = context.script;
  const uint32_t caller_pc = script.pc;
  const uint32_t caller_position = context.script_position;
  const uint32_t caller_word = script.current_word;
  const int32_t caller_stop = script.stop;
  const int32_t points = script.point_count;
  const int32_t depth = ReturnDepth(context);
  if (!PushDataEntry(context, kListReturnPoint, caller_pc, kReturnHook)) return false;
  script.pc = script.origin + offset;
  g_hook_running = true;
  const bool returned = StepUntilReturn(context, depth);
  g_hook_running = false;
  if (!returned) {
    AdvDebugPrint(kLogError, "voice hook ended before its ret [%d]", script.pc);
    DropReturnRecords(context, depth);
    script.point_count = points;  // a wait inside the hook holds nothing of the caller
  }
  // The ret of a hook stops a pass; inside its caller the caller's own pass goes on.
  script.pc = caller_pc;
  script.stop = caller_stop;
  script.current_word = caller_word;
  context.script_position = caller_position;
  return returned;
}

int32_t AdvVoiceMixFind(AdvContext& context) {
  const std::string_view voice = FieldText(context.text_window.line.voice);
  if (voice.empty()) return -1;
  for (int32_t i = 0; i < kVoiceHookCount; ++i) {
    if (NamePrefixMatches(FieldText(context.sound.voice_hooks[i].name), voice)) return i;
  }
  return -1;
}

void AdvVoiceMixRunStart(AdvContext& context) {
  const int32_t hook = AdvVoiceMixFind(context);
  if (hook < 0) return;
  VoiceMixHook& entry = context.sound.voice_hooks[hook];
  entry.fired = 0;
  if (entry.start_label == 0) return;
  entry.fired = 1;
  RunHookLabel(context, entry.start_label);
}

void AdvVoiceMixRunEnd(AdvContext& context) {
  const SoundState& state = context.sound;
  for (int32_t ch = 0; ch < kVoiceSetChannelCount; ++ch) {
    const uint32_t handle = state.voice[ch].handle;
    if (handle != 0 && yel::YelSoundPlayIs(handle)) return;
  }
  const int32_t hook = AdvVoiceMixFind(context);
  if (hook < 0) return;
  VoiceMixHook& entry = context.sound.voice_hooks[hook];
  if (!entry.fired) return;
  entry.fired = 0;
  if (entry.end_label != 0) RunHookLabel(context, entry.end_label);
}

}  // namespace adv
