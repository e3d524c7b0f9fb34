// The one text renderer: a marked-up Shift-JIS text laid out in a rectangle (wraps by width,
// forbidden line starts hanging in the margin, "<br>", "<center>", size, colour, font-type and
// ruby tags, tip links recorded in the context's TipsArea) and drawn glyph by glyph into a locked
// sprite with the platform font. Every drawn glyph's rectangle goes to the new-glyph list for the
// timed reveal. Main thread, render lock held.
#pragma once

#include <array>
#include <cstdint>

#include "YEL/yel.h"

namespace adv {

struct AdvContext;
struct RevealMap;

// Process-wide switches of text layout and the text window, set by the text commands.
struct TextSettings {
  int32_t line_interval = 0;   // added to every line pitch
  int32_t width_offset = 0;    // widens the drawn rectangle and the forbidden-start hang
  int32_t height_offset = 0;   // heightens the drawn rectangle
  int32_t wrap_margin = 0;     // added to wrap tests and glyph right edges
  int32_t wrap_mode = 0;       // nonzero: wrap by the measured glyph width
  int32_t animation_type = 0;  // nonzero: a glyph appears whole
  int32_t animation_fade = 1;  // glyphs fade in over 64 key units
  int32_t space_skip = 0;
  uint32_t paint_colour = 0;  // what text sprites are cleared to
  int32_t read_colour_on = 0;
  std::array<uint32_t, 2> read_colours{};
  int32_t ruby_space = 1;  // the ruby band is one pixel taller than the ruby size (else 2 less)
  int32_t voice_async = 0;
  int32_t text_priority = 4867;  // draw priority of the text, name and page sprites
};
TextSettings& TextLayout();

// The ruby band above every line: ruby size + 1 (or - 2 without ruby space); 0 without ruby.
int32_t RubyBand(int32_t ruby_size);
// Font size, line interval, the two-pixel outline's extra and the ruby band.
int32_t LinePitch(int32_t font_size, int32_t ruby_size);
// True when the block reveal runs: type 0, fade on, space skip off.
bool BlockRevealMode();

// Draws `text` into the sprite (or, without one, only measures) inside width x height from the
// cursor (null: 0, not written back). Result: the reveal length for the map, 0 without sprite or
// map, and 0 without drawing while a forced skip runs or the sprite cannot be locked.
int32_t AdvDrawText(AdvContext& context, YelSprite* sprite, const char* text, int32_t* cursor_x,
                    int32_t* cursor_y, int32_t width, int32_t height, int32_t font_size,
                    int32_t ruby_size, const std::array<uint32_t, 2>& colours, RevealMap* map);

// `text` starts after "<r". Without pixels: the reading's width at the ruby size. With pixels:
// draws the reading centred over the base text and returns the bytes of the reading and its ">"
// (never more than the text has).
int32_t AdvDrawRuby(uint32_t* pixels, const char* text, int32_t x, int32_t y, int32_t surface_width,
                    int32_t surface_height, int32_t ruby_size);

struct LineMeasure {
  int32_t width = 0;
  int32_t height = 0;
};
// The width and the tallest font size of the text's first line within `width`.
LineMeasure AdvTextMeasureLine(const char* text, int32_t font_size, int32_t width);
// Estimated width of a string at a size (full-width characters one size, others half).
int32_t AdvTextWidth(const char* text, int32_t size);
// The 35 punctuation marks and small kana that never start a line (code = first byte x 256 +
// second byte).
bool AdvTextIsKinsoku(uint32_t code);

}  // namespace adv
