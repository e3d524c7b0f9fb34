// The calls into the sound families that are not built yet: each leaves the sound as it is.
// Speaker volumes, autopan, voice hooks and background voices have their own files.
#include "program/sound/sound_calls.h"

namespace adv {

void AdvBgmDuck(SoundState&, int32_t) {}
void AdvBgmFadeStep(BgmChannel&) {}
void AdvBgmResume(AdvContext&, BgmChannel&, bool) {}

}  // namespace adv
