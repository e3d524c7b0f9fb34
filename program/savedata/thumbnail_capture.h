// The thumbnail that a save shows: scaled from the last presented frame at save points.
#pragma once

namespace adv {

struct AdvContext;

// Scales the last presented frame into the thumbnail of the save state (the mosaic variant when
// IsThumbnailMosaic). While no frame can be read (the platform does not run) the pixels stay as
// they are (cleared when the thumbnail was allocated).
void ThumbnailCapture(AdvContext& context);

}  // namespace adv
