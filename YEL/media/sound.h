// Sound as the life cycle sees it: started with the system and stopped at the end.
#pragma once

namespace yel {

struct YelSystem;

bool SoundInitialize(YelSystem& system);
void SoundUninitialize(YelSystem& system);

}  // namespace yel
