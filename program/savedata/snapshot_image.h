// The snapshot image: the head, then the blocks of every subsystem in their fixed order, each
// written and read field by field, little-endian. Head layout (byte offsets):
//   0 lock word (0 in every image a save point writes), 4 title, 8 save text (4,096 bytes),
//   4,104 mosaic flag, 4,108 resume offset, 4,112 load-after offset, 4,116 thumbnail width W,
//   4,120 height H, 4,124 byte count N (W x H x 4), 4,128 capture switch, 4,132 N pixel bytes.
//
// A restore never works on the running game directly: the image is first decoded into a
// SnapshotImage, where every count and length is checked against its table and against the end
// of the image; only a fully decoded image is applied. A damaged file therefore changes nothing.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "program/data/byte_io.h"
#include "program/buttons/button_snapshot.h"
#include "program/game/adv_context.h"
#include "program/layers/layer_snapshot.h"
#include "program/layers/screen_effects.h"
#include "program/text/text_snapshot.h"

namespace adv {

inline constexpr uint32_t kImageLockOffset = 0;
inline constexpr uint32_t kImageTitleOffset = 4;
inline constexpr uint32_t kImageSaveTextOffset = 8;
inline constexpr uint32_t kImageThumbnailWidthOffset = 4116;
inline constexpr uint32_t kImageThumbnailHeightOffset = 4120;
inline constexpr uint32_t kImageThumbnailBytesOffset = 4124;
inline constexpr uint32_t kImageThumbnailOffset = 4132;
inline constexpr uint32_t kFxEndMark = 0xFFFFFFFF;
inline constexpr int32_t kFxSlotCount = 8;
inline constexpr int32_t kSavedLayerCount = 64;
inline constexpr int32_t kSavedButtonGroups = 4;
// The flag bit of each argument part of the screen effects, in the order of the parts.
inline constexpr uint32_t kEffectPartBits[kEffectSnapshotParts] = {1, 4, 8, 16};

// Writes at the cursor of the 2 MiB snapshot buffer. A write that does not fit is dropped and
// the writer remembers it: an image with a dropped write is incomplete and must not be saved.
class SnapshotWriter {
 public:
  SnapshotWriter(uint8_t* buffer, uint32_t capacity, uint32_t cursor)
      : buffer_(buffer), capacity_(capacity), cursor_(cursor) {}

  void Bytes(const void* data, uint32_t length);
  void U32(uint32_t value);
  void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
  void U16(uint16_t value);
  template <size_t N>
  void Words(const std::array<int32_t, N>& words) {
    for (int32_t word : words) I32(word);
  }
  template <size_t N>
  void Words(const std::array<uint32_t, N>& words) {
    for (uint32_t word : words) U32(word);
  }
  template <size_t N>
  void Chars(const std::array<char, N>& chars) {
    Bytes(chars.data(), N);
  }

  uint32_t cursor() const { return cursor_; }
  bool overflow() const { return overflow_; }

 private:
  uint8_t* buffer_;
  uint32_t capacity_;
  uint32_t cursor_;
  bool overflow_ = false;
};

// Reads an image; the first failure is kept with its reason and every later read yields zeros.
class SnapshotReader {
 public:
  explicit SnapshotReader(std::string_view image) : reader_(image) {}

  uint32_t U32() { return reader_.U32(); }
  int32_t I32() { return reader_.I32(); }
  uint16_t U16() { return reader_.U16(); }
  bool Bytes(void* out, size_t length) { return Check(reader_.Bytes(out, length), "short"); }
  template <size_t N>
  void Words(std::array<int32_t, N>& words) {
    for (int32_t& word : words) word = I32();
  }
  template <size_t N>
  void Words(std::array<uint32_t, N>& words) {
    for (uint32_t& word : words) word = U32();
  }
  template <size_t N>
  void Chars(std::array<char, N>& chars) {
    Bytes(chars.data(), N);
  }
  // A count or length read from the image that must lie in [low, high].
  bool Bounded(int64_t value, int64_t low, int64_t high, const char* what);
  // Records why the image is refused (the first reason wins); always false.
  bool Refuse(const std::string& why);
  bool Check(bool condition, const char* why) { return condition || Refuse(why); }

  bool ok() const { return reader_.ok() && error_.empty(); }
  std::string error() const { return error_.empty() && !reader_.ok() ? "image too short" : error_; }
  size_t position() const { return reader_.position(); }
  size_t remaining() const { return reader_.remaining(); }

 private:
  ByteReader reader_;
  std::string error_;
};

struct FxEntry {
  uint32_t kind = 0;
  int32_t a = 0;
  int32_t b = 0;
  std::array<int32_t, 3> args{};
};

// Everything a snapshot holds, decoded; applied to the context only once it is whole.
struct SnapshotImage {
  // Head.
  uint32_t title = 0;
  std::array<char, kSaveTextSize> save_text{};
  int32_t mosaic = 0;
  uint32_t resume_offset = 0;
  uint32_t load_after = 0;
  int32_t thumbnail_width = 0;
  int32_t thumbnail_height = 0;
  int32_t capture = 0;
  std::vector<uint8_t> thumbnail;
  // Blocks 1 to 11.
  std::array<int32_t, kUserMemoryCells> user_memory{};
  int32_t memory_stack_depth = 0;
  std::array<std::array<int32_t, kMemoryStackCells>, kMemoryStackLevels> memory_stack{};
  int32_t string_cursor = 0;
  std::array<std::array<char, kStringVariableSize>, kStringVariableCount> string_variables{};
  int32_t priority_base = 0;
  int32_t key_cancel = 0;
  std::array<int32_t, 2> history_point{};  // words 1 and 2
  int32_t history_position = 0;            // system memory word 509
  int32_t history_counter = 0;             // system memory word 511
  int32_t value_count = 0;
  std::array<int32_t, kValueStackSize> value_stack{};
  int32_t frame_base = 0;
  int32_t frame_top = 0;
  std::array<int32_t, kFrameStackSize> frame_stack{};
  std::array<char, 32> player_name{};
  int32_t player_name_length = 0;
  int32_t player_name_changed = 0;
  // Block 12: button groups 0-3.
  SavedButtons buttons;
  // Blocks 13 and 14.
  int32_t select_image = 0;
  std::array<uint32_t, 3> select_colours{};
  std::array<uint32_t, 3> select_hooks{};
  ScriptThread thread;
  // Layers and effects (blocks 15 to 17).
  SavedLayers layers;
  EffectSnapshot effects;
  std::vector<FxEntry> fx;
  // Sound and history (blocks 18 to 21).
  std::array<BgmChannel, 2> bgm{};
  int32_t next_se_pan = 0;
  std::array<SeInfoEntry, kSeInfoCount> se_info{};
  std::array<SeChannelSetting, kSeChannelCount> se_settings{};
  std::array<SeChannel, 16> se{};
  std::array<AutopanEntry, 16> autopan{};
  std::array<BgvChannel, 8> bgv{};
  int32_t history_count = 0;
  std::array<HistoryEntry, kHistoryEntryCount> history{};
  // Block 23.
  SavedActions actions;
  // Block 24: return offsets, oldest first.
  std::vector<uint32_t> return_offsets;
  // Block 22: the message window.
  SavedTextWindow text_window;
};

// One block: its writer and its reader, run in the order of the block table.
struct SnapshotBlock {
  const char* name;
  void (*write)(const AdvContext& context, SnapshotWriter& out);
  bool (*read)(SnapshotReader& in, SnapshotImage& image);
};

// The head and the 24 blocks in image order.
const std::vector<SnapshotBlock>& SnapshotBlocks();

// Writes the whole image from byte 0; false when it did not fit the buffer.
bool EncodeSnapshot(const AdvContext& context, uint8_t* buffer, uint32_t capacity,
                    uint32_t* length);
// Decodes a whole image. Null, with the reason in `error`, when any count or length is out of
// its table, the image ends early or bytes are left over.
std::unique_ptr<SnapshotImage> DecodeSnapshot(std::string_view image, std::string* error);
// Hands every block of a decoded image to its owner, in image order, on a scene just reset; the
// program counter becomes the resume offset.
void ApplySnapshot(AdvContext& context, SnapshotImage& image);

}  // namespace adv
