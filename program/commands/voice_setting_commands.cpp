// Commands of group 0x0D that shape how voices play: per-speaker volumes, autopan and the voice
// hooks. Every table index a script gives is checked; a bad one is logged at level 0 and the
// command does nothing else.
#include <cstring>

#include "program/commands/voice_commands.h"
#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/script/command_args.h"
#include "program/script/instructions.h"
#include "program/script/script_names.h"
#include "program/sound/name_prefix.h"
#include "program/sound/speaker_volumes.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr int32_t kKeepPrefix = -1;
constexpr int32_t kLogHookRange = 16;
constexpr size_t kPrefixLimit = 32;

// The speaker entry a script names (0-63, -1 the default); null, logged, for any other.
SpeakerVolume* SpeakerArgument(AdvContext& context, int32_t n, const char* command) {
  SpeakerVolume* entry =
      n == -1 ? &context.sound.default_speaker_volume : AdvSpeakerVolumeEntry(context.sound, n);
  if (!entry) AdvDebugPrint(kLogError, "%s error : no speaker entry %d", command, n);
  return entry;
}

// The 32-byte file name an argument resolves to, terminated.
std::string_view ResolvedName(AdvContext& context, uint32_t argument, bool mark,
                              std::array<char, kVoiceNameSize + 1>& name) {
  name.fill(0);
  AdvGetFileName(context, reinterpret_cast<uint8_t*>(name.data()), argument, mark);
  return {name.data(), std::strlen(name.data())};
}

// The entry's volume on every voice of channels 0-7, as voice_enable and set_voice_ex_volume
// apply it.
void ApplyToVoices(SoundState& state, const SpeakerVolume& entry) {
  const int32_t volume = SpeakerEntryChannelVolume(entry);
  for (int32_t ch = 0; ch < kVoiceSetChannelCount; ++ch) {
    if (state.voice[ch].handle != 0) yel::YelSoundSetVolumeChannel(state.voice[ch].handle, volume);
  }
}

// Code offset of a label; 0 for label 0 and for a label "Point.dat" does not hold (logged).
uint32_t LabelCodeOffset(AdvContext& context, int32_t label) {
  uint32_t offset = 0;
  if (label == 0 || !LabelOffset(context, static_cast<uint32_t>(label), &offset)) return 0;
  return offset;
}

bool HookIndex(int32_t hook) {
  return static_cast<uint32_t>(hook) < static_cast<uint32_t>(kVoiceHookCount);
}

}  // namespace

int CmdSetVoiceInfo(AdvContext& context) {
  const auto [n, file, volume, enable] = PopArgs<4>(context);
  SpeakerVolume* entry = SpeakerArgument(context, n, "set_voice_info");
  if (!entry) return 1;
  entry->volume = volume;
  entry->in_use = 1;
  entry->enable = enable;
  if (file != kKeepPrefix) {
    std::array<char, kVoiceNameSize + 1> name{};
    StoreFieldText(entry->name, ResolvedName(context, static_cast<uint32_t>(file), true, name));
  }
  AdvDebugPrint(kLogTrace, "set_voice_info  %d, %s, %d, %d", n,
                std::string(FieldText(entry->name)).c_str(), volume, enable);
  return 1;
}

int CmdVoiceEnable(AdvContext& context) {
  const auto [n, enable, apply] = PopArgs<3>(context);
  AdvDebugPrint(kLogTrace, "voice_enable  %d, %d, %d", n, enable, apply);
  SpeakerVolume* entry = SpeakerArgument(context, n, "voice_enable");
  if (!entry) return 1;
  if (!entry->in_use) {
    AdvDebugPrint(kLogError, "voice_enable not init : %d", n);
    return 1;
  }
  entry->enable = enable;
  if (apply) ApplyToVoices(context.sound, *entry);
  return 1;
}

int CmdIsVoiceEnable(AdvContext& context) {
  const int32_t n = PopArg(context);
  const SpeakerVolume* entry = SpeakerArgument(context, n, "is_voice_enable");
  const int32_t result = entry ? entry->enable : 0;
  SetCommandResult(context, result);
  AdvDebugPrint(kLogTrace, "[%d] is_voice_enable  %d", result, n);
  return 1;
}

int CmdVoiceExVolumeEnable(AdvContext& context) {
  context.sound.speaker_volume_switch = PopArg(context);
  return 1;
}

int CmdGetVoiceExVolume(AdvContext& context) {
  const int32_t n = PopArg(context);
  const SpeakerVolume* entry = SpeakerArgument(context, n, "get_voice_ex_volume");
  const int32_t result = entry ? entry->volume : 0;
  SetCommandResult(context, result);
  AdvDebugPrint(kLogTrace, "[%d] get_voice_ex_volume %d", result, n);
  return 1;
}

int CmdSetVoiceExVolume(AdvContext& context) {
  const auto [n, volume, apply] = PopArgs<3>(context);
  AdvDebugPrint(kLogTrace, "set_voice_ex_volume %d, %d, %d", n, volume, apply);
  SpeakerVolume* entry = SpeakerArgument(context, n, "set_voice_ex_volume");
  if (!entry) return 1;
  if (!entry->in_use) {
    AdvDebugPrint(kLogError, "set_voice_ex_volume not init : %d", n);
    return 1;
  }
  entry->volume = volume;
  if (apply) ApplyToVoices(context.sound, *entry);
  return 1;
}

int CmdVoiceAutopanInitialize(AdvContext& context) {
  const int32_t range = PopArg(context);
  context.sound.pan_range = range * 100;
  AdvDebugPrint(kLogTrace, "voice_autopan_initialize %d", range);
  return 1;
}

int CmdVoiceAutopanEnable(AdvContext& context) {
  context.sound.autopan_enable = PopArg(context);
  AdvDebugPrint(kLogTrace, "voice_autopan_enable %d", context.sound.autopan_enable);
  return 1;
}

int CmdSetVoiceAutopan(AdvContext& context) {
  const auto [index, value, file, mode] = PopArgs<4>(context);
  if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(kAutopanCount)) {
    AdvDebugPrint(kLogError, "set_voice_autopan error : no entry %d", index);
    return 1;
  }
  AutopanEntry& entry = context.sound.autopan[index];
  if ((value == -1 || value == -2) && mode == 0) {
    entry = AutopanEntry{};
    AdvDebugPrint(kLogTrace, "set_voice_autopan  %d, %d, %s, %d", index, value, "", mode);
    return 1;
  }
  entry.mode = mode;
  entry.source = mode != 0 ? value : AdvImageNoToSlot(static_cast<uint32_t>(value));
  std::array<char, kVoiceNameSize + 1> name{};
  const std::string_view prefix = ResolvedName(context, static_cast<uint32_t>(file), false, name);
  if (prefix.size() >= kPrefixLimit) {
    AdvDebugPrint(kLogError, "set_voice_autopan : size over[%s]", name.data());
    SetCommandResult(context, 0);
    return 1;
  }
  StoreFieldText(entry.name, prefix);
  AdvDebugPrint(kLogTrace, "set_voice_autopan  %d, %d, %s, %d", index, value, name.data(), mode);
  return 1;
}

int CmdIsVoiceAutopanEnable(AdvContext& context) {
  SetCommandResult(context, context.sound.autopan_enable);
  AdvDebugPrint(kLogTrace, "[%d] is_voice_autopan_enable", context.sound.autopan_enable);
  return 1;
}

int CmdVoiceCall(AdvContext& context) {
  const auto [hook, file, start, end] = PopArgs<4>(context);
  std::array<char, kVoiceNameSize + 1> name{};
  if (!HookIndex(hook)) {
    ResolvedName(context, static_cast<uint32_t>(file), false, name);
    AdvDebugPrint(kLogHookRange, "over voice_call %d, %s", hook, name.data());
    return 1;
  }
  VoiceMixHook& entry = context.sound.voice_hooks[hook];
  entry.start_label = LabelCodeOffset(context, start);
  entry.end_label = LabelCodeOffset(context, end);
  StoreFieldText(entry.name, ResolvedName(context, static_cast<uint32_t>(file), true, name));
  entry.fired = 0;
  AdvDebugPrint(kLogTrace, "voice_call %d, %s, %d, %d", hook, name.data(), start, end);
  return 1;
}

int CmdVoiceCallClear(AdvContext& context) {
  const int32_t hook = PopArg(context);
  AdvDebugPrint(kLogTrace, "voice_call_clear");
  if (hook != -1 && !HookIndex(hook)) {
    AdvDebugPrint(kLogError, "voice_call_clear error : no hook %d", hook);
    return 1;
  }
  for (int32_t i = 0; i < kVoiceHookCount; ++i) {
    if (hook != -1 && hook != i) continue;
    VoiceMixHook& entry = context.sound.voice_hooks[i];
    entry.fired = 0;
    entry.start_label = 0;
    entry.end_label = 0;  // the prefix stays
  }
  return 1;
}

}  // namespace adv
