// The filter options of a sprite's texture: sepia, grey, soften, negative and the half-size
// blurs, with the copy of the pixels from before the first filter that option 0 puts back.
#include <algorithm>
#include <array>
#include <cstring>

#include "YEL/graphics/pixel_routines.h"
#include "YEL/graphics/sprite_pixels.h"
#include "YEL/render/render.h"

namespace yel {
namespace {

// Colour (0xRRGGBB) of each grey level in the sepia tone.
constexpr uint32_t kSepia[256] = {
    0x0C0000, 0x0E0100, 0x110201, 0x130401, 0x160502, 0x170602, 0x180703, 0x1B0903, 0x1C0A03,
    0x1D0B04, 0x210C04, 0x220D05, 0x250F06, 0x261006, 0x271107, 0x2A1208, 0x2B1308, 0x2C1509,
    0x2E160A, 0x30170B, 0x31180B, 0x331A0C, 0x341B0D, 0x361C0E, 0x381D0E, 0x391E0F, 0x3B2010,
    0x3C2111, 0x3D2211, 0x3F2311, 0x412412, 0x422613, 0x442714, 0x462814, 0x472915, 0x492A16,
    0x4A2C17, 0x4B2D18, 0x4E2E18, 0x4F2F19, 0x50301A, 0x52321B, 0x53331C, 0x54341D, 0x56351E,
    0x57361E, 0x58381F, 0x5A3920, 0x5B3A21, 0x5C3B22, 0x5E3C23, 0x5F3E24, 0x603F24, 0x624025,
    0x634126, 0x644227, 0x654328, 0x674529, 0x68462A, 0x69472B, 0x6B482C, 0x6C492C, 0x6D4A2D,
    0x6E4C2E, 0x704D2F, 0x714E30, 0x724F30, 0x735031, 0x755132, 0x765333, 0x775434, 0x785535,
    0x7A5636, 0x7B5737, 0x7C5837, 0x7D5938, 0x7E5B39, 0x805C3A, 0x805D3B, 0x815E3C, 0x825F3D,
    0x83603E, 0x85613F, 0x866340, 0x876441, 0x876542, 0x886643, 0x896744, 0x8B6845, 0x8C6946,
    0x8D6A47, 0x8E6B48, 0x8F6C49, 0x906E4A, 0x916F4B, 0x93704C, 0x94714D, 0x95724E, 0x96734F,
    0x977450, 0x977551, 0x987652, 0x997753, 0x9A7854, 0x9B7955, 0x9C7B56, 0x9D7C57, 0x9E7D58,
    0x9F7E59, 0xA17F5A, 0xA2805B, 0xA3815C, 0xA3825D, 0xA4835E, 0xA5845F, 0xA68560, 0xA78661,
    0xA88762, 0xA98863, 0xAA8964, 0xAB8A65, 0xAC8B66, 0xAC8C67, 0xAD8D68, 0xAE8E69, 0xAE8F6A,
    0xAF906B, 0xB0916C, 0xB1926D, 0xB2936E, 0xB3946F, 0xB39570, 0xB49671, 0xB59772, 0xB69874,
    0xB69975, 0xB79A76, 0xB79B77, 0xB89C78, 0xB99D79, 0xBA9E7A, 0xBB9F7B, 0xBCA07C, 0xBDA17D,
    0xBEA17E, 0xBEA27F, 0xBFA380, 0xBFA481, 0xC0A582, 0xC1A683, 0xC2A785, 0xC2A886, 0xC3A987,
    0xC4AA88, 0xC5AB89, 0xC6AC8A, 0xC7AD8B, 0xC7AE8C, 0xC7AE8D, 0xC8AF8F, 0xC9B08F, 0xCAB190,
    0xCAB293, 0xCBB394, 0xCCB495, 0xCDB596, 0xCEB697, 0xCEB698, 0xCEB799, 0xCFB89A, 0xD0B99B,
    0xD0BA9C, 0xD1BB9E, 0xD2BC9F, 0xD3BDA0, 0xD3BEA1, 0xD4BEA2, 0xD5BFA3, 0xD5C0A4, 0xD5C1A5,
    0xD6C2A6, 0xD6C3A8, 0xD7C4A9, 0xD7C4AA, 0xD8C5AB, 0xD9C6AC, 0xDAC7AD, 0xDAC8AE, 0xDAC9AF,
    0xDBCAB1, 0xDBCAB2, 0xDCCBB3, 0xDDCCB4, 0xDECDB5, 0xDECEB6, 0xDFCFB7, 0xE0CFB8, 0xE0D0BA,
    0xE1D1BB, 0xE1D2BC, 0xE1D3BD, 0xE2D4BE, 0xE3D4BF, 0xE3D5C0, 0xE4D6C2, 0xE5D7C3, 0xE5D8C4,
    0xE6D8C5, 0xE7D9C7, 0xE7DAC8, 0xE7DBC9, 0xE8DCCB, 0xE8DDCC, 0xE9DDCD, 0xEADECE, 0xEADFCF,
    0xEBE0D0, 0xECE1D1, 0xECE1D3, 0xEDE2D4, 0xEDE3D5, 0xEDE4D6, 0xEEE5D7, 0xEFE5D8, 0xEFE6DA,
    0xF0E7DB, 0xF1E8DC, 0xF1E9DD, 0xF2EADE, 0xF2EADF, 0xF2EBE0, 0xF2ECE2, 0xF2EDE3, 0xF3EEE4,
    0xF4EEE5, 0xF4EFE6, 0xF5F0E8, 0xF6F1E9, 0xF6F2EA, 0xF7F2EB, 0xF7F3ED, 0xF7F4EE, 0xF8F5F0,
    0xF8F5F1, 0xF9F6F2, 0xFAF7F3, 0xFAF8F4, 0xFBF9F5, 0xFCF9F7, 0xFCFAF8, 0xFDFBF9, 0xFDFCFA,
    0xFDFDFB, 0xFEFDFD, 0xFEFEFE, 0xFFFFFF,
};

// The sepia colours in the tone filter's layout: red, green, blue and an unread byte per level.
const uint8_t* SepiaTable() {
  static const std::array<uint8_t, 1024> table = [] {
    std::array<uint8_t, 1024> bytes{};
    for (int level = 0; level < 256; ++level) {
      bytes[level * 4] = static_cast<uint8_t>(kSepia[level] >> 16);
      bytes[level * 4 + 1] = static_cast<uint8_t>(kSepia[level] >> 8);
      bytes[level * 4 + 2] = static_cast<uint8_t>(kSepia[level]);
    }
    return bytes;
  }();
  return table.data();
}

// Blur strength of a blur option (0x105 to 0x805), or -1 for any other code.
int32_t BlurStrength(int32_t code) {
  if ((code & 0xFF) != 5 || code < 0x105 || code > 0x805) return -1;
  return code / 256 - 1;
}

bool KnownOption(int32_t code) {
  return (code >= 1 && code <= 4) || BlurStrength(code) >= 0;
}

// Copies the image-sized top-left area between the texture and a buffer of that size.
void CopyImageArea(YelSprite* sprite, SpritePixels& texture, bool into_texture) {
  const int32_t w = std::min(sprite->filter_backup.width, texture.width());
  const int32_t h = std::min(sprite->filter_backup.height, texture.height());
  auto* backup = static_cast<uint32_t*>(sprite->filter_backup.pixels);
  for (int32_t y = 0; y < h; ++y) {
    uint32_t* saved = backup + static_cast<size_t>(y) * sprite->filter_backup.width;
    if (into_texture) {
      std::memcpy(texture.Row(y), saved, size_t{4} * w);
    } else {
      std::memcpy(saved, texture.Row(y), size_t{4} * w);
    }
  }
}

void FreeBackup(YelSprite* sprite) {
  YelMemoryFree(sprite->filter_backup.pixels);
  sprite->filter_backup = {};
}

// Keeps the pixels from before the first filter; false when there is no memory for them.
bool MakeBackup(YelSprite* sprite) {
  if (sprite->filter_backup.pixels) return true;
  const int32_t w = sprite->image_width, h = sprite->image_height;
  const uint64_t bytes = w > 0 && h > 0 ? uint64_t{4} * uint32_t(w) * uint32_t(h) : 0;
  void* block = bytes && bytes <= UINT32_MAX ? YelMemoryAlloc(uint32_t(bytes), 0) : nullptr;
  if (!block) return false;
  sprite->filter_backup = {block, uint32_t(bytes), w, h};
  SpritePixels texture(sprite, false);
  if (texture) CopyImageArea(sprite, texture, false);
  return true;
}

int RestoreBackup(YelSprite* sprite) {
  if (!sprite->filter_backup.pixels) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  {
    SpritePixels texture(sprite);
    if (texture) CopyImageArea(sprite, texture, true);
  }
  FreeBackup(sprite);
  SetLastError(0);
  return 1;
}

// Halves the texture, blurs the half and scales it back up over the texture.
bool HalfBlur(SpritePixels& texture, int32_t strength) {
  const int32_t w = static_cast<int32_t>(texture.width() * 0.5f);
  const int32_t h = static_cast<int32_t>(texture.height() * 0.5f);
  if (w <= 0 || h <= 0) return true;
  auto* half = static_cast<uint32_t*>(YelMemoryAlloc(uint32_t(4) * w * h, 1));
  if (!half) return false;
  ScaleNearest(half, w, h, texture.pixels(), texture.width(), texture.height(), 0.5f, 0.5f);
  WeightedBlur(half, half, w, h, w, strength);
  ScaleBilinear32(texture.pixels(), texture.width(), texture.height(), half, w, h, 2.0f, 2.0f);
  YelMemoryFree(half);
  return true;
}

bool ApplyOption(YelSprite* sprite, int32_t code) {
  SpritePixels texture(sprite);
  if (!texture) return false;
  const int32_t w = texture.width(), h = texture.height();
  switch (code) {
    case 1:
      ToneFilter(texture.pixels(), w, h, SepiaTable());
      return true;
    case 2:
      ToneFilter(texture.pixels(), w, h, nullptr);
      return true;
    case 3:
      SoftenFilter(texture.pixels(), w, h, w);
      return true;
    case 4:
      NegativeFilter(texture.pixels(), w, h, w);
      return true;
    default:
      return HalfBlur(texture, BlurStrength(code));
  }
}

}  // namespace
}  // namespace yel

extern "C" {

YEL_API int YelSpriteSetOption(YelSprite* sprite, int32_t code) {
  if (!sprite || !sprite->texture) {
    yel::SetLastError(yel::ERROR_INVALID_HANDLE);
    return 0;
  }
  sprite->option_code = code;
  if (code == 0) return yel::RestoreBackup(sprite);
  if (!yel::KnownOption(code)) return 1;
  // Without the copy a filter could not be undone: the pixels stay as they are.
  if (!yel::MakeBackup(sprite)) {
    yel::SetLastError(yel::ERROR_ACCESS_DENIED);
    return 0;
  }
  yel::WorkThreadLockRelease release;
  return yel::ApplyOption(sprite, code) ? 1 : 0;
}

}  // extern "C"
