// The voice of a line started within its text command: resolved, the previous voices stopped,
// loaded and started on channel 0, recorded in the line and the history. Also the voice cut at
// the end of a text wait and the voice queries of the wait.
#include <cstring>

#include "program/game/adv_context.h"
#include "program/script/engine_log.h"
#include "program/script/script_names.h"
#include "program/sound/sound_calls.h"
#include "program/sound/voice_channels.h"
#include "program/startup/yel_import.h"
#include "program/text/text_line.h"
#include "program/text/text_services.h"

namespace adv {
namespace {

bool StartsWithNoCase(const char* text, const char* prefix) {
  for (; *prefix; ++prefix, ++text) {
    const auto a = static_cast<unsigned char>(*text);
    const auto b = static_cast<unsigned char>(*prefix);
    if (a == 0) return false;
    if ((a >= 'a' && a <= 'z' ? a - 32 : a) != (b >= 'a' && b <= 'z' ? b - 32 : b)) return false;
  }
  return true;
}

// A speaker's voice name: "vo" in any case, a third byte of "0" or above, four bytes at least.
bool SpeakerVoiceName(const char* name) {
  return strnlen(name, 4) == 4 && StartsWithNoCase(name, "vo") &&
         static_cast<unsigned char>(name[2]) >= 0x30 && static_cast<unsigned char>(name[2]) < 0x80;
}

// A voice whose speaker volume would make it silent is not played; its name is still the
// line's. Speaker volumes apply only while their switch is on and only to speaker names, as
// they do when a voice starts, so a game that never set them hears its voices.
bool SpeakerMuted(const SoundState& state, const char* name) {
  if (!state.speaker_volume_switch || !SpeakerVoiceName(name)) return false;
  const SpeakerVolume* chosen = &state.default_speaker_volume;
  for (const SpeakerVolume& entry : state.speaker_volumes) {
    if (entry.in_use && entry.name[0] != 0 && StartsWithNoCase(name, entry.name.data())) {
      chosen = &entry;
      break;
    }
  }
  return !chosen->enable || chosen->volume <= 0;
}

void CopyVoiceName(std::array<char, 32>& line_voice, const char* name) {
  line_voice.fill(0);
  std::memcpy(line_voice.data(), name, strnlen(name, line_voice.size() - 1));
}

}  // namespace

bool AdvTextVoiceOfMissingPack(const char* name) {
  return std::strncmp(name, kVoicePackPrefix, kVoicePackPrefixLength) == 0 && !AdvVoicePackIs();
}

// The channels go first so that the hooks' end finds no voice playing, and the line still names
// the voice whose hook ends.
void AdvTextLineVoicesStop(AdvContext& context) {
  SoundState& state = context.sound;
  for (int32_t ch = 0; ch < kVoiceSetChannelCount; ++ch) {
    VoiceChannel& channel = state.voice[ch];
    if (channel.handle != 0) yel::YelSoundRelease(channel.handle);
    channel = VoiceChannel{};
  }
  AdvVoiceMixRunEnd(context);
  AdvBgvPauseForVoice(state, nullptr);
}

void AdvTextVoiceCut(AdvContext& context) {
  if (context.sound.voice_cut) AdvTextLineVoicesStop(context);
}

bool AdvTextVoiceStart(AdvContext& context, uint32_t voice_operand, char* name, size_t size) {
  TextWindow& window = context.text_window;
  char voice[kVoiceNameSize] = {};
  if (voice_operand != kNoTextOperand) {
    AdvGetFileName(context, reinterpret_cast<uint8_t*>(voice), voice_operand, true);
    voice[kVoiceNameSize - 1] = 0;
  }
  if (voice[0] == 0 || AdvTextVoiceOfMissingPack(voice)) {
    AdvTextVoiceCut(context);
    window.line.voice.fill(0);
    return false;
  }
  if (!SpeakerMuted(context.sound, voice)) {
    AdvTextLineVoicesStop(context);
    window.line.voice.fill(0);
    if (AdvVoicePlay(context, 0, voice, 0, 0, true) == kVoiceNotLoaded) return false;
    CopyVoiceName(window.line.voice, voice);
    AdvVoiceMixRunStart(context);
  }
  HistoryAddLine(context, voice, HistoryPart::kVoice);
  AdvDebugPrint(kLogTrace, "text : voice %s", voice);
  CopyVoiceName(window.line.voice, voice);
  if (size > 0) {
    const size_t n = std::min(strnlen(voice, sizeof voice), size - 1);
    std::memcpy(name, voice, n);
    name[n] = 0;
  }
  return true;
}

bool AdvVoicePlaying(AdvContext& context) {
  return AdvVoiceIsPlaying(context.sound);
}

bool AdvVoiceAudible(AdvContext& context) {
  return AdvVoiceIsAudible(context.sound);
}

}  // namespace adv
