// The frame clock: taken at the top of every frame, so that everything in one frame measures
// time from the same instant unless somebody refreshes it.
#include "YEL/core/system.h"
#include "os/clock.h"

extern "C" {

YEL_API uint32_t YeltimeGetTime(void) {
  yel::YelSystem* system = yel::System();
  return system ? system->frame_time.load() : 0;
}

YEL_API void YelUpdateTime(void) {
  if (yel::YelSystem* system = yel::System()) system->frame_time.store(os::TimeMs());
}

}  // extern "C"
