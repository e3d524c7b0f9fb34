// How the layer commands find what they act on: a layer number names the layer's slot, an image
// number (`OriginalImageNo`) any slot of the table, and a few commands take -1 as well. The
// checks log the range text that every layer command shares.
#pragma once

#include <cstdint>

#include "program/layers/graphic_slots.h"
#include "program/layers/layer_table.h"
#include "program/script/engine_log.h"
#include "program/script/value_stores.h"

namespace adv {

inline constexpr int32_t kAnyLayer = -1;

// 0-127, or -1 where the command lets it pass; any other number is logged with the range text.
inline bool CheckLayerOrAny(int32_t layer) {
  return layer == kAnyLayer || AdvCheckLayer(layer);
}

// The slot an image number names. `converted` is false when the number names no slot (logged);
// `slot` is null as well when the slot holds no image.
struct ImageTarget {
  bool converted = false;
  GraphicSlot* slot = nullptr;
};

inline ImageTarget FindImage(int32_t number) {
  const uint32_t image = static_cast<uint32_t>(number);
  if (AdvImageNoToSlot(image) < 0) return {};
  return {true, AdvImageNoSlot(image)};
}

// A TempMemory cell a getter writes, -1 for none; false (logged with the range text) for any
// other index outside the cells. `count` cells from the index must fit.
inline bool CheckCells(int32_t first, int32_t count) {
  if (first == -1 || (first >= 0 && first <= kTempMemoryCells - count)) return true;
  AdvDebugPrint(kLogError, "graph error : 範囲外の値を指定しています。no = %d", first);
  return false;
}

}  // namespace adv
