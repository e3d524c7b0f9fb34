// Layer pixel commands (group 3): paint, alpha fill, single pixels, the script's pixel locks
// with their peeks, pokes and copies, scaling one layer into another, multiplying a rectangle by
// a colour, and the platform's target render list. Nothing here is recorded: a reloaded image
// loses these changes.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "program/commands/layer_targets.h"
#include "program/commands/sprite_commands.h"
#include "program/data/string_helpers.h"
#include "program/game/adv_context.h"
#include "program/layers/image_stretch.h"
#include "program/layers/layer_text_items.h"
#include "program/layers/pixel_locks.h"
#include "program/layers/sprite_loader.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

const char* const kRangeText = "graph error : 範囲外の値を指定しています。no = %d";
constexpr int32_t kAnyEntry = -1;

YelSprite* SpriteOf(AdvContext& context, int32_t layer) {
  const GraphicSlot* slot = context.layers.layers[layer].slot;
  return slot ? slot->sprite : nullptr;
}

// A sprite's pixels held for one command, unlocked when it ends.
class HeldPixels {
 public:
  explicit HeldPixels(YelSprite* sprite) : sprite_(sprite) {
    if (sprite_) pixels_ = yel::YelSpriteLock(sprite_, &width_, &height_);
    if (width_ <= 0 || height_ <= 0) pixels_ = nullptr;
  }
  ~HeldPixels() {
    if (sprite_) yel::YelSpriteUnlock(sprite_);
  }
  HeldPixels(const HeldPixels&) = delete;
  HeldPixels& operator=(const HeldPixels&) = delete;

  explicit operator bool() const { return pixels_ != nullptr; }
  uint32_t* pixels() const { return pixels_; }
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  PixelArea Area(int32_t w, int32_t h) const {
    return {pixels_, width_, std::min(w, width_), std::min(h, height_)};
  }

 private:
  YelSprite* sprite_;
  uint32_t* pixels_ = nullptr;
  int32_t width_ = 0, height_ = 0;
};

int CmdSpPaint(AdvContext& context) {
  const auto [layer, colour_argument, x, y, w, h] = PopArgs<6>(context);
  if (!AdvCheckLayer(layer)) return 0;
  uint32_t colour = 0;
  if (static_cast<uint32_t>(colour_argument) != kNoReference) {
    uint8_t name[33] = {};
    AdvGetFileName(context, name, static_cast<uint32_t>(colour_argument), false);
    colour = ParseHex(reinterpret_cast<const char*>(name) + 1);
  }
  if (YelSprite* sprite = SpriteOf(context, layer)) {
    // The four values are the platform's rectangle as they stand: left, top, right, bottom.
    const YelRect area{x, y, w, h};
    const bool whole = x == 0 && y == 0 && w == 0 && h == 0;
    yel::YelSpritePaint(sprite, whole ? nullptr : &area, colour);
    // The paint covers what sp_text drew: a rebuilt layer must not draw those texts again.
    AdvLayerClearTags(context.layers.layers[layer]);
  }
  AdvDebugPrint(kLogTrace, "sp_paint %d, 0x%08X, %d, %d, %d, %d", layer, colour, x, y, w, h);
  return 1;
}

int CmdSpNoop(AdvContext& context) {
  PopArgs<2>(context);
  return 1;
}

int CmdSpFillAlpha(AdvContext& context) {
  const auto [layer, alpha] = PopArgs<2>(context);
  if (!AdvCheckLayer(layer)) return 0;
  const ImageTarget target = FindImage(layer);
  if (!target.slot) return 1;
  HeldPixels held(target.slot->sprite);
  if (!held) return 1;
  uint8_t* bytes = reinterpret_cast<uint8_t*>(held.pixels());
  const size_t count = static_cast<size_t>(held.width()) * static_cast<size_t>(held.height());
  for (size_t i = 0; i < count; ++i) bytes[4 * i + 3] = static_cast<uint8_t>(alpha);
  return 1;
}

int CmdSpGetPixel(AdvContext& context) {
  const auto [layer, x, y] = PopArgs<3>(context);
  SetCommandResult(context, 0);
  if (!CheckLayerOrAny(layer)) return 0;
  if (AdvFastForwarding(context)) return 1;
  const ImageTarget target = FindImage(layer);
  if (!target.converted) {
    AdvDebugPrint(kLogError, "error, sp_get_pixel  %d, %d, %d", layer, x, y);
    return 0;
  }
  YelSprite* sprite = target.slot ? target.slot->sprite : nullptr;
  SetCommandResult(context, sprite ? static_cast<int32_t>(yel::YelGetPixel(sprite, x, y)) : 0);
  AdvDebugPrint(kLogTrace, "sp_get_pixel  %d, %d, %d", layer, x, y);
  return 1;
}

int CmdSpSetPixel(AdvContext& context) {
  const auto [layer, x, y, argb] = PopArgs<4>(context);
  if (!CheckLayerOrAny(layer)) return 0;
  if (AdvFastForwarding(context)) return 1;
  const ImageTarget target = FindImage(layer);
  if (!target.converted) {
    AdvDebugPrint(kLogError, "error, sp_set_pixel  %d, %d, %d, (hex)%08X", layer, x, y, argb);
    return 0;
  }
  if (target.slot && target.slot->sprite) {
    yel::YelSetPixel(target.slot->sprite, x, y, static_cast<uint32_t>(argb));
  }
  AdvDebugPrint(kLogTrace, "sp_set_pixel  %d, %d, %d, (hex)%08X", layer, x, y, argb);
  return 1;
}

// The locked bytes `count` bytes from `offset` of a token's lock. Null, doing nothing, for a
// layer without sprite, a token of 0 or a negative offset; null and logged for a token that is
// not the layer's standing lock or bytes outside its image.
uint8_t* LockedBytes(AdvContext& context, const char* command, int32_t layer, int32_t token,
                     int32_t offset, int64_t count) {
  if (!SpriteOf(context, layer) || token == 0 || offset < 0) return nullptr;
  const PixelLock* lock = AdvPixelLockFind(context, layer, token);
  if (!lock) {
    AdvDebugPrint(kLogError, "%s : %d is not a pixel lock of layer %d", command, token, layer);
    return nullptr;
  }
  if (!AdvPixelLockHolds(*lock, offset, count)) {
    AdvDebugPrint(kLogError, "%s : %lld bytes at %d lie outside the locked image of layer %d",
                  command, static_cast<long long>(count), offset, layer);
    return nullptr;
  }
  return lock->bytes + offset;
}

template <typename Value>
int Peek(AdvContext& context, const char* command) {
  const auto [layer, token, offset] = PopArgs<3>(context);
  SetCommandResult(context, 0);
  if (!AdvCheckLayer(layer)) return 0;
  const uint8_t* at = LockedBytes(context, command, layer, token, offset, sizeof(Value));
  if (!at) return 1;
  Value value;
  std::memcpy(&value, at, sizeof(Value));
  SetCommandResult(context, static_cast<int32_t>(value));
  return 1;
}

template <typename Value>
int Poke(AdvContext& context, const char* command) {
  const auto [layer, token, offset, value] = PopArgs<4>(context);
  if (!AdvCheckLayer(layer)) return 0;
  uint8_t* at = LockedBytes(context, command, layer, token, offset, sizeof(Value));
  if (!at) return 1;
  const Value stored = static_cast<Value>(value);
  std::memcpy(at, &stored, sizeof(Value));
  return 1;
}

int CmdSpPeekByte(AdvContext& context) {
  return Peek<uint8_t>(context, "sp_peek_byte");
}
int CmdSpPeekDword(AdvContext& context) {
  return Peek<uint32_t>(context, "sp_peek_dword");
}
int CmdSpPokeByte(AdvContext& context) {
  return Poke<uint8_t>(context, "sp_poke_byte");
}
int CmdSpPokeDword(AdvContext& context) {
  return Poke<uint32_t>(context, "sp_poke_dword");
}

int CmdSpPixelCopy(AdvContext& context) {
  const auto [layer, token, offset, source, source_token, source_offset, count] =
      PopArgs<7>(context);
  if (!AdvCheckLayer(layer) || !AdvCheckLayer(source)) return 0;
  if (count <= 0) return 1;
  uint8_t* to = LockedBytes(context, "sp_pixel_copy", layer, token, offset, count);
  const uint8_t* from =
      LockedBytes(context, "sp_pixel_copy", source, source_token, source_offset, count);
  if (to && from) std::memmove(to, from, static_cast<size_t>(count));
  return 1;
}

// One byte per pixel: count bytes 4 apart, the source going on from its first byte once it
// passes its image's end.
int CmdSpPixelChannelCopy(AdvContext& context) {
  const auto [layer, token, offset, source, source_token, source_offset, count] =
      PopArgs<7>(context);
  if (!AdvCheckLayer(layer) || !AdvCheckLayer(source)) return 0;
  if (count <= 0) return 1;
  const int64_t span = int64_t{4} * (count - 1) + 1;
  uint8_t* to = LockedBytes(context, "sp_pixel_channel_copy", layer, token, offset, span);
  const uint8_t* from =
      LockedBytes(context, "sp_pixel_channel_copy", source, source_token, source_offset, 1);
  if (!to || !from) return 1;
  const size_t source_size = AdvPixelLockFind(context, source, source_token)->size;
  const uint8_t* source_first = from - source_offset;
  size_t at = static_cast<size_t>(source_offset);
  for (int32_t i = 0; i < count; ++i) {
    to[size_t{4} * i] = source_first[at];
    at += 4;
    if (at >= source_size) at = 0;
  }
  return 1;
}

int CmdSpPixelLock(AdvContext& context) {
  const auto [layer, cell_address, cell_row] = PopArgs<3>(context);
  if (!CheckCells(cell_address, 1) || !CheckCells(cell_row, 1)) return 0;
  auto& cells = context.values.temp_memory;
  auto write = [&](int32_t cell, int32_t value) {
    if (cell != kAnyEntry) cells[cell] = value;
  };
  write(cell_address, 0), write(cell_row, 0);
  if (AdvFastForwarding(context)) return 1;
  if (!AdvCheckLayer(layer)) return 0;
  int32_t row_length = 0;
  const int32_t token = AdvPixelLockTake(context, layer, &row_length);
  if (token) write(cell_address, token), write(cell_row, row_length);
  return 1;
}

int CmdSpPixelUnlock(AdvContext& context) {
  const int32_t layer = PopArg(context);
  if (AdvFastForwarding(context)) return 1;
  if (!AdvCheckLayer(layer)) return 0;
  AdvPixelLockEnd(context, layer);
  return 1;
}

int CmdSpTargetClear(AdvContext&) {
  yel::YelTargetRenderListClear();
  return 1;
}

int CmdSpTargetAdd(AdvContext& context) {
  const int32_t image = PopArg(context);
  if (!CheckLayerOrAny(image)) return 0;
  const ImageTarget target = FindImage(image);
  if (!target.slot || !target.slot->sprite) return 0;
  yel::YelTargetRenderListAdd(target.slot->sprite);
  AdvGraphicSlotApply(context, *target.slot);
  return 1;
}

int CmdSpTargetDraw(AdvContext&) {
  return yel::YelTargetRenderListDraw() ? 1 : 0;
}

// A rectangle cut to an image of width x height; false when nothing is left.
bool CutToImage(int64_t& x, int64_t& y, int64_t& w, int64_t& h, int32_t width, int32_t height) {
  if (x < 0) w += x, x = 0;
  if (y < 0) h += y, y = 0;
  w = std::min<int64_t>(w, width - x);
  h = std::min<int64_t>(h, height - y);
  return w > 0 && h > 0;
}

// Each byte times the matching byte of argb / 255 (times 257 / 65536, truncated).
void MultiplyRows(const HeldPixels& held, int64_t x, int64_t y, int64_t w, int64_t h,
                  uint32_t argb) {
  std::array<std::array<uint8_t, 256>, 4> table;
  for (int channel = 0; channel < 4; ++channel) {
    const uint32_t factor = argb >> (8 * channel) & 0xFF;
    for (uint32_t v = 0; v < 256; ++v) table[channel][v] = (v * factor * 257) >> 16;
  }
  for (int64_t row = y; row < y + h; ++row) {
    uint8_t* bytes = reinterpret_cast<uint8_t*>(held.pixels() + row * held.width() + x);
    for (int64_t i = 0; i < 4 * w; i += 4) {
      bytes[i] = table[0][bytes[i]];
      bytes[i + 1] = table[1][bytes[i + 1]];
      bytes[i + 2] = table[2][bytes[i + 2]];
      bytes[i + 3] = table[3][bytes[i + 3]];
    }
  }
}

int CmdSpUpdateArgb(AdvContext& context) {
  const auto [layer, x, y, w, h, argb] = PopArgs<6>(context);
  if (!AdvCheckLayer(layer)) return 0;
  YelSprite* sprite = SpriteOf(context, layer);
  if (!sprite) {
    AdvDebugPrint(kLogError, "not image... sp_update_argb %d", layer);
    return 0;
  }
  {
    HeldPixels held(sprite);
    int64_t cx = x, cy = y, cw = w, ch = h;
    if (held && CutToImage(cx, cy, cw, ch, held.width(), held.height())) {
      MultiplyRows(held, cx, cy, cw, ch, static_cast<uint32_t>(argb));
    }
  }
  AdvDebugPrint(kLogTrace, "sp_update_argb  %d, (%d,%d),(%d,%d),%X", layer, x, y, w, h, argb);
  return 1;
}

// The source area (sw x sh from its first pixel) scaled onto the destination from its first
// pixel, each cut to its image; a size of 0 or less changes nothing.
void Stretch(const HeldPixels& to, int32_t dw, int32_t dh, const HeldPixels& from, int32_t sw,
             int32_t sh, int32_t mode) {
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  const float scale_x = static_cast<float>(dw) / static_cast<float>(sw);
  const float scale_y = static_cast<float>(dh) / static_cast<float>(sh);
  const PixelArea d = to.Area(dw, dh);
  const PixelArea s_area = from.Area(sw, sh);
  const ConstPixelArea s{s_area.pixels, s_area.stride, s_area.width, s_area.height};
  if (scale_x == 1.0f && scale_y == 1.0f) {
    StretchCopy(d, s);
  } else if (mode == 0) {
    StretchNearest(d, s, scale_x, scale_y);
  } else if (mode == 1) {
    StretchBilinearFine(d, s, scale_x, scale_y);
  } else if (mode == 2) {
    StretchBilinear(d, s, scale_x, scale_y);
  }
}

int CmdSpStretchblt(AdvContext& context) {
  const auto [layer, dx, dy, dw, dh, source, sx, sy, sw, sh, mode, k] = PopArgs<12>(context);
  if (!AdvCheckLayer(layer) || !AdvCheckLayer(source)) return 0;
  if (k < kAnyEntry || k >= kCompositionCount) {
    AdvDebugPrint(kLogError, kRangeText, k);
    return 0;
  }
  YelSprite* target = SpriteOf(context, layer);
  YelSprite* origin = SpriteOf(context, source);
  if (!target || !origin) return 1;
  {
    HeldPixels to(target);
    HeldPixels from(origin);
    if (to && from) Stretch(to, dw, dh, from, sw, sh, mode);
  }
  AdvDebugPrint(kLogTrace, "sp_stretchblt %d, %d, %d, %d, %d, %d, %d, %d, %d, %d, %d", layer, dx,
                dy, dw, dh, source, sx, sy, sw, sh, mode);
  return 1;
}

constexpr CommandSlot kSlots[] = {
    {0x28, CmdSpPaint},       {0x3B, CmdSpNoop},
    {0x3C, CmdSpFillAlpha},   {0x40, CmdSpGetPixel},
    {0x41, CmdSpSetPixel},    {0x4B, CmdSpPeekByte},
    {0x4C, CmdSpPeekDword},   {0x4D, CmdSpPokeByte},
    {0x4E, CmdSpPokeDword},   {0x4F, CmdSpPixelCopy},
    {0x50, CmdSpPixelLock},   {0x51, CmdSpPixelUnlock},
    {0x52, CmdSpTargetClear}, {0x53, CmdSpTargetAdd},
    {0x54, CmdSpTargetDraw},  {0x56, CmdSpPixelChannelCopy},
    {0x5D, CmdSpUpdateArgb},  {0x5F, CmdSpStretchblt},
};

}  // namespace

const CommandSlotList kLayerPixelCommandSlots = {kSlots, std::size(kSlots)};

}  // namespace adv
