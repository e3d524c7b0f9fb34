// The calls into the sound families that are not built yet: each leaves the sound as it is.
// The BGM calls are in bgm_channels.cpp.
#include "program/sound/sound_calls.h"

namespace adv {

void AdvSpeakerVolumeApply(SoundState&, uint32_t, const char*) {}
bool AdvAutopanMatch(SoundState&, const char*, VoicePanBlock&) {
  return false;
}
void AdvVoiceAutopanUpdate(SoundState&, uint32_t, VoicePanBlock&) {}
void AdvBgvPauseForVoice(SoundState&, const char*) {}
void AdvBgvUpdate(SoundState&) {}
void AdvBgvEnableAll(SoundState&) {}
void AdvVoiceMixRunEnd(AdvContext&) {}
void AdvVoiceMixRunStart(AdvContext&) {}
// Until the pan conversions are built every position is the centre.
int32_t AdvPanFromPosition(const SoundState&, int32_t) {
  return 0;
}

}  // namespace adv
