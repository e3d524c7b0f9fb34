// The calls into the sound families that are not built yet: each leaves the sound as it is.
#include "program/sound/sound_calls.h"

namespace adv {

void AdvBgmDuck(SoundState&, int32_t) {}
void AdvBgmFadeStep(BgmChannel&) {}
void AdvBgmResume(AdvContext&, BgmChannel&, bool) {}
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

}  // namespace adv
