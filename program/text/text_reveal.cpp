// The glyph lists and the reveal map. Every pixel access is clipped to both the map and the
// locked surface, and rows of the surface are addressed by the pitch the lock reports.
#include "program/text/text_reveal.h"

#include <algorithm>
#include <cstring>

#include "program/script/skip_state.h"
#include "program/startup/yel_import.h"
#include "program/text/text_layout.h"

namespace adv {

GlyphList& ShownGlyphList() {
  static GlyphList list;
  return list;
}

GlyphList& NewGlyphList() {
  static GlyphList list;
  return list;
}

namespace {

constexpr int32_t kFadeKeys = 64;

void FreeBlocks(RevealMap& map) {
  if (map.saved_alpha) yel::YelMemoryFree(map.saved_alpha);
  if (map.keys) yel::YelMemoryFree(map.keys);
  map.saved_alpha = nullptr;
  map.keys = nullptr;
}

// The part of the map that the surface has.
struct Clip {
  int32_t columns = 0;
  int32_t rows = 0;
};
Clip ClipFor(const RevealMap& map, const RevealSurface& surface) {
  if (!map.saved_alpha || !map.keys) return {};
  return {std::clamp(std::min(map.stride, surface.pitch), 0, map.stride),
          std::clamp(std::min(map.rows, surface.rows), 0, map.rows)};
}

uint8_t AlphaOf(uint32_t pixel) {
  return static_cast<uint8_t>(pixel >> 24);
}
uint32_t WithAlpha(uint32_t pixel, uint32_t alpha) {
  return (pixel & 0xFFFFFF) | alpha << 24;
}

struct Margins {
  int32_t left = 0, bottom = 0, right = 0;
};
// How far the font's outline or shadow reaches past a glyph's cell.
Margins EffectMargins() {
  switch (yel::YelFontGetEffect()) {
    case 0:
      return {-1, 1, 4};
    case 1:
    case 2:
      return {-2, 2, 4};
    case 3:
      return {-3, 4, 4};
    default:
      return {};
  }
}

bool StartsLine(const GlyphRecord& glyph, const GlyphRecord* previous) {
  return !previous || glyph.top - previous->top >= previous->bottom - previous->top;
}

class KeyWriter {
 public:
  KeyWriter(RevealMap& map, const RevealSurface& surface, bool per_glyph)
      : map_(map), surface_(surface), clip_(ClipFor(map, surface)), per_glyph_(per_glyph) {}

  void Write(GlyphRecord r, int64_t key) {
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    const int32_t right = std::min(r.right, clip_.columns);
    const int32_t bottom = std::min(r.bottom, clip_.rows);
    for (int32_t y = r.top; y < bottom; ++y) {
      uint32_t* row = surface_.pixels + static_cast<size_t>(y) * surface_.pitch;
      const size_t base = static_cast<size_t>(y) * map_.stride;
      for (int32_t x = r.left; x < right; ++x) {
        map_.saved_alpha[base + x] = AlphaOf(row[x]);
        row[x] = WithAlpha(row[x], 0);
        const int64_t k = per_glyph_ ? key : key + x - r.left;
        map_.keys[base + x] = static_cast<uint16_t>(std::clamp<int64_t>(k, 0, 0xFFFF));
      }
    }
  }

 private:
  RevealMap& map_;
  const RevealSurface& surface_;
  Clip clip_;
  bool per_glyph_;
};

}  // namespace

void AdvRevealMapInit(int32_t width, int32_t height, int32_t font_size, int32_t ruby_size,
                      RevealMap& map) {
  FreeBlocks(map);
  const int64_t stride = (std::max<int64_t>(width, 0) + 3) / 4 * 4 + 8;
  map.stride = static_cast<int32_t>(std::min<int64_t>(stride, 1 << 14));
  map.rows = std::clamp(height, 0, 1 << 14);
  map.size = map.stride * map.rows;
  const uint32_t cells = static_cast<uint32_t>(std::max(map.size, 1));
  map.saved_alpha = static_cast<uint8_t*>(yel::YelMemoryAlloc(cells, 1));
  map.keys = static_cast<uint16_t*>(yel::YelMemoryAlloc(cells * 2, 1));
  map.line_pitch = LinePitch(font_size, ruby_size);
  map.band_height = map.line_pitch;
  map.ready = 0;
}

void AdvRevealMapFitTexture(RevealMap& map, int32_t texture_width, int32_t texture_height) {
  map.stride = std::clamp(texture_width, 0, map.stride);
  map.rows = std::clamp(texture_height, 0, map.rows);
  map.size = map.stride * map.rows;
}

void AdvRevealMapReset(RevealMap& map) {
  map.band_height = map.line_pitch;
  map.ready = 0;
}

void AdvRevealMapRelease(RevealMap& map) {
  FreeBlocks(map);
}

void AdvRevealKeyGlyphs(RevealMap& map, const RevealSurface& surface, bool per_glyph) {
  if (!map.saved_alpha || !map.keys) return;
  std::memset(map.saved_alpha, 0, static_cast<size_t>(map.size));
  std::memset(map.keys, 0, static_cast<size_t>(map.size) * 2);
  const Margins margins = EffectMargins();
  KeyWriter writer(map, surface, per_glyph);
  const GlyphRecord* previous = nullptr;
  const auto adjust = [&](GlyphRecord r) {
    if (StartsLine(r, previous)) r.left += margins.left;
    r.bottom += margins.bottom;
    return r;
  };
  for (const GlyphRecord& glyph : ShownGlyphList()) {
    writer.Write(adjust(glyph), 0);
    previous = &glyph;
  }
  const GlyphList& fresh = NewGlyphList();
  int64_t key = ShownGlyphList().empty() ? 0 : map.new_key_base;
  for (size_t i = 0; i < fresh.size(); ++i) {
    GlyphRecord r = adjust(fresh[i]);
    if (i + 1 == fresh.size() || StartsLine(fresh[i + 1], &fresh[i])) r.right += margins.right;
    writer.Write(r, key);
    key += fresh[i].right - fresh[i].left;
    previous = &fresh[i];
  }
}

namespace {

// The whole map, band by band, keys growing left to right and by one stride per band.
void KeyBlocks(RevealMap& map, const RevealSurface& surface) {
  const Clip clip = ClipFor(map, surface);
  const int32_t band = map.band_height > 0 ? map.band_height : std::max(map.rows, 1);
  int64_t base = 0;
  for (int32_t y = 0; y < clip.rows; ++y) {
    if (y > 0 && y % band == 0) base += map.stride;
    uint32_t* row = surface.pixels + static_cast<size_t>(y) * surface.pitch;
    const size_t at = static_cast<size_t>(y) * map.stride;
    for (int32_t x = 0; x < clip.columns; ++x) {
      map.saved_alpha[at + x] = AlphaOf(row[x]);
      row[x] = WithAlpha(row[x], 0);
      map.keys[at + x] = static_cast<uint16_t>(std::min<int64_t>(base + x, 0xFFFF));
    }
  }
}

}  // namespace

int AdvRevealMapBuild(int32_t skip_state, YelSprite* sprite, RevealMap& map) {
  if (skip_state & SKIP_MASK_FORCED) return 1;
  RevealSurface surface;
  surface.pixels = yel::YelSpriteLock(sprite, &surface.pitch, &surface.rows);
  if (!surface.pixels) return 0;
  if (BlockRevealMode()) {
    KeyBlocks(map, surface);
  } else {
    AdvRevealKeyGlyphs(map, surface, TextLayout().animation_type != 0);
  }
  yel::YelSpriteUnlock(sprite);
  map.ready = 1;
  return 1;
}

int AdvRevealApply(YelSprite* sprite, RevealMap& map, int32_t position) {
  if (!map.ready) return 1;
  RevealSurface surface;
  surface.pixels = yel::YelSpriteLock(sprite, &surface.pitch, &surface.rows);
  if (!surface.pixels) return 0;
  const Clip clip = ClipFor(map, surface);
  const int64_t low = std::max<int64_t>(int64_t{position} - kFadeKeys, 0);
  const bool fade = TextLayout().animation_fade != 0;
  for (int32_t y = 0; y < clip.rows; ++y) {
    uint32_t* row = surface.pixels + static_cast<size_t>(y) * surface.pitch;
    const size_t at = static_cast<size_t>(y) * map.stride;
    for (int32_t x = 0; x < clip.columns; ++x) {
      const int64_t key = map.keys[at + x];
      const uint32_t alpha = map.saved_alpha[at + x];
      if (key < low) {
        row[x] = WithAlpha(row[x], alpha);
      } else if (key < position && alpha != 0) {
        const uint32_t shown =
            fade ? static_cast<uint32_t>(((low - key + kFadeKeys) * alpha * 4) >> 8) : alpha;
        row[x] = WithAlpha(row[x], shown);
      }
    }
  }
  yel::YelSpriteUnlock(sprite);
  return 1;
}

}  // namespace adv
