#include "program/savedata/thumbnail_capture.h"

#include "program/game/adv_context.h"
#include "program/savedata/snapshot_services.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

// The block size of the pixelated thumbnail, in target pixels.
constexpr int32_t kMosaicBlock = 6;

}  // namespace

void ThumbnailCapture(AdvContext& context) {
  SaveState& save = context.save;
  const int32_t width = save.thumbnail_width, height = save.thumbnail_height;
  if (width <= 0 || height <= 0 ||
      save.thumbnail.size() < static_cast<size_t>(width) * static_cast<size_t>(height) * 4) {
    return;
  }
  auto* pixels = reinterpret_cast<uint32_t*>(save.thumbnail.data());
  const uint32_t bytes = static_cast<uint32_t>(save.thumbnail.size());
  // When the frame cannot be read (the platform is not running) the pixels stay as they are.
  if (IsThumbnailMosaic(context)) {
    yel::YelThumbnailCreateMosaic(pixels, bytes, width, height, kMosaicBlock);
  } else {
    yel::YelThumbnailCreate(pixels, bytes, width, height);
  }
}

}  // namespace adv
