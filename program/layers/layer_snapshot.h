// The layers' block of a snapshot: the face table, then layers 0 to 63. Pixels are never kept: a
// restore loads each image again by name and redoes on it what the script did (recorded image
// operations, texts, filters, shakes, movies, animations). Layers 64-127 are not kept.
//
// Block layout, little-endian: the face table (8 x {layer, three face words}); then per layer its
// slot's image word, 0 when the layer is kept empty and nothing else follows; else the sprite
// info (368 bytes), the slot's base and offset groups (148), the slot's "graphic.dat" record
// copy (132), the animation id, the layer's flags, script value, shake (mode, amplitude,
// duration, start), movie argument, 8 composition entries of 80 bytes, the text items (count,
// then per item 8 words, a length and the text) and, when the image word names a string
// variable, the 32-byte image name.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "YEL/yel.h"
#include "program/data/graphic_dat.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_records.h"

namespace adv {

struct AdvContext;
class SnapshotWriter;
class SnapshotReader;

inline constexpr int32_t kSnapshotLayerCount = 64;
// Texts longer than this are kept with length 0 (and so dropped by the next restore).
inline constexpr uint32_t kLayerTextSavedMax = 260;

// One kept layer as read from a block.
struct SavedLayer {
  int32_t index = 0;
  uint32_t image_word = 0;
  YelSpriteInfo info{};
  GraphicSlot slot;  // only the base and offset groups are read into it
  GraphicDatRecord record;
  uint32_t animation_id = 0;
  uint32_t flags = 0;
  int32_t script_value = 0;
  uint32_t shake_mode = 0;
  int32_t shake_amplitude = 0;
  uint32_t shake_duration = 0;
  uint32_t shake_start = 0;
  uint32_t movie_argument = 0;
  std::array<CompositionEntry, kCompositionCount> compositions{};
  std::vector<LayerTextItem> text_items;
  std::array<char, 32> name{};
};

struct SavedLayers {
  std::array<FaceEntry, kFaceCount> faces{};
  std::vector<SavedLayer> layers;  // in layer order
};

// Writes the block. A layer is kept empty when it has no slot, when its slot holds no sprite (a
// missing image, a pending background load: there is no sprite state to keep) or while a
// transition clears it. A layer of file 0 is kept under its file's name, since image word 0
// marks an empty layer.
void AdvGraphicSave(const AdvContext& context, SnapshotWriter& out);
// The text items of one layer.
void AdvLayerExSave(const LayerRecord& record, SnapshotWriter& out);

// Decodes the block; false (with the reason in the reader) when it ends early or holds a value no
// save writes: a face on no layer, an unknown composition kind, an operation or child link that
// names no layer, a running shake of amplitude 0, a text longer than 260 bytes, an image name
// without its end.
bool AdvGraphicRead(SnapshotReader& in, SavedLayers& saved);
bool AdvLayerExRead(SnapshotReader& in, std::vector<LayerTextItem>& items);

// Rebuilds the kept layers on a scene just reset. Every image is loaded first; then, layer by
// layer, the recorded operations are replayed (a layer that an operation reads is rebuilt before
// it, whatever its number), the texts drawn again, filters, shakes, movies and animations
// restarted. The faces start hidden: the message window shows them.
void AdvGraphicLoad(AdvContext& context, const SavedLayers& saved);

}  // namespace adv
