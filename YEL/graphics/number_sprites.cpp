// Number sprites: a number shown with one sprite per digit place (index 0 the rightmost), each
// showing its digit's cell of one strip: cells 0-9 the digits, 10 plus, 11 minus, and 12 and 13
// for a last place of the caller's choosing. Null entries are skipped with ERROR_INVALID_HANDLE.
#include <algorithm>

#include "YEL/graphics/sprite.h"

namespace yel {
namespace {

enum NumberFlag : uint32_t {
  kSign = 1,         // the last place shows the sign
  kFixedPlaces = 2,  // every place of the count is shown, with leading zeros
  kCell12 = 4,       // the last place shows cell 12
  kCell13 = 8,       // the last place shows cell 13
};
constexpr int32_t kPlusCell = 10;
constexpr int32_t kMinusCell = 11;

uint32_t Magnitude(int32_t value) {
  return value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
}

int32_t DigitCount(uint32_t magnitude) {
  int32_t digits = 1;
  while (magnitude >= 10) {
    magnitude /= 10;
    ++digits;
  }
  return digits;
}

// The digit of place i (0 the ones).
int32_t DigitAt(uint32_t magnitude, int32_t place) {
  for (int32_t i = 0; i < place && magnitude != 0; ++i) magnitude /= 10;
  return static_cast<int32_t>(magnitude % 10);
}

// Cell c of the strip; a cell beyond the image shows the last whole cell.
void ShowCell(YelSprite* sprite, int32_t cell) {
  const int32_t start = cell * sprite->cell_width;
  const int32_t left =
      start < sprite->image_width ? start : sprite->image_width - sprite->cell_width;
  const YelRect rect{left, 0, left + sprite->cell_width, sprite->cell_height};
  YelSpriteSetRect(sprite, &rect);
  YelSpriteViewCtrl(sprite, 1);
}

template <typename Each>
void ForEachPlace(YelSprite** sprites, int32_t count, Each each) {
  if (!sprites) return;
  for (int32_t i = 0; i < count; ++i) {
    if (SpriteOrError(sprites[i])) each(i, sprites[i]);
  }
}

int32_t LastPlaceCell(uint32_t flags, int32_t value, int32_t digit) {
  if (flags & kSign) return value < 0 ? kMinusCell : kPlusCell;
  if (flags & kCell12) return 12;
  if (flags & kCell13) return 13;
  return digit;
}

void Place(YelSprite** sprites, float x, float y, float step, int32_t count) {
  ForEachPlace(sprites, count, [&](int32_t i, YelSprite* sprite) {
    YelSpriteSetPos(sprite, x + static_cast<float>(count - 1 - i) * step, y, 0);
    YelSpriteChangePriority(sprite, sprite->priority);
  });
}

}  // namespace
}  // namespace yel

extern "C" {

YEL_API void YelNumberCreate(YelRender* render, const char* name, YelSprite** sprites,
                             int32_t count, int32_t priority) {
  if (!sprites) return;
  for (int32_t i = 0; i < count; ++i) sprites[i] = YelSpriteLoad(render, name, priority);
}

YEL_API void YelNumberSetEx(YelSprite** sprites, float x, float y, float step, int32_t count) {
  yel::Place(sprites, x, y, step, count);
}

YEL_API void YelNumberSet(YelSprite** sprites, float x, float y, int32_t count) {
  if (!sprites || count <= 0 || !yel::SpriteOrError(sprites[0])) return;
  yel::Place(sprites, x, y, static_cast<float>(sprites[0]->cell_width), count);
}

YEL_API int32_t YelNumberDraw(YelSprite** sprites, int32_t value, int32_t count, uint32_t flags) {
  yel::ForEachPlace(sprites, count,
                    [](int32_t, YelSprite* sprite) { YelSpriteViewCtrl(sprite, 0); });
  const uint32_t magnitude = yel::Magnitude(value);
  // Only the places the number needs, but never more than the caller's array holds.
  if (!(flags & yel::kFixedPlaces)) {
    count = std::min(count, yel::DigitCount(magnitude) + ((flags & yel::kSign) ? 1 : 0));
  }
  yel::ForEachPlace(sprites, count, [&](int32_t i, YelSprite* sprite) {
    const int32_t digit = yel::DigitAt(magnitude, i);
    const bool last = i == count - 1;
    yel::ShowCell(sprite, last ? yel::LastPlaceCell(flags, value, digit) : digit);
  });
  return count > 0 ? count : 0;
}

YEL_API void YelSameNumberDraw(YelSprite** sprites, int32_t count, int32_t cell) {
  yel::ForEachPlace(sprites, count,
                    [](int32_t, YelSprite* sprite) { YelSpriteViewCtrl(sprite, 0); });
  yel::ForEachPlace(sprites, count,
                    [&](int32_t, YelSprite* sprite) { yel::ShowCell(sprite, cell); });
}

YEL_API void YelNumberDrawCtrl(YelSprite** sprites, int32_t count, int32_t visible) {
  yel::ForEachPlace(sprites, count,
                    [&](int32_t, YelSprite* sprite) { YelSpriteViewCtrl(sprite, visible); });
}

YEL_API void YelNumberAlphaType(YelSprite** sprites, int32_t count, uint32_t colour) {
  yel::ForEachPlace(sprites, count,
                    [&](int32_t, YelSprite* sprite) { YelSpriteSetColor(sprite, colour); });
}

YEL_API int32_t YelNumberGetPlace(int32_t value) {
  return yel::DigitCount(yel::Magnitude(value));
}

}  // extern "C"
