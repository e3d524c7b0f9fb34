// The thumbnail that a save shows: scaled from the last presented frame at save points.
#pragma once

namespace adv {

struct AdvContext;

// Scales the last presented frame into the thumbnail of the save state (the mosaic variant when
// IsThumbnailMosaic). The platform library does not make thumbnails yet, so until it does the
// pixels stay as they are (cleared when the thumbnail was allocated).
void ThumbnailCapture(AdvContext& context);

}  // namespace adv
