// Sound start and stop with no sound channels: nothing to open or close.
#include "YEL/media/sound.h"

namespace yel {

bool SoundInitialize(YelSystem&) { return true; }
void SoundUninitialize(YelSystem&) {}

}  // namespace yel
