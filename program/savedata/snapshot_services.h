// Save points and the snapshot image: taking it, restoring it, rebuilding the scene from it, and
// the packed image of the state before the last decided choice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace adv {

struct AdvContext;

// Thumbnail of a tenth of the game size, capture on, the two image buffers allocated
// zero-filled. False after "saveload initialize error" and the end request.
bool SaveStateInit(AdvContext& context);
// Load-after offset := none, snapshot-ready and save-point lock := 0, capture on (part of the
// scene reset).
void SaveStateReset(AdvContext& context);
void SaveStateRelease(AdvContext& context);
// Unless the save-point lock is set: resume offset := `resume`, cursor := 0 and SaveSnapshot.
void TakeSavePoint(AdvContext& context, uint32_t resume);
// Writes the image of the current state from byte 0; the cursor ends at its length. An image
// that does not fit the buffer is logged ("save buffer over") and marked, and no save writes it.
bool SaveSnapshot(AdvContext& context);
// Restores the game from an image: it is decoded and checked whole first, and only then is the
// scene reset and the image applied; the program counter becomes the resume offset. A damaged
// image is logged ("load error : ...") and refused, and the game goes on as it was.
bool RestoreSnapshot(AdvContext& context, std::string_view image);
// Rebuilds the scene from the image of the last save point and calls the load-after label (none:
// the pass stops). False, with nothing changed, when there is no image to rebuild from.
bool ReloadSnapshot(AdvContext& context);
// As ReloadSnapshot with the label at `offset` (from the code origin); 0 calls nothing.
bool ReloadSnapshotAt(AdvContext& context, uint32_t offset);
// The current image becomes the packed previous image (none when it cannot be packed).
void SnapshotCompress(AdvContext& context);
// Unpacks the previous image; false when there is none.
bool SnapshotExpand(AdvContext& context, std::string* image);
// The save text := the first `length` bytes of `text` (at most 4,095) and a terminator.
void SaveTextSet(AdvContext& context, const char* text, size_t length);
// The mosaic flag of the save state or the all-mosaic setting of the player's settings.
bool IsThumbnailMosaic(const AdvContext& context);
// Sets the thumbnail size; the new pixels are cleared. False, with nothing changed, for a size
// whose pixels would not fit a snapshot or cannot be allocated.
bool SetThumbnailSize(AdvContext& context, int32_t width, int32_t height);

}  // namespace adv
