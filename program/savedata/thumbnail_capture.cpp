#include "program/savedata/thumbnail_capture.h"

#include "program/game/adv_context.h"
#include "program/savedata/snapshot_services.h"

namespace adv {

void ThumbnailCapture(AdvContext& context) {
  // The call point of the platform's thumbnail scaler: YelThumbnailCreateMosaic(pixels, byte
  // count, width, height, 6) when mosaic, else YelThumbnailCreate(pixels, byte count, width,
  // height), once the library offers them.
  (void)IsThumbnailMosaic(context);
}

}  // namespace adv
