// The records of layers and motion that the script engine keeps in its context and touches
// from the game task: the layer table, the screen-effect state and the action sets.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "YEL/yel.h"
#include "program/layers/action_records.h"
#include "program/layers/screen_effect_records.h"

namespace adv {

struct GraphicSlot;

inline constexpr int32_t kLayerCount = 128;
inline constexpr int32_t kCompositionCount = 8;
inline constexpr int32_t kFaceCount = 8;

// Bits of LayerRecord::flags.
enum LayerFlag : uint32_t {
  kLayerFilterBits = 0x3FFF,
  kLayerComposition = 0x40000,  // the composition entries hold child links or operations
  kLayerShake = 0x200000,
  kLayerMovie = 0x400000,
  kLayerLoadPending = 0x800000,  // an image load runs on the work thread
  kLayerLocked = 0x1000000,
};

// Transition states of a layer.
enum LayerTransitionState : uint32_t {
  kTransitionNone = 0,
  kTransitionClearAtEnd = 1,  // the layer is cleared when its transition ends
  kTransitionChangePending = 2,
};

inline constexpr uint32_t kCompositionChildLink = 0x10000000;

// A child link or a recorded image operation of a layer.
struct CompositionEntry {
  uint32_t kind = 0;    // kCompositionChildLink, or an operation kind 1-14 in bits 0-27
  uint32_t target = 0;  // the child layer, or the operation's source layer or file argument
  std::array<int32_t, 8> parameters{};
  std::array<char, 32> name{};
  std::array<uint32_t, 2> kept{};
};

// A lock of a layer's pixels that the script holds (sp_pixel_lock): the script sees only the
// token, and a command that names it reaches the pixels only while the layer still shows the
// locked sprite. Zeroed with the record, so a released layer drops its lock.
struct PixelLock {
  YelSprite* sprite = nullptr;
  uint8_t* bytes = nullptr;
  size_t size = 0;  // row length x rows x 4
  int32_t row_length = 0;
  int32_t token = 0;  // 0: not locked
};

// A text drawn on a layer, with the font it was drawn in.
struct LayerTextItem {
  uint32_t tag = 1;  // kept with the item; nothing reads it
  uint32_t font_type = 0;
  uint32_t font_effect = 0;
  uint32_t font_size = 0;
  std::array<uint32_t, 2> colours{};  // text and effect colour
  int32_t x = 0, y = 0;
  std::string text;
};

struct LayerRecord {
  GraphicSlot* slot = nullptr;  // null while the layer is empty
  void* raster_effect = nullptr;
  int32_t script_value = 0;
  uint32_t flags = 0;
  uint32_t transition_state = kTransitionNone;
  uint32_t keep_previous = 0;           // a transition holds the previous sprite
  YelTransition* transition = nullptr;  // created on first use
  YelSprite* new_sprite = nullptr;
  YelSprite* previous_sprite = nullptr;
  int32_t transition_kind = 0;
  uint32_t transition_time = 0;
  uint32_t shake_mode = 0;  // 0 vertical, 1 horizontal, 2 both
  int32_t shake_amplitude = 0;
  uint32_t shake_duration = 0;  // 0xFFFFFFFF: until stopped
  uint32_t shake_start = 0;
  YelSprite* blink_sprite = nullptr;
  uint32_t movie_argument = 0;
  std::array<CompositionEntry, kCompositionCount> compositions{};
  PixelLock pixel_lock;
  // The texts sp_text drew on the layer, kept so that a rebuilt layer can draw them again. They
  // go whenever the record is zeroed.
  std::vector<LayerTextItem> text_items;
};

// A layer tied to the text window: the layer (-1 unused) and three words of the face commands.
struct FaceEntry {
  int32_t layer = -1;
  std::array<int32_t, 3> words{};
};

struct LayerTable {
  std::array<LayerRecord, kLayerCount> layers{};
  std::array<FaceEntry, kFaceCount> faces{};
  int32_t run_no_wait = 0;  // the next commit lets each layer's own transition run
  // The run batch of run_stack: open, the pending request (0 none, 1 run, 2 run_no_wait) and the
  // stored arguments of run.
  int32_t batch_open = 0;
  int32_t batch_request = 0;
  std::array<int32_t, 3> batch_run{};
};

// A queued change of the display (show a layer, hide it, ...), applied by RunDisplayQueue in the
// order queued: the operation code (as a rule the code of the command that queued it), ten
// words, and the sprite handle of the operations that name a sprite.
struct DisplayOp {
  uint32_t code = 0;
  std::array<int32_t, 10> words{};
  YelSprite* sprite = nullptr;
};

// Show layer n: {kDisplayShowLayer, n}.
inline constexpr uint32_t kDisplayShowLayer = 0x30003;

// The movie sprite `msp_wait` waits for: the layer it was on and the sprite itself, so that
// the wait ends when the layer no longer holds that sprite. Layer -1: no wait runs.
struct MovieWait {
  int32_t layer = -1;
  YelSprite* sprite = nullptr;
};

}  // namespace adv
