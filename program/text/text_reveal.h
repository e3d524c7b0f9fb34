// Glyph lists and the reveal map. A laid-out text is drawn whole; the map then saves the alpha
// of every glyph pixel, makes it transparent and gives it a reveal key in reading order. Moving
// the reveal position forward gives the pixels whose keys it passed their alpha back, fading in
// over 64 key units. Main thread, render lock held.
#pragma once

#include <cstdint>
#include <vector>

#include "YEL/yel.h"

namespace adv {

// The rectangle of one drawn glyph in sprite pixels.
struct GlyphRecord {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};
static_assert(sizeof(GlyphRecord) == 16);

using GlyphList = std::vector<GlyphRecord>;
// Glyphs already on screen before the newest layout (key 0), and those of the newest layout.
GlyphList& ShownGlyphList();
GlyphList& NewGlyphList();

struct RevealMap {
  int32_t ready = 0;               // keys built; applying does nothing before
  uint8_t* saved_alpha = nullptr;  // one byte per map pixel (a YelMemoryAlloc block)
  uint16_t* keys = nullptr;        // one key per map pixel (a YelMemoryAlloc block)
  int32_t stride = 0;              // map width in pixels
  int32_t rows = 0;
  int32_t band_height = 0;  // rows per band of the block reveal
  int32_t line_pitch = 0;
  int32_t size = 0;  // stride x rows
  // The key the first new glyph gets while glyphs are already shown: where the shown text's
  // reveal ended, so appended text is revealed from there on.
  int32_t new_key_base = 64;
};

// Frees the old blocks and allocates blocks for a map of (width rounded up to 4) + 8 columns
// and `height` rows.
void AdvRevealMapInit(int32_t width, int32_t height, int32_t font_size, int32_t ruby_size,
                      RevealMap& map);
// Narrows the map to a texture of that size, so it never covers pixels the texture lacks.
void AdvRevealMapFitTexture(RevealMap& map, int32_t texture_width, int32_t texture_height);
// Band height = line pitch, not ready.
void AdvRevealMapReset(RevealMap& map);
void AdvRevealMapRelease(RevealMap& map);
// Hides the glyph pixels and keys them; 0 when the sprite cannot be locked. Nothing (1) while a
// forced skip runs.
int AdvRevealMapBuild(int32_t skip_state, YelSprite* sprite, RevealMap& map);
// Every pixel whose key lies below `position` gets its alpha back (fading over 64 keys).
int AdvRevealApply(YelSprite* sprite, RevealMap& map, int32_t position);

// A locked surface: rows `pitch` pixels apart, `rows` of them.
struct RevealSurface {
  uint32_t* pixels = nullptr;
  int32_t pitch = 0;
  int32_t rows = 0;
};
// Keys the shown and new glyphs into the map: one key per glyph (`per_glyph`) or growing with
// the column inside it.
void AdvRevealKeyGlyphs(RevealMap& map, const RevealSurface& surface, bool per_glyph);

}  // namespace adv
