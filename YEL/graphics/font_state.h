// The library's font: the process-wide state behind the YelFont exports, the loaded font sets
// and the icon sheet, and the glyphs the text drawing asks of them.
//
// Text is drawn on one thread at a time (the caller holds the render lock); the state has its own
// lock all the same, so a stray call from another thread cannot tear it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "YEL/yel.h"
#include "os/glyph_font.h"

namespace yel {

// The metrics of a font that the layout uses.
struct TextMetrics {
  int32_t height = 0;
  int32_t ascent = 0;
};

// A glyph as the drawing reads it: the black box, its origin, the pen advance and the coverage
// rows (`pitch` bytes apart, values 0 to 64). The bytes live until the next glyph is fetched or
// the font ends.
struct Glyph {
  uint32_t black_width = 0, black_height = 0;
  int32_t origin_x = 0, origin_y = 0;
  int16_t advance_x = 0, advance_y = 0;
  const uint8_t* bits = nullptr;
  uint32_t pitch = 0;
};

// A font set file held whole: the offset table, the glyph records and the trailing metrics.
struct FontSet {
  std::vector<uint8_t> bytes;
  uint32_t entries = 0;  // of the offset table
  float scale = 1.0f;
  int32_t height = 0;  // the first word of the trailing metrics
  std::string name;
};

// The icon sheet: 8-bit values, rows top-down; icon n is the height-square at x = n x height.
struct IconSheet {
  std::vector<uint8_t> values;
  int32_t width = 0, height = 0;
};

struct LastDrawnCell {
  YelRect rect{};
  int32_t width = 0;
  int32_t held = 0;
};

struct FontState {
  std::recursive_mutex lock;  // guards everything below

  int32_t begun = 0;
  TextMetrics metrics;
  // Types 0 to 3: the outline font of the current type and size, from the cache below.
  os::GlyphFont* outline = nullptr;
  // Type 4: the current set (an index into `sets`) and its scale and scaled ascent.
  int32_t current_set = -1;
  float set_scale = 1.0f;
  int32_t set_ascent = 0;

  IconSheet icons;
  uint32_t text_colour = 0xFFFFFFFF, effect_colour = 0xFF000000;
  uint16_t effect = 0;
  uint16_t size = 16;
  uint16_t type = 0;
  std::vector<FontSet> sets;
  LastDrawnCell last_cell;

  // Outline fonts by (type, size), each with the glyphs it rendered, so drawing a line again
  // rasterises nothing. Emptied when it grows past its bounds, only between drawings.
  struct CachedFont {
    std::unique_ptr<os::GlyphFont> font;
    std::unordered_map<uint16_t, os::GlyphImage> glyphs;  // by CP932 code
  };
  std::map<uint32_t, CachedFont> fonts;
  CachedFont* cached = nullptr;  // the entry of `outline`

  std::vector<uint8_t> scratch;  // scaled glyphs and icons
};

FontState& Fonts();

// Begins the font of the current type and size when not begun; true when this call began it
// (the caller then ends it). Under the state's lock.
bool FontBeginIfNeeded(FontState& state);
void FontEnd(FontState& state);

// The glyph of a CP932 code (a byte below 256, or lead << 8 | trail) in the begun font; false
// when the font has none. Under the state's lock.
bool FetchGlyph(FontState& state, uint16_t code, Glyph& glyph);
// The glyph of a code in the current font set, scaled to the font size.
bool FetchSetGlyph(FontState& state, uint16_t code, Glyph& glyph);
// Icon n scaled to the font size; false without a sheet or with n outside it.
bool FetchIcon(FontState& state, int32_t n, Glyph& glyph);

// The set to use for a font size among the loaded ones (-1 when none is loaded).
int32_t ChooseFontSet(const std::vector<FontSet>& sets, int32_t size);
// The number of offset-table entries when the bytes are a font set whose table, glyph records
// and metrics lie inside them, else 0.
uint32_t ValidFontSet(const std::vector<uint8_t>& bytes);
// A double-byte code's (or single byte's) index in a font set's offset table.
inline uint32_t FontSetIndex(uint16_t code) {
  return code < 256 ? code : (uint32_t{code} >> 8) * 255 - 128 * 255 + (code & 0xFF);
}
// The largest index a Shift-JIS code reaches: lead 0xFC, trail 0xFC.
inline constexpr uint32_t kFontSetEntries = (0xFC - 128) * 255 + 0xFC + 1;
inline constexpr uint32_t kTextMetricsSize = 56;
// Glyphs and icons are made at most this many pixels on a side; larger sizes draw nothing.
inline constexpr int32_t kMaxGlyphSide = 1024;
inline constexpr uint32_t kGlyphRecordHeader = 24;

}  // namespace yel
