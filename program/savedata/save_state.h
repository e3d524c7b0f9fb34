// The snapshot and save state of the context: where a restored snapshot resumes, the label
// called after a load, the save-point lock and the image of the last save point. Only what the
// interpreter's save points and reloads use is here so far: the image holds the resume offset
// and the return list, and the image of the other blocks joins it with the save code.
#pragma once

#include <cstdint>
#include <vector>

namespace adv {

inline constexpr uint32_t kNoLoadAfter = 0xFFFFFFFF;

struct SaveState {
  uint32_t resume_offset = 0;          // program counter at which a restored snapshot goes on
  uint32_t load_after = kNoLoadAfter;  // label offset called after a load; kNoLoadAfter = none
  int32_t save_point_lock = 0;         // non-zero: save points take no snapshot
  int32_t thumbnail_mosaic = 0;        // save_thumbnail_mosaic_set: thumbnails drawn as mosaic
  int32_t snapshot_ready = 0;
  uint32_t cursor = 0;               // length of the image after SaveSnapshot
  uint32_t previous_raw_length = 0;  // 0: no snapshot of the state before the last choice
  // The return records of the image (script offsets, oldest first).
  std::vector<uint32_t> return_offsets;
};

}  // namespace adv
