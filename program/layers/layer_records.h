// The records of layers and motion that the script engine keeps in its context and touches
// from the game task: the layer table, the screen-effect state and the action sets.
#pragma once

#include <array>
#include <cstdint>

namespace adv {

struct GraphicSlot;

inline constexpr int32_t kLayerCount = 128;
inline constexpr int32_t kFaceCount = 8;
inline constexpr int32_t kActionSetCount = 16;

struct LayerRecord {
  GraphicSlot* slot = nullptr;  // null while the layer is empty
  void* transition = nullptr;   // the layer's running transition
};

struct FaceEntry {
  std::array<int32_t, 4> words{};
};

struct LayerTable {
  std::array<LayerRecord, kLayerCount> layers{};
  std::array<FaceEntry, kFaceCount> faces{};
  int32_t run_no_wait = 0;  // the next run of the display queue shows at once, without transition
};

// A queued change of the display (show a layer, hide it, ...), applied by RunDisplayQueue in the
// order queued. The record is the 44 bytes of the queue: the operation code and ten words.
struct DisplayOp {
  uint32_t code = 0;
  std::array<int32_t, 10> words{};
};
static_assert(sizeof(DisplayOp) == 44);

// Show layer n: {kDisplayShowLayer, n}.
inline constexpr uint32_t kDisplayShowLayer = 0x30003;

// Wait bits of the screen-effect state.
enum ScreenEffectWait : uint32_t {
  kWaitShake = 1,
  kWaitFlush = 2,
  kWaitSnow = 4,
  kWaitSakura = 8,
  kWaitRaster = 16,
};

struct ScreenEffectState {
  uint32_t effect = 0;
  uint32_t wait_bits = 0;
};

inline constexpr int32_t kActionModeSync = 2;

struct ActionSet {
  int32_t in_use = 0;
  int32_t mode = 0;  // kActionModeSync: the script waits for the set
};

struct ActionManager {
  std::array<ActionSet, kActionSetCount> sets{};
};

}  // namespace adv
