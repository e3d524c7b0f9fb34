// The save state of the context: the snapshot image of the last save point, the compressed image
// of the state before the last decided choice, the thumbnail, the save text and title, the font
// of the drawn save texts, where a restored snapshot resumes and what runs after a load.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace adv {

inline constexpr uint32_t kNoLoadAfter = 0xFFFFFFFF;
// The snapshot image never grows beyond this; neither does a save file that is read.
inline constexpr uint32_t kSnapshotBufferSize = 0x200000;
inline constexpr uint32_t kSaveTextSize = 4096;
inline constexpr uint32_t kEmptyTitle = 0x0FFFFFFF;

struct SaveState {
  int32_t mosaic = 0;  // thumbnails are made with the mosaic variant
  int32_t thumbnail_width = 0;
  int32_t thumbnail_height = 0;
  int32_t capture = 1;  // 1: save points capture the screen into the thumbnail
  // width x height 32-bit pixels; its size is the thumbnail byte count.
  std::vector<uint8_t> thumbnail;
  int32_t text_rect_width = 0;  // area of the drawn save text
  int32_t text_rect_height = 0;
  uint32_t resume_offset = 0;  // program counter at which a restored snapshot goes on
  uint32_t title = kEmptyTitle;
  uint16_t font_size = 0;
  uint16_t font_type = 0;
  uint16_t font_effect = 0;
  uint32_t text_colour = 0;  // 0xRRGGBB
  uint32_t effect_colour = 0;
  uint32_t load_after = kNoLoadAfter;  // label offset called after a load; kNoLoadAfter = none
  int32_t snapshot_ready = 0;
  int32_t save_point_lock = 0;  // non-zero: save points take no snapshot
  // The image of the last save point (kSnapshotBufferSize bytes once initialised).
  std::vector<uint8_t> buffer;
  uint32_t cursor = 0;     // after SaveSnapshot and after a restore: the image length
  uint32_t image_end = 0;  // length of the image last restored
  // Set when the last snapshot did not fit the buffer: that image is refused by every save.
  bool image_overflow = false;
  // The packed image of the state before the last choice; sized for the worst case of the code.
  std::vector<uint8_t> previous;
  uint32_t previous_raw_length = 0;  // 0: there is none
  uint32_t previous_packed_length = 0;
  std::array<char, kSaveTextSize> save_text{};
  // System memory words 509 and 511 as the last restored image recorded them.
  int32_t restored_history_position = 0;
  int32_t restored_history_counter = 0;
  // Set while history_load restores: the BGM is not restarted.
  bool history_restore = false;
};

}  // namespace adv
