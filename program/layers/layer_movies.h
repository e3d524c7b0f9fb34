// Movies: movie sprites (".mpg") shown on layers like pictures and played in place, and the
// full-screen video the platform plays over everything. The movie volume and its mute switch
// are cells 507 and 508 of the system memory, so they are kept with the system data.
#pragma once

#include <cstdint>

#include "YEL/yel.h"

namespace adv {

struct AdvContext;

inline constexpr int32_t kMovieVolumeCell = 507;  // 0-10000
inline constexpr int32_t kMovieMuteCell = 508;    // non-zero: muted

// The platform's movie volume from the two cells.
void AdvMovieApplyVolume(AdvContext& context);
// Cuts the name at its last ".", if any.
void AdvStripExtension(char* name);
// The movie sprite a layer shows, or null when the layer is empty or shows a picture.
YelSprite* AdvLayerMovieSprite(AdvContext& context, int32_t layer);

// `msp_wait`: starts the wait for the layer's movie sprite, which is told to stop looping; false
// (nothing waits) when the layer holds none.
bool MovieWaitBegin(AdvContext& context, int32_t layer, YelSprite* sprite);
// True while a wait runs.
bool MovieWaitRunning(const AdvContext& context);
// True once the waited movie has ended, the layer no longer holds it, or the script skips; the
// wait is over then.
bool MovieWaitOver(AdvContext& context);

}  // namespace adv
